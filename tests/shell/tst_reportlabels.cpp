// The charts as the PDF reports print them, read back with poppler-utils: the caption and the
// coverage figure of the gamut chart at their places, the lines whose ends are given drawn whole
// through the labels on them, and the labels under the columns printed whole. One export of a
// gray and a gamut run serves every check; each check renders only the part of the page it looks
// at.

#include "reportfixture.h"
#include "ui/view/gamutview.h"
#include "ui/view/grayview.h"
#include "ui/window/basewindow.h"
#include "ui/window/deltewindow.h"
#include "ui/window/gammawindow.h"
#include "ui/window/gmtgamut.h"
#include "ui/window/rgblevelwindow.h"

#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QTextDocument>

using namespace reportcheck;

namespace {

// Resolution of the renders: a scene pixel of a copied chart spans some four picture pixels.
constexpr int kDpi = 300;

double unitsToPoints(double units)
{
    return units * 72 / kUnitsPerInch;
}

int unitsToDots(double units)
{
    return int(std::floor(units * kDpi / kUnitsPerInch));
}

// A chart's plot as a report copies it: its rectangle on the scene laid out for printing and
// the rectangle of the page (device units) it is stretched into.
struct Copy
{
    QRectF source;
    QRectF target;

    QPointF toPage(const QPointF& scene) const
    {
        return {target.left() + (scene.x() - source.left()) * target.width() / source.width(),
                target.top() + (scene.y() - source.top()) * target.height() / source.height()};
    }
    // One scene pixel across the copy, in device units.
    double pixel() const { return target.height() / source.height(); }
};

Copy copyOf(const BaseWindow* w, const QRectF& target)
{
    return {QRectF(w->x + 1, w->y + 48, w->width - 2, w->height - 49), target};
}

// A straight line of a chart on the print layout, in scene coordinates.
struct Line
{
    QLineF line;
    QString through;
};

// A word that pdftotext finds on a page, with its box in points.
struct Word
{
    QString text;
    QRectF box;
};

QList<Word> wordsOf(const QString& pdf, int page)
{
    const QString xml = run("pdftotext", {"-f", QString::number(page), "-l", QString::number(page),
                                          "-bbox", pdf, "-"});
    const QRegularExpression re(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>");
    QList<Word> out;
    for (auto it = re.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out.append({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                          QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return out;
}

// The first word reading `text` inside `area` (points).
QRectF wordIn(const QList<Word>& words, const QString& text, const QRectF& area)
{
    for (const Word& w : words) {
        if (w.text == text && area.contains(w.box.center()))
            return w.box;
    }
    return QRectF();
}

// Renders `area` (device units) of a page at kDpi, keeps it as a test artefact and returns it
// with the device units of its top left corner.
QImage renderArea(const QString& pdf, int page, const QRectF& area, const QString& artefact,
                  QPoint* origin)
{
    const QRect dots(QPoint(unitsToDots(area.left()), unitsToDots(area.top())),
                     QPoint(unitsToDots(area.right()), unitsToDots(area.bottom())));
    const QString prefix = QDir(testenv::artifactDir()).filePath(artefact);
    run("pdftoppm", {"-png", "-r", QString::number(kDpi), "-f", QString::number(page), "-l",
                     QString::number(page), "-x", QString::number(dots.left()), "-y",
                     QString::number(dots.top()), "-W", QString::number(dots.width()), "-H",
                     QString::number(dots.height()), "-singlefile", pdf, prefix});
    *origin = dots.topLeft();
    return QImage(prefix + ".png");
}

bool inked(QRgb pixel)
{
    return qGray(pixel) < 200;
}

} // namespace

class TestReportLabels : public ReportFixture
{
    Q_OBJECT

    // The charts as copied, keyed by "gamma", "rgb", "delta", "gamut summary", "gamut detail".
    QMap<QString, Copy> copies;
    QMap<QString, QString> pdfOf;
    QMap<QString, int> pageOf;
    // The lines whose ends are given and that run through a label, by name.
    QMap<QString, Line> lines;
    // The labels under the columns of each copied chart, on the print layout.
    QMap<QString, QList<QPair<QString, QRectF>>> columnLabels;
    // Where the caption and the coverage figure begin their text, on the print layout.
    QPointF captionText;
    QPointF coverageText;
    QString coverageFirstWord;

private slots:
    void initTestCase()
    {
        setUp();
        setReference(StandardHdtvRec709, 0, 0);
        measure->setResults(Measure::GrayResults, grayRun(20));
        measure->setResults(Measure::GamutResults, gamutRun(StandardHdtvRec709));
        exportNow();

        // The scene as the export lays it out for the reports.
        BaseWindow::setTranslucent(false);
        scene->setPageSize(FullScene::printPageSize.width(), FullScene::printPageSize.height());
        const GrayView* gray = scene->grayView();
        const GamutView* gamut = scene->gamutView();
        copies["gamma"] = copyOf(gray->gammaWindow, QRectF(910, 1960, 3480, 3480));
        copies["rgb"] = copyOf(gray->rgbLevelWindow, QRectF(5160, 1960, 3480, 3480));
        copies["delta"] = copyOf(gray->delteWindow, QRectF(910, 5810, 3480, 3480));
        copies["gamut summary"] = copyOf(gamut->gamutWindow, QRectF(5160, 5810, 3480, 3480));
        copies["gamut detail"] = copyOf(gamut->gamutWindow, QRectF(2410, 4010, 4680, 4680));
        for (const QString& key : copies.keys()) {
            pdfOf[key] = key == "gamut detail" ? detail() : summary();
            pageOf[key] = key == "gamut detail" ? 3 : 1;
        }

        const auto labelAt = [&](const QRectF& in, double row) {
            for (QGraphicsItem* item : scene->items(in)) {
                auto* t = qgraphicsitem_cast<QGraphicsSimpleTextItem*>(item);
                if (t && t->sceneBoundingRect().top() < row && t->sceneBoundingRect().bottom() > row)
                    return t->text();
            }
            return QString();
        };
        // The gamma target at mid-height, from a step in from the left edge to a step in from
        // the right one (20 steps); the dE2000 limit of 10, from 16 inside the left edge.
        const GammaWindow* g = gray->gammaWindow;
        const double d = g->width / 20.0;
        const int mid = g->y + 47 + (g->height - 47) / 2;
        lines["gamma target"] = {QLineF(g->x + d, mid, g->x + g->width - d, mid),
                                 labelAt(copies["gamma"].source, mid)};
        const DelteWindow* e = gray->delteWindow;
        const int y10 = int(e->y + 47 + (e->height - 47) / 11.0);
        lines["dE2000 limit 10"] = {QLineF(e->x + 16, y10, e->x + e->width - 1, y10),
                                    labelAt(copies["delta"].source, y10)};

        for (const QString& key : {QString("gamma"), QString("rgb"), QString("gamut detail")}) {
            const QRectF plot = copies[key].source;
            for (QGraphicsItem* item : scene->items(plot)) {
                auto* t = qgraphicsitem_cast<QGraphicsSimpleTextItem*>(item);
                if (t && t->sceneBoundingRect().bottom() > plot.bottom())
                    columnLabels[key].append({t->text(), t->sceneBoundingRect()});
            }
        }

        const GmtGamut* chart = gamut->gamutWindow;
        for (QGraphicsItem* item : scene->items(copies["gamut detail"].source)) {
            auto* t = qgraphicsitem_cast<QGraphicsTextItem*>(item);
            if (!t)
                continue;
            // The item's text begins inside the empty margin its document keeps around it.
            const QPointF margin(t->document()->documentMargin(), t->document()->documentMargin());
            if (t->toPlainText().endsWith("CIE 1931")) {
                captionText = QPointF(chart->x + 20, chart->y + 45) + margin;
            } else if (t == gamut->coverageItem()) {
                coverageText = QPointF(chart->x + 20, chart->y + 65) + margin;
                coverageFirstWord = t->toPlainText().section(' ', 0, 0);
            }
        }
        BaseWindow::setTranslucent(true);
        scene->setPageSize(1000, 600);
        QVERIFY(!captionText.isNull());
        QVERIFY(!coverageText.isNull());
        QCOMPARE(lines["gamma target"].through, QString("2.2"));
        QCOMPARE(lines["dE2000 limit 10"].through, QString("10"));
    }

    void cleanupTestCase() { tearDown(); }

    // The caption begins 20 right of the chart's left edge at the foot of its title band, the
    // coverage figure 20 below it, as on the screen.
    void captionAndCoverageAtTheirPlaces_data()
    {
        QTest::addColumn<QString>("chart");
        QTest::newRow("summary") << "gamut summary";
        QTest::newRow("detailed report") << "gamut detail";
    }

    void captionAndCoverageAtTheirPlaces()
    {
        QFETCH(QString, chart);
        const Copy copy = copies[chart];
        const QList<Word> words = wordsOf(pdfOf[chart], pageOf[chart]);
        const QRectF area(QPointF(unitsToPoints(copy.target.left()), unitsToPoints(copy.target.top())),
                          QPointF(unitsToPoints(copy.target.right()), unitsToPoints(copy.target.bottom())));
        const QRectF caption = wordIn(words, "HDTV", area);
        const QRectF figure = wordIn(words, coverageFirstWord, area);
        QVERIFY2(!caption.isNull() && !figure.isNull(), qPrintable(coverageFirstWord));
        // Within a scene pixel and a half of where the copy puts the texts' first letters.
        const double room = unitsToPoints(1.5 * copy.pixel());
        const QPointF captionAt(unitsToPoints(copy.toPage(captionText).x()),
                                unitsToPoints(copy.toPage(captionText).y()));
        const QPointF figureAt(unitsToPoints(copy.toPage(coverageText).x()),
                               unitsToPoints(copy.toPage(coverageText).y()));
        const auto near = [room](double a, double b) { return std::abs(a - b) <= room; };
        QVERIFY2(near(caption.left(), captionAt.x()) && near(figure.left(), figureAt.x()),
                 qPrintable(QString("caption at x %1, figure at %2 (pt); expected %3")
                                .arg(caption.left()).arg(figure.left()).arg(captionAt.x())));
        // The figure stands 20 scene pixels under the caption.
        QVERIFY2(near(figure.top() - caption.top(), unitsToPoints(20 * copy.pixel())),
                 qPrintable(QString("caption at y %1, figure at %2 (pt)")
                                .arg(caption.top()).arg(figure.top())));
        QVERIFY2(caption.top() > captionAt.y() - room && caption.bottom() < figureAt.y() + room,
                 qPrintable(QString("caption at y %1 (pt), expected from %2")
                                .arg(caption.top()).arg(captionAt.y())));
    }

    // A solid line whose ends are given runs whole, through the label on its row: every pixel
    // along it is drawn, by the line or by the label over it.
    void linesThroughLabelsPrintWhole_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("chart");
        QTest::newRow("gamma target through 2.2") << "gamma target" << "gamma";
        QTest::newRow("dE2000 limit 10 through its label") << "dE2000 limit 10" << "delta";
    }

    void linesThroughLabelsPrintWhole()
    {
        QFETCH(QString, line);
        QFETCH(QString, chart);
        const Copy copy = copies[chart];
        const QLineF l = lines[line].line;
        const QPointF from = copy.toPage(l.p1());
        const QPointF to = copy.toPage(l.p2());
        const double half = copy.pixel();
        QPoint origin;
        const QImage strip = renderArea(pdfOf[chart], pageOf[chart],
                                        QRectF(QPointF(from.x(), from.y() - 2 * half),
                                               QPointF(to.x(), to.y() + 2 * half)),
                                        "reportlabels_" + QString(line).replace(' ', '_'), &origin);
        QVERIFY(!strip.isNull());
        // The pixel rows the line's pen covers, half a scene pixel each side of its row, and its
        // columns but the ends' pixels.
        const int top = unitsToDots(from.y() - half / 2) - origin.y();
        const int bottom = unitsToDots(from.y() + half / 2) - origin.y();
        QVERIFY(bottom > top && bottom < strip.height());
        QStringList blank;
        for (int x = 2; x < strip.width() - 2; ++x) {
            bool drawn = false;
            for (int y = top; y <= bottom && !drawn; ++y)
                drawn = qGray(strip.pixel(x, y)) < 230;
            if (!drawn)
                blank << QString::number(x);
        }
        QVERIFY2(blank.isEmpty(), qPrintable(QString("nothing drawn at %1 of %2 columns: %3")
                                                 .arg(blank.size()).arg(strip.width())
                                                 .arg(blank.mid(0, 20).join(' '))));
    }

    // The labels under the columns print whole: each ends above the copy's lower edge, where a
    // label cut there would still have ink, and its figures show above that.
    void columnLabelsPrintWhole_data()
    {
        QTest::addColumn<QString>("chart");
        QTest::newRow("gamma, summary") << "gamma";
        QTest::newRow("RGB levels, summary") << "rgb";
        QTest::newRow("gamut chart, detailed report") << "gamut detail";
    }

    void columnLabelsPrintWhole()
    {
        QFETCH(QString, chart);
        const Copy copy = copies[chart];
        const QList<QPair<QString, QRectF>> labels = columnLabels[chart];
        QVERIFY(labels.size() >= 4);
        const double px = copy.pixel();
        // The last scene pixel and a half of the copy, and the ten above them.
        const double edge = copy.target.bottom();
        QPoint origin;
        const QImage band = renderArea(pdfOf[chart], pageOf[chart],
                                       QRectF(copy.target.left(), edge - 12 * px, copy.target.width(), 12 * px),
                                       "reportlabels_columns_" + QString(chart).replace(' ', '_'), &origin);
        QVERIFY(!band.isNull());
        const int lowTop = unitsToDots(edge - 1.5 * px) - origin.y();
        const int lowBottom = unitsToDots(edge) - origin.y() - 2;
        const int highTop = unitsToDots(edge - 11.5 * px) - origin.y();
        for (const auto& label : labels) {
            // The diagram reaches down to the lower edge left of 0.3.
            if (chart == "gamut detail" && label.first.toDouble() < 0.3)
                continue;
            const int left = unitsToDots(copy.toPage(label.second.topLeft()).x()) - origin.x();
            const int right = unitsToDots(copy.toPage(label.second.topRight()).x()) - origin.x();
            int low = 0;
            int high = 0;
            for (int x = qMax(left, 0); x <= qMin(right, band.width() - 1); ++x) {
                for (int y = lowTop; y <= lowBottom; ++y)
                    low += inked(band.pixel(x, y));
                for (int y = highTop; y < lowTop; ++y)
                    high += inked(band.pixel(x, y));
            }
            QVERIFY2(high > 0, qPrintable(label.first + " does not show"));
            QVERIFY2(low == 0, qPrintable(QString("\"%1\" is cut at the copy's edge (%2 pixels of ink there)")
                                              .arg(label.first).arg(low)));
        }
    }
};

QV_TEST_MAIN_APPLICATION(TestReportLabels)
#include "tst_reportlabels.moc"
