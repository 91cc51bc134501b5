#include "ui/view/reportpage.h"

#include "platform/logging.h"
#include "platform/settings.h"
#include "appcore/application.h"

#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

namespace reportpage {

QColor frameColor()
{
    return QColor(25, 25, 25, 255);
}

void setUpPrinter(QPrinter& printer, const QString& fileName)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    printer.setFullPage(true);
}

int sheetBottom(const QPrinter& printer)
{
    return printer.pageRect(QPrinter::DevicePixel).toRect().height() - kBottomMargin;
}

QFont font(int pointSize, int weight)
{
    Application* app = Application::instance();
    QFont f = app ? app->appFont() : QApplication::font();
    f.setPointSize(pointSize);
    f.setWeight(weight);
    return f;
}

QString value(double v)
{
    return QString::number(v, 'f', 2);
}

bool hasTolerancePanel()
{
    const int chart = platform::readSetting(QStringLiteral("reference"), QStringLiteral("ciechart"), 0)
                          .toInt();
    return Application::colorReference()->standard == StandardHdtvRec709 && chart == 1;
}

bool newSheet(QPrinter* printer)
{
    if (!printer->newPage()) {
        qCWarning(platform::programLog, "failed in flushing page to disk, disk full?");
        return false;
    }
    return true;
}

bool beginPage(QPainter* painter, QPrinter* printer, const QString& title, const QPoint& at)
{
    if (!newSheet(printer))
        return false;
    painter->setFont(font(20, 75));
    painter->drawText(at, title);
    return true;
}

void drawChartFrame(QPainter* painter, const QRect& frame, const ChartRender& render)
{
    painter->setPen(frameColor());
    painter->setBrush(Qt::NoBrush);
    painter->drawRects(&frame, 1);
    if (render)
        render(painter, frame.x() + kChartInset, frame.y() + kChartInset,
               frame.width() - 2 * kChartInset, frame.height() - 2 * kChartInset);
}

} // namespace reportpage
