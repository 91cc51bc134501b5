#include "ui/view/satstepsview.h"

#include "ui/view/patchreport.h"
#include "ui/view/patchview.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gamutwindow.h"
#include "ui/window/patchnames.h"
#include "ui/window/satdatawindow.h"

#include <QCoreApplication>
#include <QGraphicsPixmapItem>

namespace {

constexpr int kGap = 13;
const char* const kColourWords[] = {"red", "green", "blue", "yellow", "magenta", "cyan"};
const char* const kStepWords[] = {"20", "40", "60", "80"};

} // namespace

SatStepsView::SatStepsView(QGraphicsScene* scene, Measure* measure, int mode,
                           const QString& stepSuffix, const char* reportTitle)
    : BaseView(scene, measure, mode)
    , reportTitleText(reportTitle)
{
    dataWindow = new SatDataWindow(scene, measure);
    delteWindow = new DelteWindow(scene, measure);
    setDataTable(dataWindow);
    for (int p = 0; p < Patches; ++p)
        barPictures.append(QPixmap(barPicturePath(p, stepSuffix)));
    markerPicture = QPixmap(QStringLiteral(":/targets/resource/tg.png"));
}

// The windows have no Qt parent; their items belong to the scene and stay there.
SatStepsView::~SatStepsView()
{
    delete dataWindow;
    delete delteWindow;
    delete gamutWindow;
}

QString SatStepsView::barPicturePath(int patch, const QString& stepSuffix)
{
    if (patch < 0 || patch >= Patches)
        return QString();
    const QString colour = QLatin1String(kColourWords[patch / 5]);
    const int step = patch % 5;
    if (step == 4)
        return QStringLiteral(":/bar/resource/%1_pillar.png").arg(colour);
    return QStringLiteral(":/bar/resource/%1%2%3.png")
        .arg(colour, QLatin1String(kStepWords[step]), stepSuffix);
}

int SatStepsView::barSlot(int i)
{
    return 1 + (i - 1) + (i - 1) / 5;
}

void SatStepsView::layout()
{
    const int half = (height - 18) / 2;
    const int columnWidth = width - height + kGap;
    const int chartSide = height - 52;
    dataWindow->place(x + kGap, 0, columnWidth, half);
    delteWindow->place(x + kGap, half + kGap, columnWidth, half);
    // The chart's right edge lies 13 left of the page's; its plot below the title band is square.
    if (gamutWindow)
        gamutWindow->place(x + width - kGap - chartSide, 0, chartSide, height - 5);
}

void SatStepsView::beginResults(const QList<CColor>& list, int first)
{
    names = patchnames::saturation();
    if (first == 0)
        patchview::logUnshown(metaObject()->className(), list.size(), Entries);
}

void SatStepsView::drawResult(const QList<CColor>& list, int i)
{
    // No name, picture or row for the rest of a longer imported list.
    if (i >= Entries || i >= names.size())
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

void SatStepsView::drawMarker(const CColor& colour, const QString& name)
{
    if (!gamutWindow)
        return;
    addDrawn(patchview::makeChartMarker(markerPicture, *gamutWindow, colour, name));
}

void SatStepsView::drawBar(const QList<CColor>& list, int i)
{
    const CColor white(list.at(0));
    // Without a white there is no target to measure the difference against.
    if (white == nullColor)
        return;
    const CColor colour(list.at(i));
    const double dE = colour.GetDeltaE2000(white[1], 0.0);
    double bx, by, bw, bh;
    delteWindow->barGeometry36(i - 1, dE, &bx, &by, &bw, &bh);
    const QString tip = QStringLiteral("%1\n%2%3").arg(names.at(i), QStringLiteral("deltaE2000: "))
                            .arg(dE);
    addDrawn(patchview::makeBar(barPictures.at(i - 1), bx, by, bw, bh, tip));
}

QList<QGraphicsItem*> SatStepsView::markers() const
{
    return patchview::ofKind(drawnItems(), patchview::Marker);
}

QList<QGraphicsItem*> SatStepsView::bars() const
{
    return patchview::ofKind(drawnItems(), patchview::Bar);
}

void SatStepsView::exportPro(QPainter* painter, QPrinter* printer)
{
    patchreport::Page page;
    page.title = QCoreApplication::translate(metaObject()->className(), reportTitleText);
    page.names = patchnames::saturation();
    page.list = results();
    page.minimumEntries = Entries;
    page.differenceHeader = QCoreApplication::translate(metaObject()->className(), "dE2000");
    page.chart = [this](QPainter* p, int x, int y, int w, int h) {
        delteWindow->render(p, x, y, w, h);
    };
    patchreport::print(painter, printer, page);
}
