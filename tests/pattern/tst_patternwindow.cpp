// The local pattern window: the colour it shows, its title per mode, the free-mode controls.
#include "pattern/patternwindow.h"
#include "testenv.h"

#include <QGroupBox>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

namespace {

// Every sampled pixel of the colour area has the colour.
bool areaShows(const QImage& image, const QRect& area, const QColor& colour, QString* where)
{
    const int xs[] = {area.left(), area.center().x(), area.right()};
    const int ys[] = {area.top(), area.center().y(), area.bottom()};
    for (int x : xs) {
        for (int y : ys) {
            const QColor seen = image.pixelColor(x, y);
            if (seen.rgb() != colour.rgb()) {
                *where = QString("(%1, %2) shows %3").arg(x).arg(y).arg(seen.name());
                return false;
            }
        }
    }
    return true;
}

} // namespace

class TestPatternWindow : public QObject
{
    Q_OBJECT

private slots:
    void freshWindow()
    {
        PatternWindow w;
        QVERIFY(w.isHidden());
        QCOMPARE(w.windowTitle(), QString("TestPattern"));
        QCOMPARE(w.minimumSize(), QSize(800, 600));
        QCOMPARE(w.redSlider->value(), 255);
        QCOMPARE(w.graySpin->value(), 255);
        QCOMPARE(w.redSlider->maximum(), 255);
        QCOMPARE(w.red, 0.0);
        QCOMPARE(w.controls->width(), 800);
    }

    void titleNamesTheModeAndProgress_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("percent");
        QTest::addColumn<QString>("title");
        QTest::newRow("gray at 45") << 0 << 45 << "TestPattern  Gray 45%";
        QTest::newRow("gamut at 28") << 1 << 28 << "TestPattern  Gamut 28%";
        QTest::newRow("saturation") << 2 << 100 << "TestPattern  Saturation 100%";
        QTest::newRow("colour scale") << 3 << 0 << "TestPattern  ColorScale 0%";
        QTest::newRow("colour checker") << 4 << 50 << "TestPattern  ColorChecker 50%";
        QTest::newRow("free has no percentage") << 5 << 30 << "TestPattern  Free";
        QTest::newRow("mode 6 is named Free") << 6 << 10 << "TestPattern  Free 10%";
        QTest::newRow("calibrate") << 7 << 99 << "TestPattern  Calibrate 99%";
        QTest::newRow("mode 8 is named Free") << 8 << 1 << "TestPattern  Free 1%";
    }
    void titleNamesTheModeAndProgress()
    {
        QFETCH(int, mode);
        QFETCH(int, percent);
        QFETCH(QString, title);
        PatternWindow w;
        w.setPatternColor(10, 20, 30, mode, percent);
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(w.mode, mode);
    }

    void windowShowsExactlyTheRequestedColour_data()
    {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("grayMovedFirst");
        QTest::newRow("gamut patch") << 10 << 20 << 30 << 1 << false;
        QTest::newRow("black") << 0 << 0 << 0 << 0 << false;
        QTest::newRow("white") << 255 << 255 << 255 << 0 << false;
        QTest::newRow("after the user moved gray") << 200 << 40 << 90 << 2 << true;
        QTest::newRow("free mode after gray moved") << 12 << 34 << 56 << 5 << true;
    }
    void windowShowsExactlyTheRequestedColour()
    {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        QFETCH(int, mode);
        QFETCH(bool, grayMovedFirst);
        PatternWindow w;
        w.resize(800, 600);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (grayMovedFirst)
            w.graySlider->setValue(100);
        w.setPatternColor(r, g, b, mode, 50);
        QCOMPARE(w.red, double(r));
        QCOMPARE(w.green, double(g));
        QCOMPARE(w.blue, double(b));
        QCOMPARE(w.redSpin->value(), r);
        QCOMPARE(w.greenSlider->value(), g);
        QCOMPARE(w.blueSpin->value(), b);
        QCOMPARE(w.graySlider->value(), 255);
        QCOMPARE(w.graySpin->value(), 255);
        QCoreApplication::processEvents();

        const QImage shot = w.grab().toImage();
        QRect area = shot.rect();
        if (mode == PatternWindow::kFreeMode)
            area.setTop(w.controls->height() + PatternWindow::kControlsGap);
        QString where;
        QVERIFY2(areaShows(shot, area, QColor(r, g, b), &where), qPrintable(where));
        shot.save(testenv::artifactDir() + QString("/patternwindow_%1_%2_%3_mode%4.png")
                                               .arg(r).arg(g).arg(b).arg(mode));
    }

    void controlsShowOnlyInFreeMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("visible");
        for (int mode : {0, 1, 2, 3, 4, 6, 7})
            QTest::newRow(qPrintable(QString("mode %1 hides the panel").arg(mode))) << mode << false;
        QTest::newRow("mode 5 shows the panel") << 5 << true;
    }
    void controlsShowOnlyInFreeMode()
    {
        QFETCH(int, mode);
        QFETCH(bool, visible);
        PatternWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.setPatternColor(255, 255, 255, 5, 0);
        w.setPatternColor(255, 255, 255, mode, 0);
        QCoreApplication::processEvents();
        QCOMPARE(w.controls->isVisible(), visible);
    }

    void grayControlSetsAllThreeLevels_data()
    {
        QTest::addColumn<bool>("useSpin");
        QTest::newRow("gray slider") << false;
        QTest::newRow("gray spin box") << true;
    }
    void grayControlSetsAllThreeLevels()
    {
        QFETCH(bool, useSpin);
        PatternWindow w;
        w.setPatternColor(10, 20, 30, 5, 0);
        if (useSpin)
            w.graySpin->setValue(100);
        else
            w.graySlider->setValue(100);
        QCOMPARE(w.red, 100.0);
        QCOMPARE(w.green, 100.0);
        QCOMPARE(w.blue, 100.0);
        for (QSlider* s : {w.redSlider, w.greenSlider, w.blueSlider, w.graySlider})
            QCOMPARE(s->value(), 100);
        for (QSpinBox* s : {w.redSpin, w.greenSpin, w.blueSpin, w.graySpin})
            QCOMPARE(s->value(), 100);
    }

    void colourControlSetsItsLevelAndItsTwin()
    {
        PatternWindow w;
        w.setPatternColor(10, 20, 30, 5, 0);
        w.greenSlider->setValue(77);
        QCOMPARE(w.green, 77.0);
        QCOMPARE(w.greenSpin->value(), 77);
        w.blueSpin->setValue(5);
        QCOMPARE(w.blue, 5.0);
        QCOMPARE(w.blueSlider->value(), 5);
        QCOMPARE(w.red, 10.0);
        double r = 0, g = 0, b = 0;
        w.getPatternColor(r, g, b);
        QCOMPARE(r, 10.0 / 255);
        QCOMPARE(g, 77.0 / 255);
        QCOMPARE(b, 5.0 / 255);
    }

    void escapeEmitsStopMeasureOncePerPress()
    {
        PatternWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy spy(&w, &PatternWindow::stopMeasure);
        QTest::keyClick(&w, Qt::Key_Escape);
        QTest::keyClick(&w, Qt::Key_A);
        QTest::keyClick(&w, Qt::Key_Escape);
        QCOMPARE(spy.count(), 2);
    }
};

QV_TEST_MAIN_WIDGETS(TestPatternWindow)
#include "tst_patternwindow.moc"
