#pragma once
// The table of the colour-checker page: one fixed row per patch of the set on show (18 for the
// colour checker, 15 for EBU 3237; the white has no row), with XYZ, xy, u'v', L*a*b* against
// the measured white and the difference from each patch's target: CIEDE2000 ("dE2000") for the
// colour checker, dE u*v* ("dE u*v*") for EBU 3237.

#include "measure/patchset.h"
#include "ui/window/datawindow.h"

class ColorChkDataWindow : public DataWindow
{
    Q_OBJECT
public:
    ColorChkDataWindow(QGraphicsScene* scene, Measure* measure);

    // Builds a new, empty table for the set the settings choose (or `forcedSet`).
    void draw() override;

    // Index -1: the white reference (X, Y, Z only), no cell changes. Index 0 .. rows - 1: that
    // row, its difference column of the kind the table was built for. Any other index changes
    // nothing.
    void setData(int index, CColor colour);

    // The row labels and the difference header of a set.
    static QStringList rowLabels(patchset::Set set);
    static QString differenceHeader(patchset::Set set);

    // The set the table is built for at its next draw: -1 follows the settings, else a
    // patchset::Set (the page sets it while it saves the picture of one set).
    int forcedSet = -1;
    // The set of the table on show.
    patchset::Set builtSet() const { return shownSet; }

private:
    patchset::Set shownSet = patchset::ColorChecker;
};
