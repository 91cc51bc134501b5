#include "ui/window/satdatawindow.h"

#include <QTableWidget>

SatDataWindow::SatDataWindow(QGraphicsScene* scene, Measure* measure)
    : DataWindow(scene, measure)
{
    fixedRows = true;
}

void SatDataWindow::draw()
{
    const QStringList headers = {"X", "Y", "Z", "x", "y", "u'", "v'", "L", "a", "b", tr("dE2000")};
    static const char* const labels[Rows] = {
        QT_TR_NOOP("R1"), QT_TR_NOOP("R2"), QT_TR_NOOP("R3"), QT_TR_NOOP("R4"), QT_TR_NOOP("R5"),
        QT_TR_NOOP("G1"), QT_TR_NOOP("G2"), QT_TR_NOOP("G3"), QT_TR_NOOP("G4"), QT_TR_NOOP("G5"),
        QT_TR_NOOP("B1"), QT_TR_NOOP("B2"), QT_TR_NOOP("B3"), QT_TR_NOOP("B4"), QT_TR_NOOP("B5"),
        QT_TR_NOOP("Y1"), QT_TR_NOOP("Y2"), QT_TR_NOOP("Y3"), QT_TR_NOOP("Y4"), QT_TR_NOOP("Y5"),
        QT_TR_NOOP("M1"), QT_TR_NOOP("M2"), QT_TR_NOOP("M3"), QT_TR_NOOP("M4"), QT_TR_NOOP("M5"),
        QT_TR_NOOP("C1"), QT_TR_NOOP("C2"), QT_TR_NOOP("C3"), QT_TR_NOOP("C4"), QT_TR_NOOP("C5"),
    };
    QStringList rows;
    for (const char* label : labels)
        rows << tr(label);
    // The widget belongs to the proxy once initTable has run; the window only watches it.
    table = new QTableWidget(rows.size(), headers.size());
    table->setHorizontalHeaderLabels(headers);
    table->setVerticalHeaderLabels(rows);
    initTable();
}

QStringList SatDataWindow::patchRowTexts(const CColor& colour, double yw, bool uvDifference)
{
    const CColor xyY = colour.toxyY();
    const CColor upvp = colour.toupvpY();
    const CColor lab = colour.toLab(yw);
    QStringList texts;
    texts << numberText(colour[0]) << numberText(colour[1]) << numberText(colour[2]);
    texts << numberText(xyY[0]) << numberText(xyY[1]);
    texts << numberText(upvp[0]) << numberText(upvp[1]);
    texts << numberText(lab[0]) << numberText(lab[1]) << numberText(lab[2]);
    texts << numberText(uvDifference ? colour.GetDeltaEuvTarget(yw, 0.0)
                                     : colour.GetDeltaE2000(yw, 0.0));
    return texts;
}

void SatDataWindow::setData(int index, CColor colour)
{
    if (index == -1) {
        white = colour;
        return;
    }
    if (index < 0 || index >= Rows)
        return;
    // Formatted when the row is first shown, against the white given before it.
    const double yw = white[1];
    setRowTextsLater(index, 11, [colour, yw] { return patchRowTexts(colour, yw, false); });
}
