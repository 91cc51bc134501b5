#include "ui/view/gamutview.h"

#include "measure/measure.h"
#include "platform/settings.h"
#include "appcore/application.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gamutdatawindow.h"
#include "ui/window/gmtgamut.h"
#include "ui/window/tolerancewindow.h"

#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QPen>

namespace {

constexpr int kGap = 13;
// Item data key telling what an item drawn for a result is.
constexpr int kKindKey = 0;

struct Patch
{
    const char* markerName;
    const char* barPicture;
    const char* barPrefix;
};

// In list order. The bar prefixes are the page's own texts, spelling included.
const Patch kPatches[GamutView::Patches] = {
    {QT_TRANSLATE_NOOP("GamutView", "MEAS White"), ":/bar/resource/white_pillar.png",
     QT_TRANSLATE_NOOP("GamutView", "White \ndeltaE2000: ")},
    {QT_TRANSLATE_NOOP("GamutView", "MEAS Red"), ":/bar/resource/red_pillar.png",
     QT_TRANSLATE_NOOP("GamutView", "Red \ndeltaE2000: ")},
    {QT_TRANSLATE_NOOP("GamutView", "MEAS Green"), ":/bar/resource/green_pillar.png",
     QT_TRANSLATE_NOOP("GamutView", "Green \ndeltE2000: ")},
    {QT_TRANSLATE_NOOP("GamutView", "MEAS Blue"), ":/bar/resource/blue_pillar.png",
     QT_TRANSLATE_NOOP("GamutView", "Blue \ndeltaE2000: ")},
    {QT_TRANSLATE_NOOP("GamutView", "MEAS Yellow"), ":/bar/resource/yellow_pillar.png",
     QT_TRANSLATE_NOOP("GamutView", "Yellow \ndeltaE2000: ")},
    {QT_TRANSLATE_NOOP("GamutView", "MEAS Cyan"), ":/bar/resource/cyan_pillar.png",
     QT_TRANSLATE_NOOP("GamutView", "Cyan \ndeltaE2000: ")},
    {QT_TRANSLATE_NOOP("GamutView", "MEAS Magenta"), ":/bar/resource/magenta_pillar.png",
     QT_TRANSLATE_NOOP("GamutView", "Meganta \ndeltaE2000: ")},
};

// White, red, green and blue have a target on the tolerance chart, each in its own quadrant.
const int kToleranceQuadrant[4] = {ToleranceWindow::WhiteQuadrant, ToleranceWindow::RedQuadrant,
                                   ToleranceWindow::GreenQuadrant, ToleranceWindow::BlueQuadrant};
const char* const kTargetPictures[4] = {":/targets/resource/tgw.png", ":/targets/resource/tgr.png",
                                        ":/targets/resource/tgg.png", ":/targets/resource/tgb.png"};

QGraphicsPixmapItem* centredPicture(const QPixmap& picture, double px, double py)
{
    auto* item = new QGraphicsPixmapItem(picture);
    const QRectF bounds = item->boundingRect();
    item->setPos(px - bounds.width() / 2, py - bounds.height() / 2);
    return item;
}

} // namespace

GamutView::GamutView(QGraphicsScene* scene, Measure* measure)
    : BaseView(scene, measure, Mode)
{
    dataWindow = new GamutDataWindow(scene, measure);
    delteWindow = new DelteWindow(scene, measure);
    gamutWindow = new GmtGamut(scene, measure);
    toleranceWindow = new ToleranceWindow(scene, measure);
    setDataTable(dataWindow);
    measMarker = QPixmap(":/measure/resource/meas_white.png");
    for (int k = 0; k < 4; ++k)
        targetPictures[k] = QPixmap(kTargetPictures[k]);
    for (int k = 0; k < Patches; ++k)
        barPictures[k] = QPixmap(kPatches[k].barPicture);
}

// The windows have no Qt parent; their items belong to the scene and stay there.
GamutView::~GamutView()
{
    delete dataWindow;
    delete delteWindow;
    delete gamutWindow;
    delete toleranceWindow;
}

void GamutView::layout()
{
    const int half = (height - 18) / 2;
    const int left = width - height + 13;
    const int chart = platform::readSetting(QStringLiteral("reference"), QStringLiteral("ciechart"), 0)
                          .toInt();
    tolerancePlaced = Application::colorReference()->standard == StandardHdtvRec709 && chart == 1;
    const int tw = tolerancePlaced ? height - half - 18 : 0;
    if (tolerancePlaced)
        toleranceWindow->place(x + kGap + left - tw, half - 34, tw, height - half + 29);
    dataWindow->place(x + kGap, 0, left, half - 47);
    delteWindow->place(x + kGap, half - 34, tolerancePlaced ? left - kGap - tw : left,
                       height - half + 29);
    // The page is always the second one (x = width): the chart ends 13 inside its right edge.
    gamutWindow->place(2 * width - kGap - (height - 52), 0, height - 52, height - 5);
}

void GamutView::refresh()
{
    // The scene has just deleted every item, the figure with them.
    coverageText = nullptr;
    BaseView::refresh();
}

void GamutView::drawNoResults()
{
    // An empty list still shows its coverage, 0, not the figure of a list that is gone.
    showCoverage(coverageFigure(0.0));
}

