// The views' sections of the measurement data file and their page pictures.

#include "ui/view/viewdata.h"

#include "measure/patchset.h"
#include "platform/logging.h"
#include "platform/settings.h"
#include "ui/view/colorchkview.h"
#include "ui/view/colorlumaview.h"
#include "ui/view/freeview.h"
#include "ui/view/gamutview.h"
#include "ui/view/grayview.h"
#include "ui/view/saturatview.h"

#include <QDataStream>
#include <QGraphicsScene>
#include <QPainter>
#include <QPixmap>
#include <QtDebug>

namespace {

// Background of the pictures, the scene's own background colour.
const QColor kPictureFill(37, 37, 37);
// PNG quality of the pictures (lossless in any case; the value only chooses the compression).
const int kPictureQuality = 100;

// Picture thresholds: a gray, gamut or saturation page shows something worth a picture once it
// holds more than its first (white) colour; the other pages from their first colour.
const int kPictureAfterWhite = 2;
const int kPictureFromFirst = 1;

QList<CColor> listOf(const Measure* measure, Measure::ResultList list)
{
    return measure ? measure->results(list) : QList<CColor>();
}

} // namespace

QStringList viewdata::pictureSuffixes()
{
    QStringList suffixes;
    for (const char* suffix : {kGrayPicture, kGamutPicture, kColorCheckerPicture, kEbuPicture,
                               kColorScalePicture, kSaturationPicture, kFreePicture})
        suffixes << QLatin1String(suffix);
    return suffixes;
}

bool viewdata::savePagePicture(QGraphicsScene* scene, int left, int width, int height,
                               const QString& fileName)
{
    if (!scene || width <= 0 || height <= 0)
        return false;
    QPixmap picture(width, height + kPictureExtraRows);
    picture.fill(kPictureFill);
    QPainter painter(&picture);
    // The target is the whole picture below the top band; keeping the aspect ratio makes the
    // scale 1, so the page lands unscaled at (0, 15).
    scene->render(&painter, QRectF(0, kPictureTopBand, picture.width(), picture.height()),
                  QRectF(left, 0, width, height), Qt::KeepAspectRatio);
    painter.end();
    if (!picture.save(fileName, nullptr, kPictureQuality)) {
        qCWarning(platform::programLog).noquote() << fileName << ": the page picture could not be saved";
        return false;
    }
    return true;
}

bool viewdata::exportSection(QDataStream& out, MeasureDataFile::Section section,
                             const QList<CColor>& list, int pictureMinimum,
                             const QString& baseName, const QString& suffix,
                             QGraphicsScene* scene, int left, int width, int height)
{
    MeasureDataFile::writeSection(out, section, list);
    if (list.size() < pictureMinimum)
        return true;
    return savePagePicture(scene, left, width, height, QStringLiteral("%1%2").arg(baseName, suffix));
}

bool viewdata::importSection(QDataStream& in, MeasureDataFile::Section section, Measure* measure,
                             Measure::ResultList results, QList<CColor>* loaded)
{
    QList<CColor> list;
    QString error;
    if (!MeasureDataFile::readSection(in, section, &list, &error)) {
        qCWarning(platform::programLog).noquote() << "data file:" << error;
        return false;
    }
    if (measure)
        measure->setResults(results, list);
    if (loaded)
        *loaded = list;
    return true;
}

// --- Gray -------------------------------------------------------------------------------------

bool GrayView::exportData(QString baseName, QDataStream& out)
{
    return viewdata::exportSection(out, MeasureDataFile::GraySection,
                                   listOf(measure, Measure::GrayResults), kPictureAfterWhite,
                                   baseName, QLatin1String(viewdata::kGrayPicture), scene, x,
                                   width, height);
}

bool GrayView::loadData(QDataStream& in)
{
    QList<CColor> loaded;
    if (!viewdata::importSection(in, MeasureDataFile::GraySection, measure, Measure::GrayResults,
                                 &loaded))
        return false;
    // The white, the black and one level at least: only a run that reached its first gray step
    // has a step count; anything shorter would store 0 or a negative count, which the gray run
    // and the step charts divide by.
    const int steps = loaded.size() - 2;
    if (steps >= 1)
        platform::writeSetting(QStringLiteral("measure"), QStringLiteral("steps"), steps);
    return true;
}

// --- Gamut ------------------------------------------------------------------------------------

