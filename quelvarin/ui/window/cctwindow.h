#pragma once
// The CCT chart of the gray-scale page: correlated colour temperature per gray step on a
// 5000 K scale centred (to the hundred) on the colour temperature of the reference white.

#include "ui/window/basewindow.h"

class CctWindow : public BaseWindow
{
    Q_OBJECT
public:
    CctWindow(QGraphicsScene* scene, Measure* measure);

    void draw() override;

    // Scene position of a colour temperature at a step.
    void mapToChart(int step, double value, double* sx, double* sy);

    // Step count of the run on show, set by the gray page from its result list so that a run is
    // always drawn with its own count; 0 (no run) reads `measure/steps` at each use.
    int runSteps = 0;
    int stepCount() const;

    int targetCct = 0;
    int maxCct = 0;
    int minCct = 0;

private:
    void drawAxes();
    void drawTarget();
};
