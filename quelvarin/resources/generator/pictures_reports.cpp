// The picture at the top of the detailed report's title page: a dark band across the sheet with
// the three primaries as a thin stripe along its lower edge. The report scales it to the page
// width, keeping its proportions, so it ends above the title text.

#include "picture.h"

#include <QLinearGradient>

namespace {

void drawReportTitle(QPainter& p, const QSize& size)
{
    const int w = size.width();
    const int h = size.height();
    const int stripe = h / 20;

    QLinearGradient band(0, 0, w, h);
    band.setColorAt(0.0, QColor(0x20, 0x20, 0x20));
    band.setColorAt(1.0, QColor(0x50, 0x50, 0x50));
    p.fillRect(QRect(0, 0, w, h - stripe), band);

    const QColor primaries[3] = {QColor(0xd0, 0x30, 0x30), QColor(0x30, 0xb0, 0x40),
                                 QColor(0x30, 0x50, 0xd0)};
    for (int i = 0; i < 3; ++i)
        p.fillRect(QRect(i * w / 3, h - stripe, (i + 1) * w / 3 - i * w / 3, stripe),
                   primaries[i]);
}

} // namespace

QV_PICTURE("title/resource/rptitile.png", 1240, 220, drawReportTitle);
