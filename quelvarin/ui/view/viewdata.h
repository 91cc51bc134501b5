#pragma once
// What the six views share for their part of the measurement data file (measure/measuredatafile.h)
// and for the page pictures saved beside it.
//
// Page picture (base name + the view's suffix, PNG, quality 100):
//
//   +---------------- page width ----------------+  row 0
//   |  rgb(37, 37, 37)                           |  15 rows of fill
//   +--------------------------------------------+  row 15
//   |  the page k as it stands on screen:        |
//   |  scene rectangle (k x width, 0,            |  page height rows, unscaled
//   |  width, height)                            |
//   +--------------------------------------------+  row 15 + height
//   |  fill (or what reaches below the page)     |  10 rows
//   +--------------------------------------------+  row height + 25

#include "measure/measure.h"
#include "measure/measuredatafile.h"

#include <QString>
#include <QStringList>

class QDataStream;
class QGraphicsScene;

namespace viewdata {

// Rows of fill above the page in a page picture, and the rows added in all.
inline constexpr int kPictureTopBand = 15;
inline constexpr int kPictureExtraRows = 25;

// The page pictures' suffixes after the base name, one per page (two for the colour checker,
// one per set).
inline constexpr char kGrayPicture[] = "_gray.png";
inline constexpr char kGamutPicture[] = "_gamut.png";
inline constexpr char kColorCheckerPicture[] = "_colorchecker.png";
inline constexpr char kEbuPicture[] = "_colorchecker_EBU.png";
inline constexpr char kColorScalePicture[] = "_colorluma.png";
inline constexpr char kSaturationPicture[] = "_saturation.png";
inline constexpr char kFreePicture[] = "_free.png";

// Every suffix above: the pictures an export may write beside its data file.
QStringList pictureSuffixes();

// Renders the page whose left edge is `left` into a picture of width x (height + 25) and saves
// it as `fileName`. False when the picture could not be saved.
bool savePagePicture(QGraphicsScene* scene, int left, int width, int height,
                     const QString& fileName);

// Writes one section from the engine's list and, when the list holds at least `pictureMinimum`
// colours, saves the page picture base name + `suffix`. False when the picture could not be
// saved (the stream's own errors are the caller's to check once the file is complete).
bool exportSection(QDataStream& out, MeasureDataFile::Section section, const QList<CColor>& list,
                   int pictureMinimum, const QString& baseName, const QString& suffix,
                   QGraphicsScene* scene, int left, int width, int height);

// Reads one section into a temporary list and, only when the whole section is valid, replaces
// the engine's list `results` with it. False (the engine's list untouched) otherwise.
bool importSection(QDataStream& in, MeasureDataFile::Section section, Measure* measure,
                   Measure::ResultList results, QList<CColor>* loaded = nullptr);

} // namespace viewdata
