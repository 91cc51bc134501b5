#pragma once
// The gamma chart of the gray-scale page: the measured gamma per gray step on a scale one unit
// high around the reference gamma, with the target line and a ±0.1 tolerance band.

#include "ui/window/basewindow.h"
#include "ui/window/chartgrid.h"

class QPainter;

class GammaWindow : public BaseWindow, public chartgrid::StepAxis
{
    Q_OBJECT
public:
    GammaWindow(QGraphicsScene* scene, Measure* measure);

    void draw() override;

    void mapToChart(int step, double value, double* sx, double* sy);

    // Paints the plot area into (px, py, pw, ph) of the painter, stretched.
    void render(QPainter* painter, int px, int py, int pw, int ph);

    double targetGamma = 0;
    double maxGamma = 0;
    double minGamma = 0;

private:
    void drawAxes();
    void drawTarget();
};
