#pragma once
// The colour-checker page of the result scene (measurement mode 4). It draws from
// Measure::colorChkList, or Measure::ebuList for the EBU 3237 set.

#include "ui/view/baseview.h"

#include <QString>

#include <functional>

class QDataStream;

class ColorChkView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 4;

    ColorChkView(QGraphicsScene* scene, Measure* measure);

    // Its two sections of the measurement data file (colour checker, then EBU 3237) and a picture
    // of the page for each non-empty list (viewdata.cpp). `relayout` lays the whole scene out
    // anew; with it each picture shows the page drawn with its own set. False when a picture could
    // not be saved. loadData replaces the two lists only when both sections are whole and valid.
    bool exportData(QString baseName, QDataStream& out,
                    const std::function<void()>& relayout = {});
    bool loadData(QDataStream& in);

    // The set the page draws: measure/colortype (0 colour checker, 1 EBU 3237), or the set of the
    // picture being saved.
    int colorType() const;

private:
    // Set while a picture of one set is saved; -1 follows the setting.
    int shownSet = -1;
};
