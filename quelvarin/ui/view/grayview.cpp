#include "ui/view/grayview.h"

#include "measure/measure.h"
#include "shell/application.h"
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

void GrayView::clear()
{
    dataWindow->clearContents();
    QGraphicsPathItem** curves[] = {&lumaCurve, &cctCurve,   &deltaECurve, &gammaCurve,
                                    &redCurve,  &greenCurve, &blueCurve};
    for (QGraphicsPathItem** curve : curves) {
        if (*curve) {
            scene->removeItem(*curve);
            delete *curve;
            *curve = nullptr;
        }
    }
    if (whiteMarker) {
        scene->removeItem(whiteMarker);
        delete whiteMarker;
        whiteMarker = nullptr;
    }
    for (QGraphicsItem* marker : qAsConst(markers)) {
        scene->removeItem(marker);
        delete marker;
    }
    markers.clear();
    clearDrawn();
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

void GrayView::refresh()
{
    // The scene has just deleted every item; only the references are dropped.
    lumaCurve = cctCurve = deltaECurve = gammaCurve = nullptr;
    redCurve = greenCurve = blueCurve = nullptr;
    whiteMarker = nullptr;
    markers.clear();
    forgetDrawn();
    drawResults();
}

void GrayView::releaseDataTable()
{
    dataWindow->removeFromScene();
}

// Redraws from the whole result list, so a delayed or merged notification still shows every
// result. One snapshot serves the whole walk, so the table and the charts show the same list.
void GrayView::drawResults()
{
    const QList<CColor> list = grayResults();
    if (list.isEmpty())
        return;
    applyRunSteps(runStepCount(list));
    const int steps = stepsOf(list);
    // Taking an item from below the top makes the scene renumber its whole stacking order at
    // the next addition. The old white marker leaves with the previous walk's curves (at the
    // first step), before this walk adds anything, so that happens once per walk, not twice.
    removeWhite();
    dataWindow->setData(-1, list.at(0));
    // Each step replaces the curves it draws on; the items that stay are those of the last step
    // replacing them: the last element for the six step curves, the last element below the
    // full level for the gamma curve.
    const int last = list.size() - 1;
    int lastBelowFull = 0;
    for (int i = 1; i <= last; ++i) {
        if (belowFullLevel(list, i, steps))
            lastBelowFull = i;
    }
    for (int i = 1; i <= last; ++i) {
        dataWindow->setData(i - 1, list.at(i));
        drawStep(list, i, steps, CurveItems{i == last, i == lastBelowFull});
    }
    drawWhite();
}

void GrayView::removeWhite()
{
    if (whiteMarker) {
        scene->removeItem(whiteMarker);
        delete whiteMarker;
        whiteMarker = nullptr;
    }
}

void GrayView::drawWhite()
{
    removeWhite();
    const QList<CColor> list = grayResults();
    if (list.isEmpty())
        return;
    const CColor white(list.at(0));
    // A failed white reading has no chromaticity to show.
    if (white == nullColor)
        return;
    const CColor xyY = white.toxyY();
    double sx, sy;
    whiteWindow->mapToChart(xyY[0], xyY[1], &sx, &sy);
    whiteMarker = scene->addPixmap(*targetPixmap);
    whiteMarker->setPos(sx - targetPixmap->width() / 2, sy - targetPixmap->height() / 2);
    whiteMarker->setToolTip(tr("Measured White\nCCT: %1").arg(white.GetCCT()));
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
