#pragma once
// The table of the saturation and colour-scale pages: 30 fixed rows, five steps of red, green,
// blue, yellow, magenta and cyan ("R1" .. "C5"), with XYZ, xy, u'v', L*a*b* against the measured
// white and the CIEDE2000 difference from each patch's target (luminance from 0 to the white's).

#include "ui/window/datawindow.h"

class SatDataWindow : public DataWindow
{
    Q_OBJECT
public:
    static constexpr int Rows = 30;

    SatDataWindow(QGraphicsScene* scene, Measure* measure);

    // Builds a new, empty table of 30 labelled rows and eleven columns.
    void draw() override;

    // Index -1: the white reference (X, Y, Z only), no cell changes. Index 0 .. 29: that row.
    // Any other index changes nothing.
    void setData(int index, CColor colour);

    // The eleven cell texts of a patch: X, Y, Z, x, y, u', v', L, a, b against white luminance
    // yw, then the difference from its target (CIEDE2000, or dE u*v* with `uvDifference`).
    static QStringList patchRowTexts(const CColor& colour, double yw, bool uvDifference);
};
