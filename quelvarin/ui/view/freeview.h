#pragma once
// The free-measurement page of the result scene (measurement mode 5). It draws from
// Measure::freeList, one entry per reading.

#include "ui/view/baseview.h"

#include <QString>

class QDataStream;

class FreeView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 5;

    FreeView(QGraphicsScene* scene, Measure* measure);

    // Its section of the measurement data file and its page picture (viewdata.cpp). exportData is
    // false when the picture could not be saved; loadData replaces the engine's list only with a
    // whole valid section.
    bool exportData(QString baseName, QDataStream& out);
    bool loadData(QDataStream& in);
};