void GamutView::resetDrawing()
{
    gamutPath = QPainterPath();
    outlineComplete = false;
}

void GamutView::drawResult(const QList<CColor>& list, int i)
{
    // Only seven patches have a row, a name and a bar.
    if (i >= Patches)
        return;
    dataWindow->setData(i - 1, list.at(i));
    drawTarget(list, i);
    drawBar(list, i);
    const double ratio = i >= 3 ? GmtGamut::gamutRatio(list.mid(0, i + 1), gamutWindow->uv,
                                                       *Application::colorReference())
                                : 0.0;
    showCoverage(coverageFigure(ratio));
}

QString GamutView::coverageFigure(double ratio)
{
    return tr("%1% of Coverage").arg(ratio * 100);
}

void GamutView::showCoverage(const QString& text)
{
    // Requested through a slot so that the figure is replaced where the request stands in the
    // drawing (on top of what the pass drew before it), yet it stays the page's own item: the
    // slot itself stays empty.
    replaceItem(CoverageSlot, [this, text]() -> QGraphicsItem* {
        if (coverageText) {
            if (coverageText->scene())
                coverageText->scene()->removeItem(coverageText);
            delete coverageText;
            coverageText = nullptr;
        }
        coverageText = gamutWindow->makeCaption(text, 1);
        if (scene)
            scene->addItem(coverageText);
        return nullptr;
    });
}

void GamutView::drawTarget(const QList<CColor>& list, int index)
{
    const CColor c = list.at(index);
    const bool measured = c != nullColor;
    const bool uv = gamutWindow->uv;
    const CColor plane = uv ? c.toupvpY() : c.toxyY();
    double px, py;
    gamutWindow->mapToChart(plane[0], plane[1], &px, &py);

    if (measured) {
        QGraphicsPixmapItem* marker = centredPicture(measMarker, px, py);
        marker->setToolTip(QString("%1\n%2 %3 %4 %5")
                               .arg(tr(kPatches[index].markerName), uv ? "u'" : "x")
                               .arg(plane[0])
                               .arg(uv ? "v'" : "y")
                               .arg(plane[1]));
        marker->setData(kKindKey, MarkerKind);
        addDrawn(marker);
    }

    // The outline of the measured triangle, restarted by red; a failed corner leaves it out.
    if (index >= 1 && index <= 3) {
        if (index == 1) {
            gamutPath = QPainterPath();
            outlineComplete = measured;
            if (measured)
                gamutPath.moveTo(px, py);
        } else {
            outlineComplete = outlineComplete && measured;
            if (outlineComplete) {
                gamutPath.lineTo(px, py);
                if (index == 3)
                    gamutPath.closeSubpath();
            }
        }
        const bool draw = index > 1;
        replaceItem(OutlineSlot, [this, draw]() -> QGraphicsItem* {
            if (!draw || !outlineComplete)
                return nullptr;
            auto* outline = new QGraphicsPathItem(gamutPath);
            outline->setPen(QPen(QBrush(Qt::white), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
            outline->setBrush(Qt::NoBrush);
            return outline;
        });
    }

    // The targets go on the tolerance chart only while the last layout put it on the page.
    if (index <= 3 && tolerancePlaced && measured) {
        const CColor upvp = c.toupvpY();
        double tx, ty;
        toleranceWindow->mapToChart(kToleranceQuadrant[index], upvp[0], upvp[1], &tx, &ty);
        QGraphicsPixmapItem* target = centredPicture(targetPictures[index], tx, ty);
        target->setData(kKindKey, ToleranceKind);
        addDrawn(target);
    }
}

void GamutView::drawBar(const QList<CColor>& list, int index)
{
    const CColor c = list.at(index);
    if (c == nullColor)
        return;
    const double dE = c.GetDeltaE2000(list.at(0)[1], 0.0);
    double bx, by, bw, bh;
    delteWindow->barGeometry22(index, dE, &bx, &by, &bw, &bh);
    const QPixmap& picture = barPictures[index];
    auto* bar = new QGraphicsPixmapItem(
        picture.isNull() || int(bw) <= 0 || int(bh) <= 0
            ? QPixmap()
            : picture.scaled(int(bw), int(bh), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    bar->setPos(bx, by);
    bar->setToolTip(QString("%1%2").arg(tr(kPatches[index].barPrefix)).arg(dE));
    bar->setData(kKindKey, BarKind);
    addDrawn(bar);
}

QGraphicsPathItem* GamutView::gamutOutline() const
{
    return static_cast<QGraphicsPathItem*>(slotItem(OutlineSlot));
}

QGraphicsTextItem* GamutView::coverageItem() const
{
    return coverageText;
}

QList<QGraphicsItem*> GamutView::itemsOf(Kind kind) const
{
    QList<QGraphicsItem*> out;
    for (int i = 0; i < drawnResults(); ++i) {
        for (QGraphicsItem* item : resultItems(i)) {
            if (item->data(kKindKey).toInt() == kind)
                out.append(item);
        }
    }
    return out;
}

QList<QGraphicsItem*> GamutView::markerItems() const
{
    return itemsOf(MarkerKind);
}

QList<QGraphicsItem*> GamutView::toleranceMarkers() const
{
    return itemsOf(ToleranceKind);
}

QList<QGraphicsItem*> GamutView::barItems() const
{
    return itemsOf(BarKind);
}
