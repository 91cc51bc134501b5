// The charts of the result pages keep their lines off their texts: no grid, limit or target line
// runs through an axis label or the caption of a chromaticity chart, so each stays readable on
// screen and in the reports, which copy the charts. The charts are also kept as pictures.

#include "ui/window/cctwindow.h"
#include "ui/window/chartgrid.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gammawindow.h"
#include "ui/window/gamutwindow.h"
#include "ui/window/lumawindow.h"
#include "ui/window/rgblevelwindow.h"
#include "ui/window/rgbpillarwindow.h"
#include "ui/window/whitewindow.h"

#include "chartreference.h"
#include "resources/resources.h"
#include "sceneitems.h"
#include "testenv.h"

#include <QDir>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include <memory>

namespace {

enum Chart { Cct, Gamma, Luma, RgbLevel, DeltaGray, DeltaPlain, DeltaEbu, Pillars, White, GamutXy,
             GamutUv, GamutXyWithLegendLine };

std::unique_ptr<BaseWindow> makeChart(Chart chart, QGraphicsScene* scene)
{
    switch (chart) {
    case Cct: return std::make_unique<CctWindow>(scene, nullptr);
    case Gamma: return std::make_unique<GammaWindow>(scene, nullptr);
    case Luma: return std::make_unique<LumaWindow>(scene, nullptr);
    case RgbLevel: return std::make_unique<RgbLevelWindow>(scene, nullptr);
    case DeltaGray:
    case DeltaPlain:
    case DeltaEbu: {
        auto w = std::make_unique<DelteWindow>(scene, nullptr);
        w->grayLayout = chart == DeltaGray;
        w->ebuLayout = chart == DeltaEbu;
        return w;
    }
    case Pillars: return std::make_unique<RgbPillarWindow>(scene);
    case White: return std::make_unique<WhiteWindow>(scene, nullptr);
    case GamutXy:
    case GamutUv: return std::make_unique<GamutWindow>(scene, nullptr);
    case GamutXyWithLegendLine: {
        auto w = std::make_unique<GamutWindow>(scene, nullptr);
        w->legendLine = "188.889% of Coverage";
        return w;
    }
    }
    return nullptr;
}

// The chart's texts: its axis labels and captions; not the window's title in the title band,
// nor the names beside the markers of places on the diagram (the white points): those name a
// point the grid may pass through, as it passes through the marker.
PlacedTexts textsOf(const QGraphicsScene& scene, const BaseWindow& w)
{
    QStringList places;
    for (const QGraphicsPixmapItem* marker : itemsOf<QGraphicsPixmapItem>(scene)) {
        if (!marker->toolTip().isEmpty())
            places << marker->toolTip().section(':', 0, 0);
    }
    PlacedTexts out;
    for (const QGraphicsSimpleTextItem* t : itemsOf<QGraphicsSimpleTextItem>(scene)) {
        if (!places.contains(t->text()))
            out.append({t->text(), t->sceneBoundingRect()});
    }
    for (const QGraphicsTextItem* t : itemsOf<QGraphicsTextItem>(scene)) {
        if (t->toPlainText() != w.title)
            out.append({t->toPlainText(), GamutWindow::legendTextRect(t)});
    }
    return out;
}

QImage picture(QGraphicsScene& scene, const QRect& area)
{
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    scene.render(&painter, QRectF(QPointF(0, 0), area.size()), area);
    return image;
}

} // namespace

