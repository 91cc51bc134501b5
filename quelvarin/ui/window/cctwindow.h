#pragma once
// The CCT chart of the gray-scale page: correlated colour temperature per gray step on a
// 5000 K scale centred (to the hundred) on the colour temperature of the reference white.

#include "ui/window/basewindow.h"
#include "ui/window/chartgrid.h"

class CctWindow : public BaseWindow, public chartgrid::StepAxis
{
    Q_OBJECT
public:
    CctWindow(QGraphicsScene* scene, Measure* measure);

    void draw() override;

    // Scene position of a colour temperature at a step.
    void mapToChart(int step, double value, double* sx, double* sy);

    int targetCct = 0;
    int maxCct = 0;
    int minCct = 0;

private:
    void drawAxes();
    void drawTarget();
};
