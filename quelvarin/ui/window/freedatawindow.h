#pragma once
// The table of the free-measurement page: one row per reading in the order taken (row labels
// are the table's own numbers, 1 for the first reading) with its CCT, X Y Z, x y, u' v' and
// L*a*b* against the measured white luminance. It has no fixed rows: it grows with the readings.

#include "ui/window/datawindow.h"

class FreeDataWindow : public DataWindow
{
    Q_OBJECT
public:
    static constexpr int Columns = 11;

    FreeDataWindow(QGraphicsScene* scene, Measure* measure);

    // Builds a new table with no rows.
    void draw() override;

    // The table becomes index + 1 rows long and row index shows the reading; an index below 0
    // changes nothing. The first form takes the white luminance from the engine's lists at each
    // call; the page, which fills many rows at once, hands it over.
    void setData(int index, CColor colour);
    void setData(int index, const CColor& colour, double whiteY);

    // The eleven cell texts of a reading against white luminance `whiteY`.
    static QStringList rowTexts(const CColor& colour, double whiteY);

    // The luminance the free readings' L*a*b* are taken against: the Y of the first measured
    // white of the gray, gamut, saturation and colour-checker lists, in that order, that is a
    // real reading (finite and above 0: a failed or empty white is passed over); 100 when none.
    static double measuredWhiteLuminance(const Measure* measure);
};
