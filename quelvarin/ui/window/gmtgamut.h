#pragma once
// The chromaticity chart of the gamut and colour-scale pages: the diagram of GamutWindow with a
// circle at each of the reference's seven colours (tooltip: name and coordinates), and the gamut
// coverage of the measured primaries.

#include "ui/window/gamutwindow.h"

#include <QList>

class ColorReference;

class GmtGamut : public GamutWindow
{
    Q_OBJECT
public:
    GmtGamut(QGraphicsScene* scene, Measure* measure);

    // The reference markers: white, red, green, blue, yellow, magenta, cyan.
    void drawMeasure() override;

    // Signed area of a triangle: positive counter-clockwise with the second axis pointing up.
    static double triangleArea(double x1, double y1, double x2, double y2, double x3, double y3);

    // Area of the measured red, green, blue triangle over that of the reference's primaries, in
    // the u', v' plane when `uv`, else in x, y; signed and not limited. 0 while the engine's gamut
    // list holds fewer than white, red, green and blue, when one of those three is a failed
    // reading, or when the ratio is not a finite number.
    double gamutRatio(bool uv) const;
    // The same for a gamut list (white, red, green, blue, ...) against `reference`.
    static double gamutRatio(const QList<CColor>& list, bool uv, const ColorReference& reference);

    // Copies the chart band into the painter's rectangle (x, y, w, h), stretched to fill it.
    void render(QPainter* painter, int x, int y, int w, int h);
};
