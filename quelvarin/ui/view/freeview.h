#pragma once
// The free-measurement page of the result scene (measurement mode 5). It draws from
// Measure::freeList, one entry per reading: every reading is a row of the table; the newest
// alone stands on the charts, as a marker on the chromaticity chart, a white ring on the target
// chart at its a*, b* offset from the reference white, three red, green and blue balance
// pillars, and the instrument's spectrum of that reading. Each of those is replaced, never
// stacked, when a newer reading arrives.
//
// Windows, with the page's left edge X, width W, height H, h2 = (H - 18) / 2, R = X + W (widths
// and heights held at 0 or more on pages too small for them):
//
//   X+13                          R-H+26-h2       R-H+39                 R-13
//   +-- table (W-H-h2 x h2) ---+  +- target --+   +-- chromaticity -----+   top 0
//   |                          |  | (h2 x h2) |   |   chart             |
//   +--------------------------+  +-----------+   |  (H-52 x H-5)       |
//   +-- spectrum (W-H-h2 x h2)-+  +- pillars -+   |                     |   top h2+13
//   |                          |  | (h2 x h2) |   |                     |
//   +--------------------------+  +-----------+   +---------------------+
//
// A failed reading (the null colour) gets its table row, and the charts show no marker, ring
// or pillars for it. The L*a*b* of the rows and of the ring are taken against the measured
// white luminance (FreeDataWindow::measuredWhiteLuminance).

#include "ui/view/baseview.h"

#include "colour/spectrumdata.h"

#include <QPixmap>
#include <QSize>
#include <QString>

class FreeDataWindow;
class FreeGamut;
class RgbPillarWindow;
class SpecWindow;
class TargetWindow;
class QDataStream;
class QGraphicsEllipseItem;
class QGraphicsPathItem;
class QGraphicsPixmapItem;
class QPainterPath;

class FreeView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 5;

    FreeView(QGraphicsScene* scene, Measure* measure);
    ~FreeView() override;

    void layout() override;

    // Its section of the measurement data file and its page picture (viewdata.cpp). exportData is
    // false when the picture could not be saved; loadData replaces the engine's list only with a
    // whole valid section.
    bool exportData(QString baseName, QDataStream& out);
    bool loadData(QDataStream& in);

    // The spectrum area of a spectrum (samples evenly spread over the plot rectangle
    // px, py, pw, ph of `window`): the outline that closes the dark mask over the rainbow above
    // the curve of the samples normalised to the largest. False, and nothing to draw, for a
    // spectrum with fewer than two samples or whose largest sample is not above 0; samples that
    // are not finite count as 0.
    static bool spectrumMaskPath(const SpectrumData& spectrum, const SpecWindow& window,
                                 QPainterPath* path);

    // What the page shows of the newest reading; null when absent.
    QGraphicsPixmapItem* gamutMarker() const;
    QGraphicsEllipseItem* targetMarker() const;
    QGraphicsPixmapItem* redPillar() const;
    QGraphicsPixmapItem* greenPillar() const;
    QGraphicsPixmapItem* bluePillar() const;
    QGraphicsPixmapItem* spectrumImage() const;
    QGraphicsPathItem* spectrumMask() const;

    FreeGamut* gamutWindow = nullptr;
    RgbPillarWindow* pillarWindow = nullptr;
    TargetWindow* targetWindow = nullptr;
    SpecWindow* specWindow = nullptr;
    FreeDataWindow* dataWindow = nullptr;

protected:
    // The free list and the spectrum of its newest reading, read together.
    QList<CColor> results() const override;
    // The white luminance of the rows, once per pass.
    void beginResults(const QList<CColor>& list, int first) override;
    // Row i; the last result of the list also replaces the chart items.
    void drawResult(const QList<CColor>& list, int i) override;

private:
    // In the stacking order in which a reading adds them.
    enum Slot {
        GamutMarkerSlot,
        TargetMarkerSlot,
        RedPillarSlot,
        GreenPillarSlot,
        BluePillarSlot,
        SpectrumImageSlot,
        SpectrumMaskSlot,
    };

    void drawTarget(const CColor& c);
    void drawOffset(const CColor& c);
    void drawPillars(const CColor& c);
    void drawSpectrum();
    // The rainbow at the plot rectangle's size (kept while the size stays).
    QPixmap spectrumPicture(int pw, int ph);

    double whiteY = 100.0;
    mutable SpectrumData passSpectrum = emptySpectrum;
    QPixmap markerPicture;
    QPixmap upPictures[3];
    QPixmap downPictures[3];
    QPixmap rainbow;
    QPixmap scaledRainbow;
    QSize scaledRainbowSize;
};
