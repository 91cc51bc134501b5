// The instruments behind automation servers from the main window: each one connected through the
// engine's factory measures a 2-step gray scale against its fake server, with the result on the
// gray page; without a server, connecting shows the failure and the simulator still measures.
#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "sensors/sensor.h"
#include "shell/fullscene.h"
#include "ui/view/grayview.h"
#include "ui/window/graydatawindow.h"

#include "apptestmain.h"
#include "automationfakes.h"
#include "messagerecorder.h"
#include "platform/settings.h"
#include "testenv.h"
#include "mainwindowharness.h"
#include "virtualclock.h"

#include <QDir>
#include <QPushButton>
#include <QTableWidget>

#include <memory>

using namespace mainwindowharness;

namespace {

constexpr int kSteps = 2;

// The Y column of the gray page's table, row by row (black first).
QStringList grayTableLuminances(FullScene* scene)
{
    auto* gray = qobject_cast<GrayView*>(scene->view(MeasureGray));
    QStringList out;
    if (!gray)
        return out;
    QTableWidget* table = gray->dataWindow->currentTable();
    for (int row = 0; row < table->rowCount(); ++row)
        out << (table->item(row, 2) ? table->item(row, 2)->text() : QString());
    return out;
}

} // namespace

class TestAutomationProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The simulator and the fonts are read from the run directory.
        QVERIFY(enterRunDirectory());
    }

    void init()
    {
        testenv::clearSettings();
        useQuickRuns(kSteps);
        Application::instance()->loadReference();
        Measure::setClosePatternAfterRun(true);
        QVERIFY(showMainWindow(window));
    }
    void cleanup() { window.reset(); }

    void grayScaleAgainstTheServer_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("Chroma 5") << int(SensorModel::Chroma5);
        QTest::newRow("CA-210 over USB") << int(SensorModel::CA210);
    }
    void grayScaleAgainstTheServer()
    {
        QFETCH(int, type);
        MainWindowProbe p(*window);
        // White at 100, then black 0.5, half 21, full 99 cd/m2 (D65 chromaticity).
        const double Y[] = {100.0, 0.5, 21.0, 99.0};
        std::unique_ptr<FakeChroma5Server> c5;
        std::unique_ptr<FakeCa200Server> ca;
        if (type == SensorModel::Chroma5) {
            c5 = std::make_unique<FakeChroma5Server>();
            c5->readings.clear();
            for (double y : Y)
                c5->readings.append({0.3127, 0.3290, y, 0});
        } else {
            ca = std::make_unique<FakeCa200Server>();
            ca->readings.clear();
            for (double y : Y) {
                const CColor white(95.047 * y / 100.0, y, 108.883 * y / 100.0);
                ca->readings << CColor(0.0, 0.0, 0.0) << white; // the first of each pair is discarded
            }
        }
        VirtualClock clock(1);
        MessageRecorder boxes;
        QVERIFY(p.measure()->openSensor(type));
        QCOMPARE(p.measure()->sensor()->name, sensorModelName(type));

        QTest::mouseClick(p.startButton(), Qt::LeftButton);
        QVERIFY2(waitForRunEnd(p, boxes), qPrintable(texts(boxes).join('|')));

        QCOMPARE(texts(boxes), (QStringList{kConfirmText, kFinishedText}));
        QCOMPARE(p.measure()->grayList().size(), kSteps + 2);
        QCOMPARE(grayTableLuminances(p.scene()), (QStringList{"0.500", "21.000", "99.000"}));
        auto* gray = qobject_cast<GrayView*>(p.scene()->view(MeasureGray));
        QVERIFY(gray->whiteMarker() && gray->lumaCurve());

        const QString shot = QDir(testenv::artifactDir())
                                 .filePath(QString("automation_gray_%1.png").arg(QTest::currentDataTag()).replace(' ', '_'));
        QVERIFY(window->grab().save(shot));
    }

    void withoutServerTheSimulatorStillMeasures_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("failure");
        QTest::newRow("Chroma 5") << int(SensorModel::Chroma5)
                                  << QStringList{"Open device failed", "Initialize sensor failed!"};
        QTest::newRow("CA-210 over USB") << int(SensorModel::CA210) << QStringList{"Initialize sensor failed!"};
    }
    void withoutServerTheSimulatorStillMeasures()
    {
        QFETCH(int, type);
        QFETCH(QStringList, failure);
        MainWindowProbe p(*window);
        VirtualClock clock(1);
        MessageRecorder boxes;
        QVERIFY(!p.measure()->openSensor(type));
        QCOMPARE(texts(boxes), failure);
        QVERIFY(window->isVisible());

        boxes.clear();
        QVERIFY(p.measure()->openSensor(SensorModel::Simulator));
        QTest::mouseClick(p.startButton(), Qt::LeftButton);
        QVERIFY2(waitForRunEnd(p, boxes), qPrintable(texts(boxes).join('|')));
        QCOMPARE(texts(boxes), (QStringList{kSimulatorText, kFinishedText}));
        QCOMPARE(p.measure()->grayList().size(), kSteps + 2);
        QCOMPARE(grayTableLuminances(p.scene()).size(), kSteps + 1);
    }

private:
    std::unique_ptr<MainWindow> window;
};

QV_TEST_MAIN_APPLICATION(TestAutomationProgram)
#include "tst_automationprogram.moc"
