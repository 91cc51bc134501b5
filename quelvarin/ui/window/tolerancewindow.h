#pragma once
// The tolerance chart of the gamut page: four enlarged windows onto the CIE 1976 u', v' diagram
// around the HDTV Rec709 primaries and D65. Under HDTV Rec709 it draws a tolerance
// quadrilateral and a cross for each primary, a cross at D65 and three ellipses about it; under
// any other standard only the dotted cross between the quadrants.
//
//   y + 47      +-----------------+-----------------+
//               | green           | red             |   each quadrant spans its colour's
//               | u' .104-.144    | u' .426-.466    |   window d x d of u', v' (lower bounds
//               | v' .537-.577    | v' .502-.542    |   at its bottom-left corner)
//               +-----------------+-----------------+
//               | blue            | white (D65)     |
//               | u' .151-.201    | u' .1928-.2028  |
//               | v' .138-.188    | v' .4633-.4733  |
//   y + height  +-----------------+-----------------+
//               x            x + width/2         x + width

#include "ui/window/basewindow.h"

class QPainter;

class ToleranceWindow : public BaseWindow
{
    Q_OBJECT
public:
    // Colour indices of the quadrants (those of the colour reference).
    enum Quadrant { RedQuadrant = 0, GreenQuadrant = 1, BlueQuadrant = 2, WhiteQuadrant = 6 };

    ToleranceWindow(QGraphicsScene* scene, Measure* measure);

    void draw() override;
    void drawBackground();
    void drawReferences();
    void drawTolerance();

    // Scene position of (u', v') in the quadrant of colour `index` (0 red, 1 green, 2 blue,
    // 6 white), limited to that quadrant's window; NaN for any other index.
    void mapToChart(int index, double u, double v, double* sx, double* sy) const;

    // Copies the chart band into the painter's rectangle (x, y, w, h), stretched to fill it.
    void render(QPainter* painter, int x, int y, int w, int h);
};
