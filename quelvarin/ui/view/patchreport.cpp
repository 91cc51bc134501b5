#include "ui/view/patchreport.h"

#include "platform/logging.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>
#include <QRect>
#include <QtDebug>

namespace {

const QPoint kTitleAt(100, 400);
const int kHeaderY = 800;
const int kFirstColumnX = 1680;
const int kColumnPitch = 680;
const int kNameX = 400;
const int kFirstRowY = 1100;
const int kRowPitch = 300;
const int kChartTitleX = 4650;
const int kChartTitleOffset = 300;
const QRect kFrame(1000, 400, 7500, 2500); // top relative to yEnd

const char* const kLetterHeaders[] = {"X", "Y", "Z", "x", "y", "u'", "v'", "L", "a", "b"};

} // namespace

namespace patchreport {

QStringList rowValues(const CColor& c, double Yw, bool uvDifference)
{
    const CColor xyY = c.toxyY();
    const CColor uv = c.toupvpY();
    const CColor lab = c.toLab(Yw);
    QStringList v;
    v << reportpage::value(c[0]) << reportpage::value(c[1]) << reportpage::value(c[2])
      << reportpage::value(xyY[0]) << reportpage::value(xyY[1]) << reportpage::value(uv[0])
      << reportpage::value(uv[1]) << reportpage::value(lab[0]) << reportpage::value(lab[1])
      << reportpage::value(lab[2])
      << reportpage::value(uvDifference ? c.GetDeltaEuvTarget(Yw, 0.0) : c.GetDeltaE2000(Yw, 0.0));
    return v;
}

bool print(QPainter* painter, QPrinter* printer, const Page& page)
{
    if (page.list.size() < page.minimumEntries || page.list.isEmpty())
        return false;
    if (!reportpage::beginPage(painter, printer, page.title, kTitleAt))
        return false;

    const int rows = qMin(page.list.size(), page.names.size());
    if (page.list.size() > rows)
        qCWarning(platform::programLog).noquote() << page.title.trimmed() << "report:"
                                                  << page.list.size() - rows
                                                  << "entries beyond the named patches are not printed";

    QStringList headers;
    for (const char* h : kLetterHeaders)
        headers << QString::fromLatin1(h);
    headers << page.differenceHeader;
    painter->setFont(reportpage::font(10, 75));
    for (int k = 0; k < headers.size(); ++k)
        painter->drawText(QPoint(kFirstColumnX + k * kColumnPitch, kHeaderY), headers[k]);

    const double Yw = page.list[0][1];
    const QFont nameFont = reportpage::font(10, 75);
    const QFont valueFont = reportpage::font(10, 50);
    int y = kFirstRowY;
    for (int i = 1; i < rows; ++i) {
        painter->setFont(nameFont);
        painter->drawText(QPoint(kNameX, y), page.names[i]);
        painter->setFont(valueFont);
        const QStringList values = rowValues(page.list[i], Yw, page.uvDifference);
        for (int k = 0; k < values.size(); ++k)
            painter->drawText(QPoint(kFirstColumnX + k * kColumnPitch, y), values[k]);
        y += kRowPitch;
    }

    const int yEnd = y;
    painter->drawText(QPoint(kChartTitleX, yEnd + kChartTitleOffset), page.differenceHeader);
    reportpage::drawChartFrame(painter, kFrame.translated(0, yEnd), page.chart);
    return true;
}

} // namespace patchreport
