#include "ui/window/graydatawindow.h"

#include <QTableWidget>
#include <QTableWidgetItem>

GrayDataWindow::GrayDataWindow(QGraphicsScene* scene, Measure* measure)
    : DataWindow(scene, measure)
{
}

void GrayDataWindow::draw()
{
    const QStringList headers = {tr("CCT"), "X", "Y", "Z", "x", "y", "u'", "v'",
                                 "L",       "a", "b", tr("dE2000")};
    // The widget belongs to the proxy once initTable has run; the window only watches it.
    table = new QTableWidget(0, headers.size());
    table->setHorizontalHeaderLabels(headers);
    initTable();
}

QStringList GrayDataWindow::rowTexts(const CColor& colour, double yw, double yb)
{
    const CColor xyY = colour.toxyY();
    const CColor upvp = colour.toupvpY();
    const CColor lab = colour.toLab(yw);
    QStringList texts;
    texts << QString("%1").arg(colour.GetCCT());
    texts << numberText(colour[0]) << numberText(colour[1]) << numberText(colour[2]);
    texts << numberText(xyY[0]) << numberText(xyY[1]);
    texts << numberText(upvp[0]) << numberText(upvp[1]);
    texts << numberText(lab[0]) << numberText(lab[1]) << numberText(lab[2]);
    texts << numberText(colour.GetDeltaE2000(yw, yb));
    return texts;
}

void GrayDataWindow::setData(int index, CColor colour)
{
    if (index == -1) {
        white = colour;
        return;
    }
    if (index < 0)
        return;
    if (index == 0)
        black = colour;
    // Without a table (before the first draw, or after the scene deleted it) there is no row
    // to write; the references above are kept all the same.
    if (!table)
        return;
    // Formatted when the row is first shown: a long table formats only what is looked at.
    const double yw = white[1];
    const double yb = black[1];
    setRowTextsLater(index, table->columnCount(),
                     [colour, yw, yb] { return rowTexts(colour, yw, yb); });
}
