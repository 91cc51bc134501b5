#include "ui/window/gamutdatawindow.h"

#include <QTableWidget>
#include <QTableWidgetItem>

GamutDataWindow::GamutDataWindow(QGraphicsScene* scene, Measure* measure)
    : DataWindow(scene, measure)
{
}

void GamutDataWindow::draw()
{
    const QStringList columns = {"X", "Y", "Z", "x", "y", "u'", "v'", "L", "a", "b", tr("dE2000")};
    const QStringList rows = {tr("W"), tr("R"), tr("G"), tr("B"), tr("Y"), tr("C"), tr("M")};
    // The widget belongs to the proxy once initTable has run; the window only watches it.
    table = new QTableWidget(rows.size(), columns.size());
    table->setHorizontalHeaderLabels(columns);
    table->setVerticalHeaderLabels(rows);
    initTable();
}

QStringList GamutDataWindow::rowTexts(const CColor& colour, double yw)
{
    const CColor xyY = colour.toxyY();
    const CColor upvp = colour.toupvpY();
    const CColor lab = colour.toLab(yw);
    return {numberText(colour[0]), numberText(colour[1]), numberText(colour[2]),
            numberText(xyY[0]),    numberText(xyY[1]),    numberText(upvp[0]),
            numberText(upvp[1]),   numberText(lab[0]),    numberText(lab[1]),
            numberText(lab[2]),    numberText(colour.GetDeltaE2000(yw, 0.0))};
}

void GamutDataWindow::setData(int index, CColor colour)
{
    if (index == -1)
        white = colour;
    // Only the seven rows of the table exist; a longer list shows its first seven.
    if (index < -1 || index + 1 >= Rows || !table)
        return;
    const QStringList texts = rowTexts(colour, white[1]);
    for (int column = 0; column < texts.size(); ++column)
        setItem(index + 1, column, new QTableWidgetItem(texts.at(column)));
}