class TestChartLabels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }
    void init()
    {
        testenv::clearSettings();
        useStandard(StandardHdtvRec709);
    }

    void linesKeepOffTheTexts_data()
    {
        QTest::addColumn<int>("chart");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("shot");
        // The axis labels and captions the chart shows, and the page's line where there is one.
        QTest::addColumn<int>("texts");
        // The sizes the pages give them in the smallest main window, and one larger.
        QTest::newRow("CCT") << int(Cct) << QSize(250, 215) << "cct" << 9 + 4;
        QTest::newRow("CCT, large") << int(Cct) << QSize(600, 400) << "cct_large" << 9 + 4;
        QTest::newRow("gamma") << int(Gamma) << QSize(250, 215) << "gamma" << 9 + 4;
        QTest::newRow("luminance") << int(Luma) << QSize(250, 215) << "luma" << 9 + 4;
        QTest::newRow("RGB levels") << int(RgbLevel) << QSize(250, 215) << "rgblevels" << 9 + 4;
        QTest::newRow("dE2000, gray page") << int(DeltaGray) << QSize(245, 215) << "delta_gray" << 6 + 4;
        QTest::newRow("dE2000, gamut page") << int(DeltaPlain) << QSize(703, 293) << "delta_gamut" << 6;
        QTest::newRow("dE2000, EBU 3237") << int(DeltaEbu) << QSize(703, 293) << "delta_ebu" << 6;
        QTest::newRow("RGB balance pillars") << int(Pillars) << QSize(300, 250) << "pillars" << 9;
        QTest::newRow("white point") << int(White) << QSize(245, 215) << "white" << 9 + 4;
        QTest::newRow("CIE 1931") << int(GamutXy) << QSize(458, 505) << "gamut_xy" << 8 + 8 + 1;
        QTest::newRow("CIE 1976") << int(GamutUv) << QSize(458, 505) << "gamut_uv" << 6 + 6 + 1;
        QTest::newRow("CIE 1931 with the coverage line")
            << int(GamutXyWithLegendLine) << QSize(458, 505) << "gamut_xy_legend" << 8 + 8 + 2;
        QTest::newRow("CIE 1931, small, with the coverage line")
            << int(GamutXyWithLegendLine) << QSize(300, 347) << "gamut_xy_legend_small" << 8 + 8 + 2;
    }

    void linesKeepOffTheTexts()
    {
        QFETCH(int, chart);
        QFETCH(QSize, size);
        QFETCH(QString, shot);
        QFETCH(int, texts);
        useChart(chart == GamutUv ? 1 : 0);
        QGraphicsScene scene;
        std::unique_ptr<BaseWindow> w = makeChart(Chart(chart), &scene);
        w->place(10, 20, size.width(), size.height());
        picture(scene, QRect(10, 20, size.width(), size.height()))
            .save(QDir(testenv::artifactDir()).filePath("chartlabels_" + shot + ".png"));

        PlacedTexts shown = textsOf(scene, *w);
        if (chart == GamutXyWithLegendLine) {
            // The page's line stands where the chart keeps room for it.
            auto* line = GamutWindow::makeLegendText(static_cast<GamutWindow*>(w.get())->legendLine);
            static_cast<GamutWindow*>(w.get())->placeLegendText(line, 1);
            shown.append({line->toPlainText(), GamutWindow::legendTextRect(line)});
            delete line;
        }
        QCOMPARE(shown.size(), texts);
        const QString crossing = lineThroughText(scene, shown);
        QVERIFY2(crossing.isEmpty(), qPrintable(crossing));
        QVERIFY(straightLines(scene).size() >= 4);
    }

    // How a line keeps clear: it is interrupted where it would cross a text, with room each
    // side, and a stub too short to read as a line is left out.
    void clearOfInterruptsTheLineAtTexts_data()
    {
        QTest::addColumn<QLineF>("line");
        QTest::addColumn<QVector<QRectF>>("texts");
        QTest::addColumn<QVector<QLineF>>("pieces");
        const double c = chartgrid::labelClearance;
        QTest::newRow("row through its label, a stub before it left out")
            << QLineF(1, 50, 100, 50) << QVector<QRectF>{{5, 42, 20, 16}}
            << QVector<QLineF>{{25 + c, 50, 100, 50}};
        QTest::newRow("row through a text in its middle")
            << QLineF(0, 50, 100, 50) << QVector<QRectF>{{40, 42, 20, 16}}
            << QVector<QLineF>{{0, 50, 40 - c, 50}, {60 + c, 50, 100, 50}};
        QTest::newRow("column through its label at its foot")
            << QLineF(40, 47, 40, 240) << QVector<QRectF>{{32, 235, 20, 16}}
            << QVector<QLineF>{{40, 47, 40, 235 - c}};
        QTest::newRow("column through a caption and a figure at its head")
            << QLineF(40, 47, 40, 240) << QVector<QRectF>{{20, 70, 150, 25}, {20, 50, 160, 25}}
            << QVector<QLineF>{{40, 95 + c, 40, 240}};
        QTest::newRow("a text beside the line changes nothing")
            << QLineF(0, 50, 100, 50) << QVector<QRectF>{{5, 60, 20, 16}}
            << QVector<QLineF>{{0, 50, 100, 50}};
        QTest::newRow("a line within a text is gone")
            << QLineF(10, 50, 20, 50) << QVector<QRectF>{{5, 42, 20, 16}} << QVector<QLineF>();
    }

    void clearOfInterruptsTheLineAtTexts()
    {
        QFETCH(QLineF, line);
        QFETCH(QVector<QRectF>, texts);
        QFETCH(QVector<QLineF>, pieces);
        QCOMPARE(chartgrid::clearOf(line, texts), pieces);
    }
};

QV_TEST_MAIN_WIDGETS(TestChartLabels)
#include "tst_chartlabels.moc"
