#include "ui/view/colorchkview.h"

#include "measure/measure.h"
#include "ui/view/patchreport.h"
#include "ui/view/patchview.h"
#include "ui/window/chkgamut.h"
#include "ui/window/colorchkdatawindow.h"
#include "ui/window/deltewindow.h"
#include "ui/window/patchnames.h"

#include <QGraphicsPixmapItem>

namespace {

constexpr int kGap = 13;

const char* const kCheckerBars[] = {
    "dark_skin",     "light_skin",   "blue_sky",     "foliage",        "blue_flower",
    "bluish_green",  "orange",       "purplish_blue", "moderate_red",  "purple",
    "yellow_green",  "orange_yellow", "blue_pillar", "green_pillar",   "red_pillar",
    "yellow_pillar", "magenta_pillar", "cyan_pillar",
};

const char* const kEbuBars[] = {
    "ebu_ds", "ebu_ls", "ebu_gr", "ebu_yg", "ebu_bg", "ebu_vi", "ebu_fo", "ebu_mr",
    "ebu_mg", "ebu_mb", "ebu_dr", "ebu_dg", "ebu_db", "ebu_yr", "ebu_pu",
};

template <size_t N>
QStringList paths(const char* const (&stems)[N])
{
    QStringList out;
    for (const char* stem : stems)
        out << QStringLiteral(":/bar/resource/%1.png").arg(QLatin1String(stem));
    return out;
}

QList<QPixmap> load(const QStringList& paths)
{
    QList<QPixmap> out;
    for (const QString& path : paths)
        out.append(QPixmap(path));
    return out;
}

} // namespace

ColorChkView::ColorChkView(QGraphicsScene* scene, Measure* measure)
    : BaseView(scene, measure, Mode)
{
    dataWindow = new ColorChkDataWindow(scene, measure);
    delteWindow = new DelteWindow(scene, measure);
    gamutWindow = new ChkGamut(scene, measure);
    setDataTable(dataWindow);
    checkerBarPictures = load(barPicturePaths(patchset::ColorChecker));
    ebuBarPictures = load(barPicturePaths(patchset::Ebu3237));
    markerPicture = QPixmap(QStringLiteral(":/targets/resource/tg.png"));
}

// The windows have no Qt parent; their items belong to the scene and stay there.
ColorChkView::~ColorChkView()
{
    delete dataWindow;
    delete delteWindow;
    delete gamutWindow;
}

QStringList ColorChkView::barPicturePaths(patchset::Set set)
{
    return set == patchset::Ebu3237 ? paths(kEbuBars) : paths(kCheckerBars);
}

QList<CColor> ColorChkView::setList(const Measure* measure, patchset::Set set)
{
    if (!measure)
        return {};
    return measure->results(set == patchset::Ebu3237 ? Measure::EbuResults
                                                     : Measure::ColorCheckerResults);
}

QList<CColor> ColorChkView::results() const
{
    return setList(measure, laidOutSet);
}

bool ColorChkView::layoutOutdated() const
{
    return patchset::fromSetting(colorType()) != laidOutSet;
}

void ColorChkView::layout()
{
    laidOutSet = patchset::fromSetting(colorType());
    const bool ebu = laidOutSet == patchset::Ebu3237;
    // The bar chart's grid and title follow the set; both are set before it is placed.
    delteWindow->ebuLayout = ebu;
    delteWindow->title = ebu ? DelteWindow::tr("dE u*v*") : DelteWindow::tr("dE2000");
    dataWindow->forcedSet = laidOutSet;
    gamutWindow->forcedSet = laidOutSet;

    const int side = height - 52;
    const int half = (height - 18) / 2;
    dataWindow->place(x + kGap, 0, width - 39 - side, half);
    delteWindow->place(x + kGap, half + kGap, width - 39 - side, half);
    gamutWindow->place(x + width - kGap - side, 0, side, height - 5);
}

void ColorChkView::beginResults(const QList<CColor>& list, int first)
{
    names = patchnames::forSet(laidOutSet);
    if (first == 0)
        patchview::logUnshown("ColorChkView", list.size(), names.size());
}

void ColorChkView::drawResult(const QList<CColor>& list, int i)
{
    // No name, picture or row for the rest of a longer imported list.
    if (i >= names.size())
        return;
    const CColor colour(list.at(i));
    dataWindow->setData(i - 1, colour);
    // A failed reading is listed in the table, but has no place on the charts.
    if (colour == nullColor)
        return;
    drawMarker(colour, names.at(i));
    if (i >= 1)
        drawBar(list, i);
}

void ColorChkView::drawMarker(const CColor& colour, const QString& name)
{
    addDrawn(patchview::makeChartMarker(markerPicture, *gamutWindow, colour, name));
}

void ColorChkView::drawBar(const QList<CColor>& list, int i)
{
    const CColor white(list.at(0));
    // Without a white there is no target to measure the difference against.
    if (white == nullColor)
        return;
    const bool ebu = laidOutSet == patchset::Ebu3237;
    const QList<QPixmap>& pictures = ebu ? ebuBarPictures : checkerBarPictures;
    if (i - 1 >= pictures.size())
        return;
    const CColor colour(list.at(i));
    const double dE = ebu ? colour.GetDeltaEuvTarget(white[1], 0.0)
                          : colour.GetDeltaE2000(white[1], 0.0);
    const QString label = ebu ? tr("dE u*v*") : tr("dE 2000");
    double bx, by, bw, bh;
    delteWindow->barGeometryGroup(i - 1, pictures.size(), dE, &bx, &by, &bw, &bh);
    const QString tip = QStringLiteral("%1\n%2%3").arg(names.at(i), label).arg(dE);
    addDrawn(patchview::makeBar(pictures.at(i - 1), bx, by, bw, bh, tip));
}

QList<QGraphicsItem*> ColorChkView::markers() const
{
    return patchview::ofKind(drawnItems(), patchview::Marker);
}

QList<QGraphicsItem*> ColorChkView::bars() const
{
    return patchview::ofKind(drawnItems(), patchview::Bar);
}

void ColorChkView::exportPro(QPainter* painter, QPrinter* printer)
{
    const patchset::Set set = patchset::chosen();
    const bool ebu = set == patchset::Ebu3237;
    patchreport::Page page;
    page.title = ebu ? tr("  EBUColor  ") : tr("ColorChecker");
    page.names = patchnames::forSet(set);
    page.list = setList(measure, set);
    page.minimumEntries = ebu ? patchset::kEbuPatches : patchset::kColorCheckerPatches;
    page.uvDifference = ebu;
    page.differenceHeader = ebu ? tr("dE u*v*") : tr("dE2000");
    page.chart = [this](QPainter* p, int x, int y, int w, int h) {
        delteWindow->render(p, x, y, w, h);
    };
    patchreport::print(painter, printer, page);
}
