#pragma once
// The colour-scale page of the result scene (measurement mode 3). It draws from
// Measure::colorLumaList: the white and 30 patches.

#include "ui/view/satstepsview.h"

#include <QString>

class QDataStream;

class ColorLumaView : public SatStepsView
{
    Q_OBJECT

public:
    static constexpr int Mode = 3;

    ColorLumaView(QGraphicsScene* scene, Measure* measure);

    // Its section of the measurement data file and its page picture (viewdata.cpp). exportData is
    // false when the picture could not be saved; loadData replaces the engine's list only with a
    // whole valid section.
    bool exportData(QString baseName, QDataStream& out);
    bool loadData(QDataStream& in);
};
