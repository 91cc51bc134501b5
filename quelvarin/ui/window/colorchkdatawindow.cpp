#include "ui/window/colorchkdatawindow.h"

#include "ui/window/satdatawindow.h"

#include <QTableWidget>

namespace {

const char* const kCheckerRows[] = {
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "DarkSkin"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "LightSkin"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "BlueSky"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "Foliage"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "BlueFlower"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "BluishGreen"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "Orange"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "PurplishBlue"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "ModerateRed"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "Purple"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "YellowGreen"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "OrangeYellow"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "Blue"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "Green"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "Red"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "Yellow"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "Magenta"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "Cyan"),
};

const char* const kEbuRows[] = {
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "DarkSkin"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "LightSkin"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "GreyishRed"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "YellowGreen"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "BluishGreen"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "Violet"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "Foliage"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "MediumRed"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "MediumGreen"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "MediumBlue"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "DarkRed"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "DarkGreen"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "DarkBlue"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "YellowRed"),
    QT_TRANSLATE_NOOP("ColorChkDataWindow", "MediumPurple"),
};

constexpr int kColumns = 11;

} // namespace

ColorChkDataWindow::ColorChkDataWindow(QGraphicsScene* scene, Measure* measure)
    : DataWindow(scene, measure)
{
    fixedRows = true;
}

QStringList ColorChkDataWindow::rowLabels(patchset::Set set)
{
    QStringList out;
    if (set == patchset::Ebu3237) {
        for (const char* name : kEbuRows)
            out << tr(name);
    } else {
        for (const char* name : kCheckerRows)
            out << tr(name);
    }
    return out;
}

QString ColorChkDataWindow::differenceHeader(patchset::Set set)
{
    return set == patchset::Ebu3237 ? tr("dE u*v*") : tr("dE2000");
}

void ColorChkDataWindow::draw()
{
    shownSet = forcedSet >= 0 ? patchset::fromSetting(forcedSet) : patchset::chosen();
    const QStringList headers = {"X", "Y", "Z", "x", "y", "u'", "v'", "L", "a", "b",
                                 differenceHeader(shownSet)};
    const QStringList rows = rowLabels(shownSet);
    // The widget belongs to the proxy once initTable has run; the window only watches it.
    table = new QTableWidget(rows.size(), headers.size());
    table->setHorizontalHeaderLabels(headers);
    table->setVerticalHeaderLabels(rows);
    initTable();
}

void ColorChkDataWindow::setData(int index, CColor colour)
{
    if (index == -1) {
        white = colour;
        return;
    }
    if (index < 0 || (table && index >= table->rowCount()))
        return;
    const double yw = white[1];
    const bool uv = shownSet == patchset::Ebu3237;
    setRowTextsLater(index, kColumns,
                     [colour, yw, uv] { return SatDataWindow::patchRowTexts(colour, yw, uv); });
}
