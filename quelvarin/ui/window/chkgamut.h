#pragma once
// The chromaticity chart of the colour-checker page: the diagram of its base, and a ring where
// each target of the patch set on show (the colour checker's 19, or EBU 3237's 16, the white
// first) ought to land under the current colour reference, with a tooltip of its name and
// chromaticity. The page puts the markers of the measured colours on it itself.

#include "ui/window/gamutwindow.h"

class ChkGamut : public GamutWindow
{
    Q_OBJECT
public:
    ChkGamut(QGraphicsScene* scene, Measure* measure);

    void drawMeasure() override;

    // The set drawn at the next draw: -1 follows the settings, else a patchset::Set (the page
    // sets it, so the chart always rings the set the page shows).
    int forcedSet = -1;
};
