#pragma once
// The "dE2000" chart: a colour-difference scale from 0 to 11 with limit lines. The gray page
// plots one point per step through mapToChart; the gamut, saturation, colour-scale and
// colour-checker pages draw bars in the rectangles the bar-geometry operations compute.

#include "ui/window/basewindow.h"
#include "ui/window/chartgrid.h"

class QPainter;

class DelteWindow : public BaseWindow, public chartgrid::StepAxis
{
    Q_OBJECT
public:
    DelteWindow(QGraphicsScene* scene, Measure* measure);

    // Set by the gray page: adds the gray-fraction columns to the grid.
    bool grayLayout = false;
    // Set by the colour-checker page for the EBU 3237 set (limits 2.6 / 4 and 7).
    bool ebuLayout = false;

    void draw() override;
    void drawAxes();
    void drawAxesEbu();

    void mapToChart(int step, double dE, double* sx, double* sy);

    void barGeometryGroup(int index, int n, double dE, double* bx, double* by, double* bw,
                          double* bh);
    void barGeometry22(int index, double dE, double* bx, double* by, double* bw, double* bh);
    void barGeometry36(int index, double dE, double* bx, double* by, double* bw, double* bh);

    void render(QPainter* painter, int px, int py, int pw, int ph);

private:
    void drawValueGrid();
    double barTop(double dE) const;
};
