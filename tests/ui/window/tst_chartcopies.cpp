// The copies of the charts that the reports print: every label that shows in a copy shows whole,
// the labels under the columns and the row label on the plot's bottom edge included, while the
// scene keeps each label at its own place.

#include "ui/window/deltewindow.h"
#include "ui/window/gammawindow.h"
#include "ui/window/gmtgamut.h"
#include "ui/window/rgblevelwindow.h"

#include "chartreference.h"
#include "resources/resources.h"
#include "sceneitems.h"
#include "testenv.h"

#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

enum Chart { Gamma, RgbLevel, DeltaGray, Gamut };

// A chart and how it copies itself into a painter rectangle, as the reports call it.
struct Copied
{
    std::unique_ptr<BaseWindow> window;
    std::function<void(QPainter*, int, int, int, int)> render;
};

Copied makeChart(Chart chart, QGraphicsScene* scene)
{
    switch (chart) {
    case Gamma: {
        auto* w = new GammaWindow(scene, nullptr);
        return {std::unique_ptr<BaseWindow>(w), [w](QPainter* p, int x, int y, int cw, int ch) {
                    w->render(p, x, y, cw, ch);
                }};
    }
    case RgbLevel: {
        auto* w = new RgbLevelWindow(scene, nullptr);
        return {std::unique_ptr<BaseWindow>(w), [w](QPainter* p, int x, int y, int cw, int ch) {
                    w->render(p, x, y, cw, ch);
                }};
    }
    case DeltaGray: {
        auto* w = new DelteWindow(scene, nullptr);
        w->grayLayout = true;
        return {std::unique_ptr<BaseWindow>(w), [w](QPainter* p, int x, int y, int cw, int ch) {
                    w->render(p, x, y, cw, ch);
                }};
    }
    case Gamut: {
        auto* w = new GmtGamut(scene, nullptr);
        return {std::unique_ptr<BaseWindow>(w), [w](QPainter* p, int x, int y, int cw, int ch) {
                    w->render(p, x, y, cw, ch);
                }};
    }
    }
    return {};
}

// The rows of `image` in which a pixel differs from `without`.
QList<int> rowsThatDiffer(const QImage& image, const QImage& without, const QRect& area)
{
    QList<int> rows;
    for (int y = qMax(area.top(), 0); y <= qMin(area.bottom(), image.height() - 1); ++y) {
        for (int x = qMax(area.left(), 0); x <= qMin(area.right(), image.width() - 1); ++x) {
            if (image.pixel(x, y) != without.pixel(x, y)) {
                rows << y;
                break;
            }
        }
    }
    return rows;
}

// The chart's copy at one scene pixel per picture pixel, so that a label's rows can be counted.
QImage copyOf(const Copied& chart, const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    chart.render(&painter, 0, 0, size.width(), size.height());
    return image;
}

} // namespace

class TestChartCopies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }
    void init()
    {
        testenv::clearSettings();
        useStandard(StandardHdtvRec709);
        useChart(0);
    }

    void everyLabelIsCopiedWhole_data()
    {
        QTest::addColumn<int>("chart");
        QTest::addColumn<QSize>("size");
        // The sizes the charts have on the 1200 x 510 page the reports are printed from.
        QTest::newRow("gamma") << int(Gamma) << QSize(287, 246);
        QTest::newRow("RGB levels") << int(RgbLevel) << QSize(287, 246);
        QTest::newRow("dE2000, gray page") << int(DeltaGray) << QSize(280, 246);
        QTest::newRow("CIE 1931") << int(Gamut) << QSize(458, 505);
    }

    void everyLabelIsCopiedWhole()
    {
        QFETCH(int, chart);
        QFETCH(QSize, size);
        QGraphicsScene scene;
        scene.setBackgroundBrush(Qt::white);
        const Copied copied = makeChart(Chart(chart), &scene);
        BaseWindow& w = *copied.window;
        w.place(10, 20, size.width(), size.height());
        const QRectF plot(w.x + 1, w.y + 48, w.width - 2, w.height - 49);
        const QSize copySize = plot.size().toSize();

        QList<QGraphicsSimpleTextItem*> labels;
        for (QGraphicsSimpleTextItem* t : itemsOf<QGraphicsSimpleTextItem>(scene)) {
            if (t->sceneBoundingRect().intersects(plot))
                labels << t;
        }
        QVERIFY(!labels.isEmpty());
        // The labels that reach below the plot: those under the columns, at least.
        int reachingBelow = 0;
        for (const QGraphicsSimpleTextItem* t : labels)
            reachingBelow += t->sceneBoundingRect().bottom() > plot.bottom();
        QVERIFY(reachingBelow >= 4);

        QList<QPointF> places;
        for (const QGraphicsSimpleTextItem* t : labels)
            places << t->pos();
        const QImage copy = copyOf(copied, copySize);
        for (int i = 0; i < labels.size(); ++i)
            QCOMPARE(labels[i]->pos(), places[i]);

        for (QGraphicsSimpleTextItem* label : labels) {
            // The rows the label inks on its own, and the rows it inks in the copy: the same
            // count, so not one row of it is cut away.
            label->setVisible(false);
            const QImage without = copyOf(copied, copySize);
            label->setVisible(true);
            QImage alone(label->boundingRect().size().toSize() + QSize(2, 2), QImage::Format_RGB32);
            alone.fill(Qt::white);
            {
                QPainter painter(&alone);
                painter.translate(1, 1);
                const QStyleOptionGraphicsItem option;
                label->paint(&painter, &option, nullptr);
            }
            QImage blank(alone.size(), QImage::Format_RGB32);
            blank.fill(Qt::white);
            const int own = rowsThatDiffer(alone, blank, alone.rect()).size();
            QVERIFY(own > 5);
            const QRect around = label->sceneBoundingRect()
                                     .translated(-plot.topLeft())
                                     .toAlignedRect()
                                     .adjusted(-1, -20, 1, 20);
            const int copied = rowsThatDiffer(copy, without, around).size();
            QVERIFY2(copied >= own - 1, qPrintable(QString("\"%1\" shows %2 of its %3 rows")
                                                   .arg(label->text())
                                                   .arg(copied)
                                                   .arg(own)));
        }
    }
};

QV_TEST_MAIN_WIDGETS(TestChartCopies)
#include "tst_chartcopies.moc"
