#pragma once
// The white-point chart of the gray-scale page: the CIE 1931 xy plane from 0.25 to 0.45 on both
// axes with a curve of whites near the Planckian locus, the reference white and eleven standard
// white points. The gray page puts its measured-white marker at mapToChart.

#include "ui/window/basewindow.h"

#include <QPixmap>

class WhiteWindow : public BaseWindow
{
    Q_OBJECT
public:
    WhiteWindow(QGraphicsScene* scene, Measure* measure);

    void draw() override;

    // Scene position of chromaticity (cx, cy), limited to the chart's range first.
    void mapToChart(double cx, double cy, double* sceneX, double* sceneY);

    QPixmap areaPixmap;

private:
    void drawAxes();
    void drawArea();
    void drawReference();
    void drawWhitePoints();
    // The chart mapping without limits, used for the fixed drawing.
    void mapUnclamped(double cx, double cy, double* sceneX, double* sceneY) const;
};
