#pragma once
// The gamut page of the result scene (measurement mode 1). It draws from
// Measure::gamutList: white, red, green, blue, yellow, cyan, magenta.

#include "ui/view/baseview.h"

#include <QString>

class QDataStream;

class GamutView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 1;

    GamutView(QGraphicsScene* scene, Measure* measure);

    // Its section of the measurement data file and its page picture (viewdata.cpp). exportData is
    // false when the picture could not be saved; loadData replaces the engine's list only with a
    // whole valid section.
    bool exportData(QString baseName, QDataStream& out);
    bool loadData(QDataStream& in);
};
