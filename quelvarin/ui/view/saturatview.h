#pragma once
// The saturation page of the result scene (measurement mode 2). It draws from
// Measure::satList: the white, then six colours at 20 to 100 %.

#include "ui/view/satstepsview.h"

#include <QString>

class QDataStream;

class SaturatView : public SatStepsView
{
    Q_OBJECT

public:
    static constexpr int Mode = 2;

    SaturatView(QGraphicsScene* scene, Measure* measure);

    // Its section of the measurement data file and its page picture (viewdata.cpp). exportData is
    // false when the picture could not be saved; loadData replaces the engine's list only with a
    // whole valid section.
    bool exportData(QString baseName, QDataStream& out);
    bool loadData(QDataStream& in);
};
