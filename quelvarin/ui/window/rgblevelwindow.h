#pragma once
// The "RGB Levels" chart of the gray-scale page: how far red, green and blue of each measured
// gray stand from the balance of the reference white, on a fixed scale of -0.5 .. +0.5.

#include "ui/window/basewindow.h"
#include "ui/window/chartgrid.h"

class QPainter;

class RgbLevelWindow : public BaseWindow, public chartgrid::StepAxis
{
    Q_OBJECT
public:
    RgbLevelWindow(QGraphicsScene* scene, Measure* measure);

    void draw() override;
    void drawAxes();
    void drawTarget();

    void mapToChart(int step, double level, double* sx, double* sy);

    void render(QPainter* painter, int px, int py, int pw, int ph);
};
