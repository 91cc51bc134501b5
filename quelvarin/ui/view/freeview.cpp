#include "ui/view/freeview.h"

#include "measure/measure.h"
#include "sensors/sensor.h"
#include "ui/window/freedatawindow.h"
#include "ui/window/freegamut.h"
#include "ui/window/rgbpillarwindow.h"
#include "ui/window/specwindow.h"
#include "ui/window/targetwindow.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QLoggingCategory>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <vector>

// Every sample of each spectrum drawn, for tracing an instrument; off unless enabled with
// QT_LOGGING_RULES="quelvarin.free.spectrum.debug=true".
Q_LOGGING_CATEGORY(lcFreeSpectrum, "quelvarin.free.spectrum", QtWarningMsg)

namespace {

constexpr int kGap = 13;
// Points the spectrum is resampled to across the plot.
constexpr int kResampled = 400;
const QColor kMaskColour(32, 32, 32);

const char* const kUpPictures[3] = {":/bar/resource/red_pillar.png",
                                    ":/bar/resource/green_pillar.png",
                                    ":/bar/resource/blue_pillar.png"};
const char* const kDownPictures[3] = {":/bar/resource/red_pillar_1.png",
                                      ":/bar/resource/green_pillar_1.png",
                                      ":/bar/resource/blue_pillar_1.png"};

int atLeastZero(int v)
{
    return v < 0 ? 0 : v;
}

double finiteOrZero(float v)
{
    return std::isfinite(v) ? double(v) : 0.0;
}

} // namespace

FreeView::FreeView(QGraphicsScene* scene, Measure* measure)
    : BaseView(scene, measure, Mode)
{
    dataWindow = new FreeDataWindow(scene, measure);
    pillarWindow = new RgbPillarWindow(scene);
    gamutWindow = new FreeGamut(scene, measure);
    targetWindow = new TargetWindow(scene);
    specWindow = new SpecWindow(scene);
    setDataTable(dataWindow);
    markerPicture = QPixmap(":/targets/resource/tg.png");
    for (int k = 0; k < 3; ++k) {
        upPictures[k] = QPixmap(kUpPictures[k]);
        downPictures[k] = QPixmap(kDownPictures[k]);
    }
    rainbow = QPixmap(":/bar/resource/spectrum.png");
}

// The windows have no Qt parent; their items belong to the scene and stay there.
FreeView::~FreeView()
{
    delete dataWindow;
    delete pillarWindow;
    delete gamutWindow;
    delete targetWindow;
    delete specWindow;
}

void FreeView::layout()
{
    const int h2 = atLeastZero((height - 18) / 2);
    const int right = x + width;
    const int leftWidth = atLeastZero(width - height - h2);
    const int middle = right - height + 26 - h2;
    dataWindow->place(x + kGap, 0, leftWidth, h2);
    gamutWindow->place(right - height + 39, 0, atLeastZero(height - 52), atLeastZero(height - 5));
    targetWindow->place(middle, 0, h2, h2);
    specWindow->place(x + kGap, h2 + kGap, leftWidth, h2);
    pillarWindow->place(middle, h2 + kGap, h2, h2);
}

QList<CColor> FreeView::results() const
{
    if (!measure)
        return {};
    return measure->freeResults(&passSpectrum);
}

void FreeView::beginResults(const QList<CColor>&, int)
{
    whiteY = FreeDataWindow::measuredWhiteLuminance(measure);
}

void FreeView::drawResult(const QList<CColor>& list, int i)
{
    const CColor c = list.at(i);
    dataWindow->setData(i, c, whiteY);
    // The charts show the newest reading only: each of its items replaces the one before, so
    // within a pass only the last result's would stand.
    if (i != list.size() - 1)
        return;
    drawTarget(c);
    drawOffset(c);
    drawPillars(c);
    drawSpectrum();
}

void FreeView::drawTarget(const CColor& c)
{
    if (c == nullColor) {
        replaceItem(GamutMarkerSlot, nullptr);
        return;
    }
    const bool uv = gamutWindow->uv;
    const CColor plane = uv ? c.toupvpY() : c.toxyY();
    double px, py;
    gamutWindow->mapToChart(plane[0], plane[1], &px, &py);
    const QString tip = QString("%1 %2 %3 %4")
                            .arg(uv ? "u'" : "x")
                            .arg(plane[0])
                            .arg(uv ? "v'" : "y")
                            .arg(plane[1]);
    const QPixmap* picture = &markerPicture;
    replaceItem(GamutMarkerSlot, [picture, px, py, tip]() -> QGraphicsItem* {
        auto* marker = new QGraphicsPixmapItem(*picture);
        const QRectF bounds = marker->boundingRect();
        marker->setPos(px - bounds.width() / 2, py - bounds.height() / 2);
        marker->setToolTip(tip);
        return marker;
    });
}

void FreeView::drawOffset(const CColor& c)
{
    if (c == nullColor) {
        replaceItem(TargetMarkerSlot, nullptr);
        return;
    }
    const CColor lab = c.toLab(whiteY);
    double px, py;
    targetWindow->mapToChart(lab[1], lab[2], &px, &py);
    replaceItem(TargetMarkerSlot, [px, py]() -> QGraphicsItem* {
        auto* ring = new QGraphicsEllipseItem(px - 5, py - 5, 10, 10);
        ring->setPen(QPen(QBrush(QColor(255, 255, 255)), 5, Qt::SolidLine, Qt::SquareCap,
                          Qt::BevelJoin));
        ring->setBrush(Qt::NoBrush);
        return ring;
    });
}

