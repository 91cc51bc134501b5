// The pages of the two PDF reports that the scene paints itself: the summary page's texts and
// frames (the gray and gamut views paint their charts into the frames afterwards) and the title
// page of the detailed report. Coordinates: see ui/view/reportpage.h.

#include "shell/fullscene.h"

#include "measure/measure.h"
#include "sensors/sensor.h"
#include "appcore/application.h"
#include "shell/reports.h"
#include "ui/view/reportpage.h"

#include <QCoreApplication>
#include <QDate>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>

namespace {

// Pictures of the two pages, among the program's resources; their paths are translatable, so a
// translation may bring pictures of its own.
const char kLogoPicture[] = QT_TRANSLATE_NOOP("FullScene", ":/icons/resource/logo.png");
const char kTitlePicture[] = QT_TRANSLATE_NOOP("FullScene", ":/title/resource/rptitile.png");

// The summary page's logo stands in this square at the top left, and the serial-number line
// begins below its right half. A logo filling the square would run into that line's capitals,
// so it is drawn smaller, from the same corner, ending this gap above them.
const QRect kLogoBox(200, 0, 1000, 1000);
const QPoint kSerialAt(900, 1050);
const int kLogoGap = 60;

// A frame of the summary page drawn twice, one unit inside itself, for a heavier line.
const QRect kLuminanceFrames[2] = {QRect(900, 1350, 7790, 300), QRect(901, 1351, 7788, 298)};

// Chart frames of the summary page; the views paint their charts 10 units inside them.
const QRect kGammaFrame(900, 1950, 3500, 3500);
const QRect kRgbLevelsFrame(5150, 1950, 3500, 3500);
const QRect kGrayDeltaFrame(900, 5800, 3500, 3500);
const QRect kGamutFrame(5150, 5800, 3500, 3500);
const QRect kGamutDeltaFrame(900, 9650, 3500, 3200);
const QRect kToleranceFrame(5150, 9650, 3500, 3200);
const QRect kGamutDeltaWideFrame(900, 9650, 7750, 3200);

} // namespace

QString reports::sensorName(const Measure* measure)
{
    const CSensor* sensor = measure ? measure->sensor() : nullptr;
    return sensor ? sensor->name : QString();
}

QString reports::date()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
}

reports::Luminances reports::luminances(const QList<CColor>& gray)
{
    Luminances l;
    // White and black count only once a gray run has gone past its black step.
    if (gray.size() > 2) {
        l.white = gray[0][1];
        l.black = gray[1][1];
    }
    return l;
}

QString reports::contrastText(const Luminances& l)
{
    if (l.black == 0)
        return QCoreApplication::translate("FullScene", "Contrast: ");
    return QCoreApplication::translate("FullScene", "Contrast: %1").arg(l.white / l.black, 0, 'g');
}

QString reports::gammaHeading(const ColorReference& ref)
{
    if (ref.gammaType == GammaBt1886)
        return QCoreApplication::translate("FullScene", "Gamma: ITU_BT1886");
    return QCoreApplication::translate("FullScene", "Gamma: %1").arg(ref.gamma, 2, 'f', 1);
}

void FullScene::renderReport(QPainter* painter)
{
    const QFont serialFont = reportpage::font(14, 50);
    const QImage logo(tr(kLogoPicture));
    if (!logo.isNull()) {
        const int capitalsTop =
            kSerialAt.y() - QFontMetrics(serialFont, painter->device()).capHeight();
        const int side = qMin(kLogoBox.height(), capitalsTop - kLogoGap - kLogoBox.top());
        painter->drawImage(QRect(kLogoBox.topLeft(), QSize(side, side)), logo);
    }

    painter->setFont(reportpage::font(20, 75));
    painter->drawText(QPoint(3100, 450), tr("Color Quality Report"));

    painter->setFont(serialFont);
    painter->drawText(kSerialAt, tr("S/N :"));
    painter->setPen(QColor(1, 1, 1));
    painter->drawLine(1800, 1100, 3000, 1100);
    painter->drawText(QPoint(3800, 1050), tr("Date: %1").arg(reports::date()));
    painter->drawText(QPoint(6400, 1050), tr("Sensor: %1").arg(reports::sensorName(measure)));

    painter->drawRects(kLuminanceFrames, 2);

    const reports::Luminances l =
        reports::luminances(measure ? measure->grayList() : QList<CColor>());
    QFont f = serialFont;
    f.setPointSize(10);
    painter->setFont(f);
    painter->drawText(QPoint(950, 1580), tr("White: %1 cd/m2").arg(l.white, 0, 'g'));
    painter->drawText(QPoint(4000, 1580), tr("Black: %1 cd/m2").arg(l.black, 0, 'g'));
    painter->drawText(QPoint(7000, 1580), reports::contrastText(l));

    painter->setPen(QColor(25, 25, 25));
    f.setPointSize(8);
    painter->setFont(f);

    const std::shared_ptr<const ColorReference> ref = Application::colorReference();
    if (ref->gammaType == GammaBt1886)
        painter->drawText(QPoint(2000, 1900), reports::gammaHeading(*ref));
    else
        painter->drawText(QPoint(2200, 1900), reports::gammaHeading(*ref));
    painter->drawRects(&kGammaFrame, 1);
    painter->drawText(QPoint(6550, 1900), tr("RGB Levels"));
    painter->drawRects(&kRgbLevelsFrame, 1);
    painter->drawText(QPoint(2100, 5750), tr("GrayScale dE2000"));
    painter->drawRects(&kGrayDeltaFrame, 1);
    painter->drawText(QPoint(6700, 5750), tr("Gamut"));
    painter->drawRects(&kGamutFrame, 1);

    if (reportpage::hasTolerancePanel()) {
        painter->drawText(QPoint(2100, 9600), tr("Gamut dE2000"));
        painter->drawRects(&kGamutDeltaFrame, 1);
        painter->drawText(QPoint(6600, 9600), tr("Tolerance"));
        painter->drawRects(&kToleranceFrame, 1);
    } else {
        painter->drawText(QPoint(4325, 9600), tr("Gamut dE2000"));
        painter->drawRects(&kGamutDeltaWideFrame, 1);
    }

    f.setPointSize(14);
    painter->setFont(f);
    painter->setPen(QColor(0, 0, 0));
    painter->drawText(QPoint(6500, 13400), tr("Signature:"));
    painter->drawLine(7600, 13500, 8750, 13500);
}

void FullScene::renderTitlePage(QPainter* painter, int pageWidth)
{
    const QImage title(tr(kTitlePicture));
    if (!title.isNull() && title.width() > 0) {
        // Integer arithmetic keeps the picture's proportions across the page's width.
        const int h = int(qint64(pageWidth) * title.height() / title.width());
        painter->drawImage(QRect(0, 0, pageWidth, h), title);
    }

    painter->setFont(reportpage::font(40, 75));
    painter->drawText(QPoint(1600, 3000), tr("Color Quality Report"));

    painter->setFont(reportpage::font(20, 50));
    painter->drawText(QPoint(1500, 6000), tr("S/N:______________"));
    painter->drawText(QPoint(1500, 8000), tr("Date: %1").arg(reports::date()));
    painter->drawText(QPoint(5300, 8000), tr("Sensor: %1").arg(reports::sensorName(measure)));
    painter->drawText(QPoint(6000, 13000), tr("Signature:__________"));
}
