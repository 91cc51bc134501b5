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
#include "virtualclock.h"

#include <QDir>
#include <QPushButton>
#include <QTableWidget>

#include <memory>

// Reaches the window's private parts for the checks.
class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow& w) : w(w) {}
    MainWindow& w;
    Measure* measure() const { return w.measure; }
    MeasureThread* thread() const { return w.measureThread; }
    FullScene* scene() const { return w.fullScene; }
    QPushButton* startButton() const { return w.startButton; }
};

namespace {

const char kFinishedText[] = "Meaurement process finished!";
const char kConfirmText[] = "Please Confirm parameters!                   ";
const char kSimulatorText[] = "This is an simulator sensor.                   ";
constexpr int kSteps = 2;

QStringList texts(const MessageRecorder& boxes)
{
    QStringList out;
    for (const RecordedMessage& m : boxes.messages())
        out << m.text;
    return out;
}

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
        QVERIFY(QDir::setCurrent(QString::fromUtf8(QV_RUNTIME_DIR)));
    }

    void init()
    {
        testenv::clearSettings();
        platform::writeSetting("measure", "steps", kSteps);
        platform::writeSetting("measure", "warmtime", 0);
        platform::writeSetting("measure", "sigtype", 0);
        Application::instance()->loadReference();
        Measure::setClosePatternAfterRun(true);
        window = std::make_unique<MainWindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
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
        QTRY_VERIFY_WITH_TIMEOUT(texts(boxes).contains(kFinishedText), 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!p.thread()->isRunning(), 60000);
        QTest::qWait(50); // the run's queued signals

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
        QTRY_VERIFY_WITH_TIMEOUT(texts(boxes).contains(kFinishedText), 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!p.thread()->isRunning(), 60000);
        QTest::qWait(50);
        QCOMPARE(texts(boxes), (QStringList{kSimulatorText, kFinishedText}));
        QCOMPARE(p.measure()->grayList().size(), kSteps + 2);
        QCOMPARE(grayTableLuminances(p.scene()).size(), kSteps + 1);
    }

private:
    std::unique_ptr<MainWindow> window;
};

QV_TEST_MAIN_APPLICATION(TestAutomationProgram)
#include "tst_automationprogram.moc"
