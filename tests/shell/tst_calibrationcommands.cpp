// The main window's calibration commands as an operator meets them: a monitor calibration
// started from the LUT button with a display (the simulator under another name), the LUT folder
// and the options answered in their dialogs, the files written and read by OpenColorIO; the
// refusals, the cancelled dialogs, and the sensor calibration command.

#include "apptestmain.h"
#include "dialogrecorder.h"
#include "measure/calibratemonitor.h"
#include "measure/cubefile.h"
#include "measure/measure.h"
#include "measure/measurethread.h"
#include "messagerecorder.h"
#include "opencolorio.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/caldialog.h"
#include "shell/calibratedialog.h"
#include "shell/initdialog.h"
#include "shell/mainwindow.h"
#include "testenv.h"
#include "mainwindowharness.h"
#include "virtualclock.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace mainwindowharness;

namespace {

const QString kFinished = QStringLiteral("Calibrate finished.                             ");

// Answers the modal dialogs as they come up, one step each, in order.
class DialogAnswerer : public QObject
{
public:
    using Step = std::function<void(QWidget*)>;
    DialogAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || m_steps.isEmpty() || w == m_last)
                return;
            m_last = w;
            seen << w->metaObject()->className();
            m_steps.takeFirst()(w);
        });
        m_timer.start(10);
    }
    void then(Step step) { m_steps << step; }
    QStringList seen;

private:
    QTimer m_timer;
    QList<Step> m_steps;
    QWidget* m_last = nullptr;
};

DialogAnswerer::Step chooseFolder(const QString& folder, QString* startedIn = nullptr)
{
    return [folder, startedIn](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        QVERIFY(fd);
        if (startedIn)
            *startedIn = fd->directory().absolutePath();
        if (folder.isEmpty()) {
            fd->reject();
            return;
        }
        fd->setDirectory(folder);
        static_cast<QDialog*>(fd)->accept();  // the chooser's own accept, through the dialog's
    };
}

DialogAnswerer::Step options(bool accept)
{
    return [accept](QWidget* w) {
        auto* d = qobject_cast<CalDialog*>(w);
        QVERIFY(d);
        QVERIFY(d->windowFlags() & Qt::WindowStaysOnTopHint);
        if (!accept) {
            d->reject();
            return;
        }
        d->fastRadio->setChecked(true);
        d->hdtvRadio->setChecked(true);
        d->dciRadio->setChecked(false);
        d->uhdtvRadio->setChecked(false);
        d->lut3dRadio->setChecked(false);
        d->accept();
    };
}

} // namespace

class TestCalibrationCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(enterRunDirectory()); }
    void init()
    {
        m_window.reset();
        testenv::clearSettings();
        Measure::setClosePatternAfterRun(true);
        QVERIFY(showMainWindow(m_window));
    }
    void cleanup() { m_window.reset(); }

    void commandsAreOffered()
    {
        MainWindowProbe p(*m_window);
        QVERIFY(p.lutButton()->isEnabled());
        QCOMPARE(p.lutButton()->toolTip(), QString("Do monitor calibration"));
        QVERIFY(p.calibrateSensorAction()->isEnabled());
    }

    void simulatorIsRefused()
    {
        MainWindowProbe p(*m_window);
        MessageRecorder boxes;
        QTest::mouseClick(p.lutButton(), Qt::LeftButton);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Calibrate"));
        QCOMPARE(boxes.last().text, QString("This is an simulator sensor. "));
        QCOMPARE(boxes.last().informativeText, QString("To Select a physical sensor."));
        QCOMPARE(boxes.last().buttons, QStringList{"OK"});
        QVERIFY(!p.thread()->isRunning());
    }

    // Without an instrument the sensor selection comes first: cancelled, nothing starts; the
    // simulator chosen there meets the simulator refusal.
    void withoutASensorTheSelectionComesFirst_data()
    {
        QTest::addColumn<bool>("chooseSimulator");
        QTest::newRow("selection cancelled") << false;
        QTest::newRow("simulator chosen") << true;
    }
    void withoutASensorTheSelectionComesFirst()
    {
        QFETCH(bool, chooseSimulator);
        MainWindowProbe p(*m_window);
        p.measure()->detachSensor();
        QVERIFY(!p.measure()->sensor());
        DialogRecorder dialogs;
        if (chooseSimulator) {
            dialogs.answerNext([](QDialog& d) {
                auto* init = qobject_cast<InitDialog*>(&d);
                if (!init)
                    return int(QDialog::Rejected);
                init->sensorCombo->setCurrentIndex(SensorModel::Simulator);
                init->accept();
                return init->result();
            });
        }
        MessageRecorder boxes;
        QTest::mouseClick(p.lutButton(), Qt::LeftButton);
        QCOMPARE(dialogs.shown(), QStringList{"InitDialog"});
        QVERIFY(!p.thread()->isRunning());
        if (chooseSimulator) {
            QVERIFY(p.measure()->sensor());
            QCOMPARE(boxes.count(), 1);
            QCOMPARE(boxes.last().text, QString("This is an simulator sensor. "));
        } else {
            QVERIFY(!p.measure()->sensor());
            QCOMPARE(boxes.count(), 0);
        }
    }

    // The whole road: LUT button, folder, options (fast, HDTV), 90 patches, the table built
    // and written, the closing message naming the folder; OpenColorIO reads the file.
    void calibrationWritesTheLutFiles()
    {
        MainWindowProbe p(*m_window);
        QTemporaryDir folder;
        p.measure()->sensor()->name = QStringLiteral("Display under test");
        MessageRecorder boxes;
        VirtualClock clock(1);  // the simulator's reading time, counted instead of lived
        DialogAnswerer answers;
        answers.then(chooseFolder(folder.path()));
        answers.then(options(true));
        QTest::mouseClick(p.lutButton(), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return !p.thread()->isRunning() && boxes.count() == 1; }, 180000));
        QCOMPARE(answers.seen, (QStringList{"QFileDialog", "CalDialog"}));
        QCOMPARE(boxes.last().title, QString("Calibrate"));
        QCOMPARE(boxes.last().text, kFinished);
        QCOMPARE(boxes.last().informativeText, QString("Export path: %1").arg(folder.path()));
        QCOMPARE(platform::readSetting("calibrate", "savedir").toString(), folder.path());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"HDTV.cube"});

        const QString path = QDir(folder.path()).filePath("HDTV.cube");
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        Lut3d lut(2);
        QString error;
        QVERIFY2(cubefile::read(f.readAll(), path, &lut, &error), qPrintable(error));
        QCOMPARE(lut.size, 17);
        QVector<LutRgb> probes{LutRgb(0, 0, 0), LutRgb(1, 1, 1), LutRgb(0.5, 0.25, 0.75),
                               LutRgb(0.0625, 0.9375, 0.5), LutRgb(0.3, 0.3, 0.3)};
        QVector<LutRgb> theirs;
        QVERIFY2(opencolorio::apply(path, probes, &theirs, &error), qPrintable(error));
        for (int i = 0; i < probes.size(); ++i) {
            LutRgb ours = probes[i];
            lut.lookup(&ours);
            for (int k = 0; k < 3; ++k)
                QVERIFY(std::fabs(theirs[i].rgb[k] - ours.rgb[k]) < 2e-6);
        }
        // The display is brighter than 0.9 of itself everywhere: white asks for less than full.
        QVERIFY(lut.grid[16][16][16][1] < 1.0 && lut.grid[16][16][16][1] > 0.9);
    }

    // A cancelled folder chooser clears the stored folder and skips the options; a cancelled
    // options dialog keeps the folder but chooses no colour space. Either way nothing is
    // measured or written and no message closes the run. The chooser starts in the folder of
    // the previous calibration.
    void cancelledDialogs_data()
    {
        QTest::addColumn<bool>("chooseAFolder");
        QTest::addColumn<QStringList>("dialogs");
        QTest::newRow("folder chooser cancelled") << false << QStringList{"QFileDialog"};
        QTest::newRow("options cancelled") << true << QStringList{"QFileDialog", "CalDialog"};
    }
    void cancelledDialogs()
    {
        QFETCH(bool, chooseAFolder);
        QFETCH(QStringList, dialogs);
        MainWindowProbe p(*m_window);
        QTemporaryDir previous, folder;
        platform::writeSetting("calibrate", "savedir", previous.path().toUtf8());
        p.measure()->sensor()->name = QStringLiteral("Display under test");
        MessageRecorder boxes;
        VirtualClock clock(1);
        DialogAnswerer answers;
        QString startedIn;
        int patches = 0;
        connect(p.measure(), &Measure::pattenColorChged, this, [&patches] { ++patches; },
                Qt::QueuedConnection);
        answers.then(chooseFolder(chooseAFolder ? folder.path() : QString(), &startedIn));
        answers.then(options(false));
        QTest::mouseClick(p.lutButton(), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return answers.seen.size() == dialogs.size() && !p.thread()->isRunning(); }, 30000));
        QTest::qWait(50);
        QCOMPARE(answers.seen, dialogs);
        QCOMPARE(startedIn, previous.path());
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(patches, 0);
        QCOMPARE(platform::readSetting("calibrate", "savedir").toString(),
                 chooseAFolder ? folder.path() : QString());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList());
    }

    void busyRefusals()
    {
        MainWindowProbe p(*m_window);
        VirtualClock clock(1);
        MessageRecorder boxes;
        p.measure()->setMode(MeasureFree);
        p.thread()->startMeasure();
        QVERIFY(p.thread()->isRunning());
        QTest::mouseClick(p.lutButton(), Qt::LeftButton);
        p.calibrateSensorAction()->trigger();
        // A free run clears a stop asked for before it began: ask until it ends.
        QVERIFY(QTest::qWaitFor([&] {
            p.thread()->stopMeasure();
            return !p.thread()->isRunning();
        }, 30000));
        QCOMPARE(boxes.count(), 2);
        const QString busy = "Measurement is in processing.";
        const QString later = "                   Try Later.";
        QCOMPARE(boxes.messages()[0].title, QString("Measure"));
        QCOMPARE(boxes.messages()[0].text, busy);
        QCOMPARE(boxes.messages()[0].informativeText, later);
        QCOMPARE(boxes.messages()[1].title, QString("Calibrate Sensor"));
        QCOMPARE(boxes.messages()[1].text, busy);
    }

    void calibrateSensorOpensTheDialog()
    {
        MainWindowProbe p(*m_window);
        DialogAnswerer answers;
        QString title;
        answers.then([&title](QWidget* w) {
            title = w->windowTitle();
            w->close();
        });
        p.calibrateSensorAction()->trigger();
        QCOMPARE(answers.seen, QStringList{"CalibrateDialog"});
        QCOMPARE(title, QString("Sensor Calibration"));
    }

    void calibrateSensorWithoutASensor()
    {
        MainWindowProbe p(*m_window);
        p.measure()->detachSensor();
        MessageRecorder boxes;
        p.calibrateSensorAction()->trigger();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Calibrate Sensor"));
        QCOMPARE(boxes.last().text, QString("No sensor is connected."));
    }

    // Last: closing the window quits the application's event loops for the rest of the run.
    // Closing the window right after the LUT button: the run's request for the folder and the
    // options arrives while the window closes; it asks nothing and the run ends unmeasured,
    // also with a folder and colour spaces chosen by an earlier calibration.
    void closingBeforeTheOptionsAreAsked()
    {
        MainWindowProbe p(*m_window);
        QTemporaryDir folder;
        platform::writeSetting("calibrate", "savedir", folder.path().toUtf8());
        CalibrateMonitor::rec709 = true;
        p.measure()->sensor()->name = QStringLiteral("Display under test");
        MessageRecorder boxes;
        VirtualClock clock(1);
        DialogAnswerer answers;
        answers.then([](QWidget* w) { w->close(); });
        int patches = 0;
        connect(p.measure(), &Measure::pattenColorChged, this, [&patches] { ++patches; },
                Qt::QueuedConnection);
        QTest::mouseClick(p.lutButton(), Qt::LeftButton);
        // The close is refused while the run ends, and then carried out.
        m_window->close();
        QTRY_VERIFY_WITH_TIMEOUT(!p.thread()->isRunning(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), 10000);
        QTest::qWait(50);
        QCOMPARE(answers.seen, QStringList());
        QCOMPARE(patches, 0);
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList());
    }

private:
    std::unique_ptr<MainWindow> m_window;
};

QV_TEST_MAIN_APPLICATION(TestCalibrationCommands)
#include "tst_calibrationcommands.moc"
