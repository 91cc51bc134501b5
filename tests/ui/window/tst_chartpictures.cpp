// The pictures of the window frames: every one exists at the size it is drawn at, and a placed
// window shows the dark look (the frame body and the title bar's gradient) on screen.

#include "ui/window/basewindow.h"

#include "resources/resources.h"
#include "testenv.h"

#include <QDir>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>

class TestChartPictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initPictureResources(); }

    void picturesHaveTheirSizes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("title bar, left piece") << ":/title/resource/sub_top_1.png" << QSize(73, 47);
        QTest::newRow("title bar, middle piece") << ":/title/resource/sub_top_2.png" << QSize(145, 47);
        QTest::newRow("title bar, right piece") << ":/title/resource/sub_top_3.png" << QSize(52, 47);
        const char* const icons[] = {"icon_CCT",   "icon_GAMMA",  "icon_Grey",        "icon_RGB_a",
                                     "icon_RGB_b", "icon_SPECT",  "icon_target",      "icon_White Point",
                                     "icon_CIE",   "icon_data",   "icon_Delte",       "tolerance"};
        for (const char* icon : icons) {
            const QString path = QStringLiteral(":/icons/resource/%1.png").arg(QLatin1String(icon));
            QTest::newRow(qPrintable(path)) << path << QSize(35, 35);
        }
    }
    void picturesHaveTheirSizes()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), size);
        // Something is drawn: the picture is not fully transparent.
        QVERIFY(image.pixelColor(size.width() / 2, size.height() / 2).alpha() > 0);
    }

    void placedWindowShowsTheDarkLook()
    {
        QGraphicsScene scene;
        scene.setBackgroundBrush(QColor(37, 37, 37));
        BaseWindow window(QStringLiteral("Gamma"), QStringLiteral(":/icons/resource/icon_GAMMA.png"),
                          &scene, nullptr);
        window.place(20, 20, 400, 260);

        QImage shot(440, 300, QImage::Format_RGB32);
        {
            QPainter painter(&shot);
            scene.render(&painter, QRectF(0, 0, 440, 300), QRectF(0, 0, 440, 300));
        }
        QVERIFY(shot.save(QDir(testenv::artifactDir()).filePath("chart_window_frame.png")));

        // The body of the frame, below the title band.
        QCOMPARE(shot.pixelColor(220, 200), QColor(32, 32, 32));
        // Outside the window the scene's background shows.
        QCOMPARE(shot.pixelColor(5, 5), QColor(37, 37, 37));
        // The title bar: lighter near its top than at two thirds of its height, and never lighter
        // than its top rows; its bottom row is nearly black.
        const int barTop = 20 - 2;
        const int light = qGray(shot.pixel(350, barTop + 2));
        const int dark = qGray(shot.pixel(350, barTop + 31));
        QVERIFY2(light >= 60 && light <= 70, qPrintable(QString::number(light)));
        QVERIFY2(dark >= 24 && dark <= 32, qPrintable(QString::number(dark)));
        QVERIFY(qGray(shot.pixel(350, barTop + 46)) < 12);
    }
};

QV_TEST_MAIN_WIDGETS(TestChartPictures)
#include "tst_chartpictures.moc"
