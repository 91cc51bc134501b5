// The views' part of the data file: the page pictures (geometry, only the view's own page, the
// colour-checker pictures each with its own set) and the section readers, which replace the
// engine's lists only with whole valid sections.

#include "apptestmain.h"
#include "measure/measure.h"
#include "measure/measuredatafile.h"
#include "platform/settings.h"
#include "testenv.h"
#include "ui/view/colorchkview.h"
#include "ui/view/freeview.h"
#include "ui/view/grayview.h"

#include <QDataStream>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const int kWidth = 1000;
const int kHeight = 600;
const QColor kFill(37, 37, 37);

QList<CColor> colours(int n)
{
    QList<CColor> list;
    for (int i = 0; i < n; ++i) {
        CColor c(i + 1.0, i + 2.0, i + 3.0);
        c.levelR = 0.25;
        list << c;
    }
    return list;
}

QGraphicsRectItem* block(QGraphicsScene& scene, const QRectF& r, const QColor& colour)
{
    auto* item = scene.addRect(r, Qt::NoPen, QBrush(colour));
    return item;
}

} // namespace

class TestViewData : public QObject
{
    Q_OBJECT

private slots:
    void init() { testenv::clearSettings(); }

    void pictureIsThePageBetweenTwoBands()
    {
        QTemporaryDir dir;
        Measure measure;
        QGraphicsScene scene;
        scene.setBackgroundBrush(kFill);
        FreeView view(&scene, &measure);
        view.setGeometry(5 * kWidth, kWidth, kHeight);
        // A block at the free page's top-left corner and one just left of it, on the colour-
        // checker page: only the first belongs in the picture.
        block(scene, QRectF(5 * kWidth, 0, 40, 30), Qt::red);
        block(scene, QRectF(5 * kWidth - 40, 100, 40, 30), Qt::green);
        // One that reaches below the page shows in the lower band.
        block(scene, QRectF(5 * kWidth + 500, kHeight - 5, 20, 10), Qt::blue);
        measure.setResults(Measure::FreeResults, colours(1));

        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        MeasureDataFile::setUpStream(out);
        QVERIFY(view.exportData(dir.filePath("run"), out));

        const QImage picture(dir.filePath("run_free.png"));
        QCOMPARE(picture.size(), QSize(kWidth, kHeight + 25));
        QCOMPARE(picture.pixelColor(10, 14), kFill);
        QCOMPARE(picture.pixelColor(10, 15), QColor(Qt::red));
        QCOMPARE(picture.pixelColor(39, 44), QColor(Qt::red));
        QCOMPARE(picture.pixelColor(10, 45), kFill);
        QCOMPARE(picture.pixelColor(kWidth - 5, 130), kFill);
        QCOMPARE(picture.pixelColor(510, 15 + kHeight + 2), QColor(Qt::blue));
        QCOMPARE(picture.pixelColor(10, kHeight + 24), kFill);
        // The section: 28 bytes of key, the count, one 24-byte colour.
        QCOMPARE(bytes.size(), 28 + 4 + 24);
    }

    void pictureThatCannotBeSavedIsReported()
    {
        QTemporaryDir dir;
        Measure measure;
        QGraphicsScene scene;
        GrayView view(&scene, &measure);
        view.setGeometry(0, kWidth, kHeight);
        measure.setResults(Measure::GrayResults, colours(2));
        QVERIFY(QDir(dir.path()).mkdir("run_gray.png"));
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        MeasureDataFile::setUpStream(out);
        QVERIFY(!view.exportData(dir.filePath("run"), out));
        // The section is written all the same.
        QCOMPARE(bytes.size(), 22 + 2 * 48);
    }

    void checkerPicturesEachShowTheirOwnSet_data()
    {
        QTest::addColumn<int>("colortype");
        QTest::newRow("settings choose the checker set") << 0;
        QTest::newRow("settings choose the EBU set") << 1;
    }

