#pragma once
// The table of the gray-scale page: one row per measured gray level (black first) with CCT, XYZ,
// xy, u'v', L*a*b* against the measured white and the colour difference from the gray-scale
// target, whose luminance runs from the measured black to the measured white.

#include "ui/window/datawindow.h"

class GrayDataWindow : public DataWindow
{
    Q_OBJECT
public:
    GrayDataWindow(QGraphicsScene* scene, Measure* measure);

    // Builds a new, empty table of twelve columns.
    void draw() override;

    // Index -1: the white reference, no row. Index 0: the black reference, then row 0. A higher
    // index writes that row; the row count becomes index + 1.
    void setData(int index, CColor colour);

    // The twelve cell texts of a colour against white luminance yw and black luminance yb.
    static QStringList rowTexts(const CColor& colour, double yw, double yb);
};
