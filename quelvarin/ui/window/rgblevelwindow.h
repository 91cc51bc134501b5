#pragma once
// The "RGB Levels" chart of the gray-scale page: how far red, green and blue of each measured
// gray stand from the balance of the reference white, on a fixed scale of -0.5 .. +0.5.

#include "ui/window/basewindow.h"

class QPainter;

class RgbLevelWindow : public BaseWindow
{
    Q_OBJECT
public:
    RgbLevelWindow(QGraphicsScene* scene, Measure* measure);

    void draw() override;
    void drawAxes();
    void drawTarget();

    void mapToChart(int step, double level, double* sx, double* sy);

    // Step count of the run on show, set by the gray page from its result list so that a run is
    // always drawn with its own count; 0 (no run) reads `measure/steps` at each use.
    int runSteps = 0;
    int stepCount() const;

    void render(QPainter* painter, int px, int py, int pw, int ph);
};