bool GamutView::exportData(QString baseName, QDataStream& out)
{
    return viewdata::exportSection(out, MeasureDataFile::GamutSection,
                                   listOf(measure, Measure::GamutResults), kPictureAfterWhite,
                                   baseName, QLatin1String(viewdata::kGamutPicture), scene, x,
                                   width, height);
}

bool GamutView::loadData(QDataStream& in)
{
    return viewdata::importSection(in, MeasureDataFile::GamutSection, measure,
                                   Measure::GamutResults);
}

// --- Colour checker and EBU 3237 ---------------------------------------------------------------

int ColorChkView::colorType() const
{
    if (shownSet >= 0)
        return shownSet;
    return patchset::chosen();
}

bool ColorChkView::exportData(QString baseName, QDataStream& out,
                              const std::function<void()>& relayout, bool restoreLayout)
{
    struct Part
    {
        MeasureDataFile::Section section;
        Measure::ResultList list;
        int set;
        const char* suffix;
    };
    const Part parts[] = {
        {MeasureDataFile::ColorChkSection, Measure::ColorCheckerResults, 0,
         viewdata::kColorCheckerPicture},
        {MeasureDataFile::EbuSection, Measure::EbuResults, 1, viewdata::kEbuPicture},
    };
    bool ok = true;
    bool redrawn = false;
    for (const Part& part : parts) {
        const QList<CColor> list = listOf(measure, part.list);
        MeasureDataFile::writeSection(out, part.section, list);
        if (list.size() < kPictureFromFirst)
            continue;
        // Each picture shows the page drawn with its own set, whatever set the settings choose.
        // Two setting values may choose the same set (patchset.h): the page is drawn anew only
        // when it shows the other set.
        if (relayout && laidOutSet != patchset::fromSetting(part.set)) {
            shownSet = part.set;
            relayout();
            redrawn = true;
        }
        ok = viewdata::savePagePicture(scene, x, width, height,
                                       baseName + QLatin1String(part.suffix))
             && ok;
    }
    shownSet = -1;
    if (redrawn && restoreLayout)
        relayout();
    return ok;
}

bool ColorChkView::loadData(QDataStream& in)
{
    // Both sections are read before either list is replaced.
    QList<CColor> checker;
    QList<CColor> ebu;
    QString error;
    if (!MeasureDataFile::readSection(in, MeasureDataFile::ColorChkSection, &checker, &error)
        || !MeasureDataFile::readSection(in, MeasureDataFile::EbuSection, &ebu, &error)) {
        qCWarning(platform::programLog).noquote() << "data file:" << error;
        return false;
    }
    if (measure) {
        measure->setResults(Measure::ColorCheckerResults, checker);
        measure->setResults(Measure::EbuResults, ebu);
    }
    return true;
}

// --- Colour scale -----------------------------------------------------------------------------

bool ColorLumaView::exportData(QString baseName, QDataStream& out)
{
    return viewdata::exportSection(out, MeasureDataFile::ColorLumaSection,
                                   listOf(measure, Measure::ColorScaleResults), kPictureFromFirst,
                                   baseName, QLatin1String(viewdata::kColorScalePicture), scene,
                                   x, width, height);
}

bool ColorLumaView::loadData(QDataStream& in)
{
    return viewdata::importSection(in, MeasureDataFile::ColorLumaSection, measure,
                                   Measure::ColorScaleResults);
}

// --- Saturation -------------------------------------------------------------------------------

bool SaturatView::exportData(QString baseName, QDataStream& out)
{
    return viewdata::exportSection(out, MeasureDataFile::SatSection,
                                   listOf(measure, Measure::SaturationResults), kPictureAfterWhite,
                                   baseName, QLatin1String(viewdata::kSaturationPicture), scene,
                                   x, width, height);
}

bool SaturatView::loadData(QDataStream& in)
{
    return viewdata::importSection(in, MeasureDataFile::SatSection, measure,
                                   Measure::SaturationResults);
}

// --- Free -------------------------------------------------------------------------------------

bool FreeView::exportData(QString baseName, QDataStream& out)
{
    return viewdata::exportSection(out, MeasureDataFile::FreeSection,
                                   listOf(measure, Measure::FreeResults), kPictureFromFirst,
                                   baseName, QLatin1String(viewdata::kFreePicture), scene, x,
                                   width, height);
}

bool FreeView::loadData(QDataStream& in)
{
    // Only the colours: the spectra of the free readings are not in the file and stay as they are.
    return viewdata::importSection(in, MeasureDataFile::FreeSection, measure,
                                   Measure::FreeResults);
}