    void checkerPicturesEachShowTheirOwnSet()
    {
        QFETCH(int, colortype);
        platform::writeSetting("measure", "colortype", colortype);
        QTemporaryDir dir;
        Measure measure;
        QGraphicsScene scene;
        ColorChkView view(&scene, &measure);
        measure.setResults(Measure::ColorCheckerResults, colours(19));
        measure.setResults(Measure::EbuResults, colours(16));

        // Stands in for the scene's relayout: the page shows which set it draws.
        QList<int> drawnSets;
        auto relayout = [&] {
            scene.clear();
            const int set = view.colorType();
            drawnSets << set;
            view.setGeometry(4 * kWidth, kWidth, kHeight);
            block(scene, QRectF(4 * kWidth, 0, kWidth, kHeight), set == 0 ? Qt::red : Qt::blue);
        };
        relayout();
        drawnSets.clear();

        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        MeasureDataFile::setUpStream(out);
        QVERIFY(view.exportData(dir.filePath("run"), out, relayout));

        QCOMPARE(QImage(dir.filePath("run_colorchecker.png")).pixelColor(100, 100),
                 QColor(Qt::red));
        QCOMPARE(QImage(dir.filePath("run_colorchecker_EBU.png")).pixelColor(100, 100),
                 QColor(Qt::blue));
        // Back to the set of the settings, and the page drawn with it again.
        QCOMPARE(view.colorType(), colortype);
        QCOMPARE(drawnSets.last(), colortype);
        QCOMPARE(bytes.size(), 2 * (4 + 22 + 4) + (19 + 16) * 48);
    }

    void sectionReadersReplaceOnlyWithAWholeSection_data()
    {
        QTest::addColumn<int>("cut");
        QTest::addColumn<bool>("ok");
        QTest::newRow("whole") << 0 << true;
        QTest::newRow("one byte short") << 1 << false;
        QTest::newRow("inside the second key") << 48 * 3 + 20 << false;
    }

    void sectionReadersReplaceOnlyWithAWholeSection()
    {
        QFETCH(int, cut);
        QFETCH(bool, ok);
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            MeasureDataFile::setUpStream(out);
            MeasureDataFile::writeSection(out, MeasureDataFile::ColorChkSection, colours(2));
            MeasureDataFile::writeSection(out, MeasureDataFile::EbuSection, colours(3));
        }
        bytes.chop(cut);

        Measure measure;
        QGraphicsScene scene;
        ColorChkView view(&scene, &measure);
        measure.setResults(Measure::ColorCheckerResults, colours(7));
        measure.setResults(Measure::EbuResults, colours(9));
        QDataStream in(bytes);
        MeasureDataFile::setUpStream(in);
        QCOMPARE(view.loadData(in), ok);
        QCOMPARE(measure.colorChkList().size(), ok ? 2 : 7);
        QCOMPARE(measure.ebuList().size(), ok ? 3 : 9);
    }

    void grayReaderStoresTheStepCount_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("steps");
        QTest::newRow("22 records") << 22 << 20;
        QTest::newRow("two records: kept") << 2 << 17;
        QTest::newRow("no records: kept") << 0 << 17;
    }

    void grayReaderStoresTheStepCount()
    {
        QFETCH(int, records);
        QFETCH(int, steps);
        platform::writeSetting("measure", "steps", 17);
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            MeasureDataFile::setUpStream(out);
            MeasureDataFile::writeSection(out, MeasureDataFile::GraySection, colours(records));
        }
        Measure measure;
        QGraphicsScene scene;
        GrayView view(&scene, &measure);
        QDataStream in(bytes);
        MeasureDataFile::setUpStream(in);
        QVERIFY(view.loadData(in));
        QCOMPARE(measure.grayList().size(), records);
        QCOMPARE(platform::readSetting("measure", "steps").toInt(), steps);
    }
};

QV_TEST_MAIN_APPLICATION(TestViewData)
#include "tst_viewdata.moc"
