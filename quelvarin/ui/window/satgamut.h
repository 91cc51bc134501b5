#pragma once
// The chromaticity chart of the saturation page: the diagram of its base, and a ring where each
// saturation target ought to land under the current colour reference (its white, then the 30
// targets: red, green, blue, yellow, magenta, cyan at 20 .. 100 %), each with a tooltip of its name
// and chromaticity. The page puts the markers of the measured colours on it itself.

#include "ui/window/gamutwindow.h"

#include <QString>

class SatGamut : public GamutWindow
{
    Q_OBJECT
public:
    SatGamut(QGraphicsScene* scene, Measure* measure);

    void drawMeasure() override;

    // The ring of a target: a circle of diameter 10 round the unlimited chart position of the
    // chromaticity (a, b), pen of width 2 in black at alpha 128, no fill; its tooltip names the
    // patch and gives (a, b) with the axis labels. Shared with the colour-checker chart.
    static void addTargetRing(GamutWindow* chart, double a, double b, const QString& name);
    // A target's stimulus levels (held in X, Y, Z) as the reference displays them, converted to
    // the chart's diagram: (x, y), or (u', v') on the CIE 1976 chart.
    static void targetChromaticity(const GamutWindow* chart, const CColor& levels, double* a,
                                   double* b);
};
