// The charts of the result pages draw their grid, limit and target lines whole, from end to end,
// under and through their axis labels and the caption of a chromaticity chart: a line is never
// broken into pieces at a text. The charts are also kept as pictures.

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
             GamutUv };

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
            out.append({t->toPlainText(), t->sceneBoundingRect()});
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

    void linesRunWholeThroughTheTexts_data()
    {
        QTest::addColumn<int>("chart");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("shot");
        // The axis labels and captions the chart shows.
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
        QTest::newRow("CIE 1931, small") << int(GamutXy) << QSize(300, 347) << "gamut_xy_small" << 8 + 8 + 1;
    }

    void linesRunWholeThroughTheTexts()
    {
        QFETCH(int, chart);
        QFETCH(QSize, size);
        QFETCH(QString, shot);
        QFETCH(int, texts);
        useChart(chart == GamutUv ? 1 : 0);
        QGraphicsScene scene;
        std::unique_ptr<BaseWindow> w = makeChart(Chart(chart), &scene);
        const int x = 10;
        const int y = 20;
        w->place(x, y, size.width(), size.height());
        picture(scene, QRect(x, y, size.width(), size.height()))
            .save(QDir(testenv::artifactDir()).filePath("chartlabels_" + shot + ".png"));

        const PlacedTexts shown = textsOf(scene, *w);
        QCOMPARE(shown.size(), texts);
        // Every dotted grid line spans the plot: a row from one pixel inside the left edge to one
        // inside the right edge, a column from the foot of the title band to 7 above the bottom,
        // across whatever text lies on it. There is one line per axis label.
        const QList<DrawnLine> lines = straightLines(scene);
        int gridLines = 0;
        for (const DrawnLine& l : lines) {
            if (l.pen.style() != Qt::DotLine)
                continue;
            ++gridLines;
            const QLineF& line = l.line;
            if (line.dy() == 0)
                QCOMPARE(qMakePair(line.x1(), line.x2()), qMakePair(x + 1.0, x + size.width() - 1.0));
            else
                QCOMPARE(qMakePair(line.y1(), line.y2()),
                         qMakePair(y + 47.0, y + size.height() - 7.0));
        }
        const int captions = chart == GamutXy || chart == GamutUv ? 1 : 0;
        QCOMPARE(gridLines, texts - captions);
        // No line is left in pieces: two lines of one pen never share a row or a column.
        for (int i = 0; i < lines.size(); ++i) {
            for (int j = i + 1; j < lines.size(); ++j) {
                const DrawnLine& a = lines.at(i);
                const DrawnLine& b = lines.at(j);
                if (a.pen != b.pen)
                    continue;
                const bool sameRow = a.line.dy() == 0 && b.line.dy() == 0 && a.line.y1() == b.line.y1();
                const bool sameColumn =
                    a.line.dx() == 0 && b.line.dx() == 0 && a.line.x1() == b.line.x1();
                QVERIFY2(!sameRow && !sameColumn,
                         qPrintable(QString("the line %1,%2 .. %3,%4 is in pieces")
                                        .arg(a.line.x1()).arg(a.line.y1())
                                        .arg(a.line.x2()).arg(a.line.y2())));
            }
        }
    }
};

QV_TEST_MAIN_WIDGETS(TestChartLabels)
#include "tst_chartlabels.moc"