void FreeView::drawPillars(const CColor& c)
{
    const int pillarSlots[3] = {RedPillarSlot, GreenPillarSlot, BluePillarSlot};
    if (c == nullColor) {
        for (int slot : pillarSlots)
            replaceItem(slot, nullptr);
        return;
    }
    const CColor rgb = c.chromaRGB();
    for (int i = 0; i < 3; ++i) {
        const double d = rgb[i] - 1;
        double bx, by, bw, bh;
        pillarWindow->barGeometry(i, d, &bx, &by, &bw, &bh);
        const QPixmap& source = d > 0 ? upPictures[i] : downPictures[i];
        const int w = int(bw), h = int(bh);
        const QPixmap picture = source.isNull() || w <= 0 || h <= 0
                                    ? QPixmap()
                                    : source.scaled(w, h, Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation);
        replaceItem(pillarSlots[i], [picture, bx, by]() -> QGraphicsItem* {
            auto* pillar = new QGraphicsPixmapItem(picture);
            pillar->setPos(bx, by);
            return pillar;
        });
    }
}

bool FreeView::spectrumMaskPath(const SpectrumData& spectrum, const SpecWindow& window,
                                QPainterPath* path)
{
    const QVector<float>& s = spectrum.values;
    const int n = s.size();
    if (n < 2)
        return false;
    double largest = finiteOrZero(s.at(0));
    for (int k = 0; k < n; ++k) {
        qCDebug(lcFreeSpectrum) << "spectrum data" << s.at(k);
        largest = std::max(largest, finiteOrZero(s.at(k)));
    }
    if (!(largest > 0))
        return false;

    // 400 points over the whole sample range; a 401-sample spectrum is taken as it is.
    std::vector<float> r(kResampled);
    const double step = double(n - 1) / kResampled;
    for (int k = 0; k < kResampled; ++k) {
        const double t = k * step;
        const int j = std::min(int(std::floor(t)), n - 2);
        const double f = t - j;
        const double a = finiteOrZero(s.at(j));
        const double b = finiteOrZero(s.at(j + 1));
        r[size_t(k)] = float(a + (b - a) * f);
    }

    int px, py, pw, ph;
    window.plotRect(&px, &py, &pw, &ph);
    QPainterPath mask;
    mask.moveTo(px + pw, py);
    mask.lineTo(px, py);
    const double scale = pw > 0 ? double(kResampled) / pw : 0.0;
    for (int i = 0; i < pw; ++i) {
        const int k = std::min(int(std::floor(i * scale)), kResampled - 1);
        double sy;
        window.mapY(r[size_t(k)] / largest, &sy);
        mask.lineTo(px + i, sy);
    }
    mask.closeSubpath();
    *path = mask;
    return true;
}

QPixmap FreeView::spectrumPicture(int pw, int ph)
{
    if (rainbow.isNull() || pw <= 0 || ph <= 0)
        return QPixmap();
    const QSize size(pw, ph);
    if (scaledRainbowSize != size) {
        scaledRainbow = rainbow.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaledRainbowSize = size;
    }
    return scaledRainbow;
}

void FreeView::drawSpectrum()
{
    const CSensor* sensor = measure ? measure->sensor() : nullptr;
    QPainterPath mask;
    const bool shown = sensor && (sensor->caps & SensorCaps::Spectrum)
                       && passSpectrum != emptySpectrum
                       && spectrumMaskPath(passSpectrum, *specWindow, &mask);
    if (!shown) {
        replaceItem(SpectrumImageSlot, nullptr);
        replaceItem(SpectrumMaskSlot, nullptr);
        return;
    }
    int px, py, pw, ph;
    specWindow->plotRect(&px, &py, &pw, &ph);
    const QPixmap picture = spectrumPicture(pw, ph);
    replaceItem(SpectrumImageSlot, [picture, px, py]() -> QGraphicsItem* {
        auto* image = new QGraphicsPixmapItem(picture);
        image->setPos(px, py);
        return image;
    });
    replaceItem(SpectrumMaskSlot, [mask]() -> QGraphicsItem* {
        auto* item = new QGraphicsPathItem(mask);
        item->setPen(QPen(QBrush(kMaskColour), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        item->setBrush(QBrush(kMaskColour));
        return item;
    });
}

QGraphicsPixmapItem* FreeView::gamutMarker() const
{
    return static_cast<QGraphicsPixmapItem*>(slotItem(GamutMarkerSlot));
}

QGraphicsEllipseItem* FreeView::targetMarker() const
{
    return static_cast<QGraphicsEllipseItem*>(slotItem(TargetMarkerSlot));
}

QGraphicsPixmapItem* FreeView::redPillar() const
{
    return static_cast<QGraphicsPixmapItem*>(slotItem(RedPillarSlot));
}

QGraphicsPixmapItem* FreeView::greenPillar() const
{
    return static_cast<QGraphicsPixmapItem*>(slotItem(GreenPillarSlot));
}

QGraphicsPixmapItem* FreeView::bluePillar() const
{
    return static_cast<QGraphicsPixmapItem*>(slotItem(BluePillarSlot));
}

QGraphicsPixmapItem* FreeView::spectrumImage() const
{
    return static_cast<QGraphicsPixmapItem*>(slotItem(SpectrumImageSlot));
}

QGraphicsPathItem* FreeView::spectrumMask() const
{
    return static_cast<QGraphicsPathItem*>(slotItem(SpectrumMaskSlot));
}
