#include "ui/view/grayview.h"

#include "measure/measure.h"
#include "appcore/application.h"
#include "ui/window/cctwindow.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gammawindow.h"
#include "ui/window/graydatawindow.h"
#include "ui/window/lumawindow.h"
#include "ui/window/rgblevelwindow.h"
#include "ui/window/whitewindow.h"

#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>

namespace {
// Page layout: 13-pixel gaps around and between the windows, two rows of equal height.
constexpr int kGap = 13;
} // namespace

GrayView::GrayView(QGraphicsScene* scene, Measure* measure)
    : BaseView(scene, measure, Mode)
{
    lumaWindow = new LumaWindow(scene, measure);
    dataWindow = new GrayDataWindow(scene, measure);
    cctWindow = new CctWindow(scene, measure);
    whiteWindow = new WhiteWindow(scene, measure);
    delteWindow = new DelteWindow(scene, measure);
    delteWindow->grayLayout = true;
    gammaWindow = new GammaWindow(scene, measure);
    rgbLevelWindow = new RgbLevelWindow(scene, measure);
    setDataTable(dataWindow);
    targetPixmap = new QPixmap(":/targets/resource/tg.png");
    measWhite = QPixmap(":/measure/resource/meas_white.png");
    measRed = QPixmap(":/measure/resource/meas_red.png");
    measGreen = QPixmap(":/measure/resource/meas_green.png");
    measBlue = QPixmap(":/measure/resource/meas_blue.png");
}

// The windows have no Qt parent; their items belong to the scene and stay there.
GrayView::~GrayView()
{
    delete lumaWindow;
    delete dataWindow;
    delete cctWindow;
    delete whiteWindow;
    delete delteWindow;
    delete gammaWindow;
    delete rgbLevelWindow;
    delete targetPixmap;
}

QList<CColor> GrayView::grayResults() const
{
    return measure ? measure->grayList() : QList<CColor>();
}

void GrayView::applyRunSteps(int steps)
{
    lumaWindow->runSteps = steps;
    cctWindow->runSteps = steps;
    delteWindow->runSteps = steps;
    gammaWindow->runSteps = steps;
    rgbLevelWindow->runSteps = steps;
}

void GrayView::resetDrawing()
{
    for (QPainterPath* path :
         {&lumaPath, &cctPath, &deltaEPath, &gammaPath, &redPath, &greenPath, &bluePath})
        *path = QPainterPath();
    // A new run is drawn with the step count it is measured with.
    applyRunSteps(0);
}

void GrayView::layout()
{
    // The charts draw their targets with the step count of the run they will show.
    applyRunSteps(runStepCount(grayResults()));

    const int rowHeight = (height - 18) / 2;
    const int tableWidth = (width - 52) / 2;
    const int stepWidth = (width - 52) / 4;
    const int halfTable = (tableWidth - kGap) / 2;
    const int right = x + width - kGap - stepWidth;
    const int lower = rowHeight + kGap;
    dataWindow->place(x + kGap, 0, tableWidth, rowHeight);
    lumaWindow->place(x + tableWidth + 2 * kGap, 0, stepWidth, rowHeight);
    cctWindow->place(right, 0, stepWidth, rowHeight);
    whiteWindow->place(x + kGap, lower, halfTable, rowHeight);
    delteWindow->place(x + halfTable + 2 * kGap, lower, halfTable, rowHeight);
    gammaWindow->place(x + tableWidth + 2 * kGap, lower, stepWidth, rowHeight);
    rgbLevelWindow->place(right, lower, stepWidth, rowHeight);
}

void GrayView::beginResults(const QList<CColor>& list, int)
{
    // The list tells the run's step count from its third element on; the steps drawn before
    // (the black at step 0) do not depend on it. A list that does not tell it yet (a run in
    // progress, a list without levels) is drawn with the setting's count: read here once for
    // the pass, not by the charts at every point they place.
    drawSteps = stepsOf(list);
    applyRunSteps(drawSteps);
}

void GrayView::endResults(const QList<CColor>& list)
{
    // Outside a pass the charts follow the run's own count, or the setting when it has none.
    applyRunSteps(runStepCount(list));
}

void GrayView::drawResult(const QList<CColor>& list, int i)
{
    if (i == 0) {
        dataWindow->setData(-1, list.at(0));
        const CColor white = list.at(0);
        replaceItem(WhiteSlot, [this, white] { return makeWhiteMarker(white); });
        return;
    }
    dataWindow->setData(i - 1, list.at(i));
    drawStep(list, i, drawSteps);
}

QGraphicsPixmapItem* GrayView::makeWhiteMarker(const CColor& white) const
{
    // A failed white reading has no chromaticity to show.
    if (white == nullColor)
        return nullptr;
    const CColor xyY = white.toxyY();
    double sx, sy;
    whiteWindow->mapToChart(xyY[0], xyY[1], &sx, &sy);
    auto* marker = new QGraphicsPixmapItem(*targetPixmap);
    marker->setPos(sx - targetPixmap->width() / 2, sy - targetPixmap->height() / 2);
    marker->setToolTip(tr("Measured White\nCCT: %1").arg(white.GetCCT()));
    return marker;
}

void GrayView::drawWhite()
{
    const QList<CColor> list = grayResults();
    if (list.isEmpty())
        return;
    const CColor white = list.at(0);
    replaceItem(WhiteSlot, [this, white] { return makeWhiteMarker(white); });
}

QGraphicsPathItem* GrayView::lumaCurve() const
{
    return static_cast<QGraphicsPathItem*>(slotItem(LumaSlot));
}

QGraphicsPathItem* GrayView::cctCurve() const
{
    return static_cast<QGraphicsPathItem*>(slotItem(CctSlot));
}

QGraphicsPathItem* GrayView::deltaECurve() const
{
    return static_cast<QGraphicsPathItem*>(slotItem(DeltaESlot));
}

QGraphicsPathItem* GrayView::gammaCurve() const
{
    return static_cast<QGraphicsPathItem*>(slotItem(GammaSlot));
}

QGraphicsPathItem* GrayView::redCurve() const
{
    return static_cast<QGraphicsPathItem*>(slotItem(RedSlot));
}

QGraphicsPathItem* GrayView::greenCurve() const
{
    return static_cast<QGraphicsPathItem*>(slotItem(GreenSlot));
}

QGraphicsPathItem* GrayView::blueCurve() const
{
    return static_cast<QGraphicsPathItem*>(slotItem(BlueSlot));
}

QGraphicsPixmapItem* GrayView::whiteMarker() const
{
    return static_cast<QGraphicsPixmapItem*>(slotItem(WhiteSlot));
}

QList<QGraphicsItem*> GrayView::markers() const
{
    // The white has no step markers; every later element has its own.
    QList<QGraphicsItem*> out;
    for (int i = 1; i < drawnResults(); ++i)
        out.append(resultItems(i));
    return out;
}

void GrayView::renderCharts(QPainter* painter)
{
    // Device units of the summary report page: a 2 x 2 grid of squares, the gamut view fills
    // the fourth.
    constexpr int kSquare = 3480;
    gammaWindow->render(painter, 910, 1960, kSquare, kSquare);
    rgbLevelWindow->render(painter, 5160, 1960, kSquare, kSquare);
    delteWindow->render(painter, 910, 5810, kSquare, kSquare);
}
