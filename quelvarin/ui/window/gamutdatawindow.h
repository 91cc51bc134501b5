#pragma once
// The table of the gamut page: seven rows (W, R, G, B, Y, C, M) of XYZ, x y, u' v', L*a*b* against
// the table's white and the CIEDE2000 difference from the patch's target, whose luminance runs
// from 0 to the white's.

#include "ui/window/datawindow.h"

class GamutDataWindow : public DataWindow
{
    Q_OBJECT
public:
    static constexpr int Rows = 7;

    GamutDataWindow(QGraphicsScene* scene, Measure* measure);

    // Builds a new, empty table of 7 rows and 11 columns.
    void draw() override;

    // Index -1: the white (stored, then shown in row 0 against itself); 0 .. 5: rows 1 .. 6. Any
    // other index changes nothing.
    void setData(int index, CColor colour);

    // The eleven cell texts of a colour against white luminance yw.
    static QStringList rowTexts(const CColor& colour, double yw);
};
