// The pictures of the gray-scale page: sizes the layout formulas rely on and the pixels that
// make a marker readable (its core colour, the white point's white centre in a black frame).

#include "resources/resources.h"
#include "testenv.h"

#include <QImage>

class TestGrayPictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }

    void stepMarkers_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QColor>("core");
        QTest::newRow("white") << ":/measure/resource/meas_white.png" << QColor(255, 255, 255);
        QTest::newRow("red") << ":/measure/resource/meas_red.png" << QColor(255, 0, 0);
        QTest::newRow("green") << ":/measure/resource/meas_green.png" << QColor(0, 255, 0);
        QTest::newRow("blue") << ":/measure/resource/meas_blue.png" << QColor(0, 0, 255);
    }

    void stepMarkers()
    {
        QFETCH(QString, path);
        QFETCH(QColor, core);
        const QImage image(path);
        QCOMPARE(image.size(), QSize(6, 6));
        for (int y = 1; y <= 4; ++y)
            for (int x = 1; x <= 4; ++x)
                QCOMPARE(image.pixelColor(x, y), core);
        // An opaque mid-grey rim, darker at the corners.
        const QColor rim = image.pixelColor(0, 2);
        QCOMPARE(rim.alpha(), 255);
        QVERIFY(rim.red() >= 118 && rim.red() <= 130);
        QVERIFY(image.pixelColor(0, 0).green() < rim.green());
    }

    void whitePointMarker()
    {
        const QImage image(":/ref/resource/ref_white_2.png");
        QCOMPARE(image.size(), QSize(4, 4));
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::white));
        QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
        QCOMPARE(image.pixelColor(3, 1), QColor(Qt::black));
    }

    void whiteArea()
    {
        const QImage image(":/targets/resource/whitearea.png");
        QCOMPARE(image.size(), QSize(114, 114));
        QVERIFY(image.hasAlphaChannel());
        // Opaque and light in the middle, transparent in the corners.
        const QColor middle = image.pixelColor(57, 57);
        QCOMPARE(middle.alpha(), 255);
        QVERIFY(middle.lightness() > 180);
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        // Greenish top left, bluish bottom left.
        const QColor topLeft = image.pixelColor(25, 25);
        QVERIFY(topLeft.green() > topLeft.blue());
        const QColor bottomLeft = image.pixelColor(25, 88);
        QVERIFY(bottomLeft.blue() > bottomLeft.red());
    }

    void measuredWhiteMarkerIsCentredOnItsMiddle()
    {
        const QImage image(":/targets/resource/tg.png");
        QVERIFY(!image.isNull());
        QCOMPARE(image.width() % 2, 0);
        QCOMPARE(image.height() % 2, 0);
    }
};

QV_TEST_MAIN_WIDGETS(TestGrayPictures)
#include "tst_graypictures.moc"
