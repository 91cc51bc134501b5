// The shared platform layers: the settings store, the event-processing wait, the hand-over to
// the GUI thread and the message presenter.
#include "messagerecorder.h"
#include "platform/eventwait.h"
#include "platform/guithread.h"
#include "platform/messagepresenter.h"
#include "platform/settings.h"
#include "testenv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <ctime>
#include <thread>

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void init() { testenv::clearSettings(); }

    void settingsLiveInOneIniFileOfTheProgram()
    {
        platform::writeSetting("measure", "sigtype", 1);
        QSettings store = platform::kwSettings();
        QCOMPARE(store.format(), QSettings::IniFormat);
        QCOMPARE(store.scope(), QSettings::UserScope);
        QCOMPARE(store.organizationName(), QString("Brantova"));
        QCOMPARE(store.applicationName(), QString("KW"));
        QCOMPARE(QFileInfo(store.fileName()).fileName(), QString("KW.ini"));
        QCOMPARE(QFileInfo(store.fileName()).dir().dirName(), QString("Brantova"));
        QVERIFY(QFileInfo::exists(store.fileName()));
        QCOMPARE(store.value("measure/sigtype").toInt(), 1);
    }

    void readSettingGivesTheDefaultForAMissingKey()
    {
        QCOMPARE(platform::readSetting("sensor", "lastport", 7).toInt(), 7);
        platform::writeSetting("sensor", "lastport", 3);
        QCOMPARE(platform::readSetting("sensor", "lastport", 7).toInt(), 3);
        QCOMPARE(platform::readSetting("other", "lastport", 7).toInt(), 7);
    }

    void waitLastsAtLeastTheTimeAndRunsQueuedCalls()
    {
        bool ran = false;
        QMetaObject::invokeMethod(this, [&] { ran = true; }, Qt::QueuedConnection);
        QElapsedTimer clock;
        clock.start();
        platform::waitProcessingEvents(50);
        QVERIFY2(clock.elapsed() >= 50, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(ran);
    }

    void waitOfZeroOrLessReturnsAtOnceWithoutProcessing_data()
    {
        QTest::addColumn<int>("ms");
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -5;
    }
    void waitOfZeroOrLessReturnsAtOnceWithoutProcessing()
    {
        QFETCH(int, ms);
        bool ran = false;
        QMetaObject::invokeMethod(this, [&] { ran = true; }, Qt::QueuedConnection);
        // A zero-length timer fires on the first pass of any event loop: a wait that entered one,
        // for however short a time, would have run it.
        bool timerFired = false;
        QTimer::singleShot(0, this, [&] { timerFired = true; });
        platform::waitProcessingEvents(ms);
        QVERIFY(!ran);
        QVERIFY(!timerFired);
        QCoreApplication::processEvents();
        QVERIFY(ran);
    }

    void waitSleepsInsteadOfSpinning()
    {
        const std::clock_t cpuBefore = std::clock();
        QElapsedTimer clock;
        clock.start();
        platform::waitProcessingEvents(300);
        const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        QVERIFY(clock.elapsed() >= 300);
        // A spinning loop uses about as much processor time as wall time.
        QVERIFY2(cpuMs < 100.0, qPrintable(QString("cpu %1 ms").arg(cpuMs)));
    }

    void waitRunsOnAWorkerThreadToo()
    {
        qint64 elapsed = 0;
        std::thread worker([&] {
            QElapsedTimer clock;
            clock.start();
            platform::waitProcessingEvents(40);
            elapsed = clock.elapsed();
        });
        worker.join();
        QVERIFY(elapsed >= 40);
    }

    // Once the program has been told to quit, no event loop runs any more. The GUI thread's wait
    // for another thread still ends at its bound, whether the work wakes it only later or nothing
    // ever does, and still ends at once when the work is done in time.
    void guiWaitKeepsItsBoundWhileTheProgramQuits_data()
    {
        QTest::addColumn<QString>("worker");
        QTest::addColumn<bool>("finishedInTime");
        QTest::newRow("the worker wakes it only after the bound") << "wakes late" << false;
        QTest::newRow("nothing wakes it") << "nothing" << false;
        QTest::newRow("the worker finishes at once") << "finishes" << true;
    }
    void guiWaitKeepsItsBoundWhileTheProgramQuits()
    {
        QFETCH(QString, worker);
        QFETCH(bool, finishedInTime);
        constexpr int kBoundMs = 300;
        // How long the other thread holds back before it wakes the GUI thread late: a wait that
        // lost its bound returns only then. Without a worker the same thread posts a plain event
        // instead, so that such a wait fails the test rather than hanging it.
        constexpr int kLateMs = 10000;
        std::atomic<bool> done{false};
        QSemaphore waitReturned;
        std::thread other([&] {
            if (worker == "finishes") {
                done = true;
                platform::wakeGuiWaits();
                return;
            }
            waitReturned.tryAcquire(1, kLateMs);
            if (worker == "wakes late")
                platform::wakeGuiWaits();
            else
                QMetaObject::invokeMethod(qApp, [] {}, Qt::QueuedConnection);
        });
        bool result = !finishedInTime;
        qint64 elapsed = -1;
        QTimer::singleShot(0, qApp, [&] {
            QCoreApplication::exit(0);
            QElapsedTimer clock;
            clock.start();
            result = platform::waitRefusingInput([&] { return done.load(); },
                                                 finishedInTime ? kLateMs : kBoundMs);
            elapsed = clock.elapsed();
            waitReturned.release();
        });
        QCOMPARE(QCoreApplication::exec(), 0);
        other.join();

        QCOMPARE(result, finishedInTime);
        const QString took = QString("returned after %1 ms").arg(elapsed);
        QVERIFY2(elapsed >= 0 && elapsed < kLateMs / 2, qPrintable(took));
        if (!finishedInTime)
            QVERIFY2(elapsed >= kBoundMs, qPrintable(took));
    }

    void delayGoesThroughTheInstalledHook()
    {
        QList<int> seen;
        platform::WaitHook previous = platform::setWaitHook([&](int ms) { seen.append(ms); });
        // The hook takes the place of the real wait: nothing queued may run, as the real wait
        // would run it.
        bool ran = false;
        QMetaObject::invokeMethod(this, [&] { ran = true; }, Qt::QueuedConnection);
        platform::delay(5000);
        platform::setWaitHook(previous);
        QCOMPARE(seen, QList<int>{5000});
        QVERIFY(!ran);
        QCoreApplication::processEvents();
        QVERIFY(ran);
    }

    void runOnGuiThreadFromAWorkerBlocksUntilDone()
    {
        QThread* ranOn = nullptr;
        std::atomic<bool> finished{false};
        std::thread worker([&] {
            platform::runOnGuiThread([&] { ranOn = QThread::currentThread(); });
            finished = ranOn != nullptr; // the call returned only after the GUI thread ran it
        });
        QTRY_VERIFY(finished);
        worker.join();
        QCOMPARE(ranOn, qApp->thread());
    }

    void recorderAnswersAtOnceAndRecordsTheBox()
    {
        MessageRecorder recorder;
        recorder.answerNext(QMessageBox::No);
        QMessageBox box;
        box.setWindowTitle("Sensor");
        box.setText("Keep the simulator?");
        box.setInformativeText("details");
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        const int answer = platform::presentMessageBox(box);
        QCOMPARE(answer, int(QMessageBox::No));
        QCOMPARE(box.clickedButton(), box.button(QMessageBox::No));
        QCOMPARE(recorder.count(), 1);
        const RecordedMessage m = recorder.last();
        QCOMPARE(m.title, QString("Sensor"));
        QCOMPARE(m.text, QString("Keep the simulator?"));
        QCOMPARE(m.informativeText, QString("details"));
        QCOMPARE(m.buttons.size(), 2);
        QCOMPARE(m.answer, box.button(QMessageBox::No)->text());
    }

    void recorderPressesTheDefaultButtonWhenNotTold()
    {
        MessageRecorder recorder;
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
        QCOMPARE(platform::presentMessageBox(box), int(QMessageBox::Cancel));
        QMessageBox plain;
        QCOMPARE(platform::presentMessageBox(plain), int(QMessageBox::Ok));
        QCOMPARE(recorder.last().buttons, QStringList{"OK"});
    }

    void boxRequestedOnAWorkerIsShownOnTheGuiThread()
    {
        MessageRecorder recorder;
        int answer = 0;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            answer = platform::presentMessage([] {
                auto box = std::make_unique<QMessageBox>();
                box->setText("from the worker");
                return box;
            });
            done = true;
        });
        QTRY_VERIFY(done);
        worker.join();
        QCOMPARE(answer, int(QMessageBox::Ok));
        QCOMPARE(recorder.count(), 1);
        QCOMPARE(recorder.last().text, QString("from the worker"));
        QCOMPARE(recorder.last().thread, qApp->thread());
    }

    void recorderRestoresThePreviousPresenter()
    {
        int outerCalls = 0;
        platform::MessagePresenter previous =
            platform::setMessagePresenter([&](QMessageBox&) { ++outerCalls; return 0; });
        {
            MessageRecorder inner;
            QMessageBox box;
            platform::presentMessageBox(box);
            QCOMPARE(inner.count(), 1);
        }
        QMessageBox box;
        platform::presentMessageBox(box);
        QCOMPARE(outerCalls, 1);
        platform::setMessagePresenter(previous);
    }
};

QV_TEST_MAIN_WIDGETS(TestPlatform)
#include "tst_platform.moc"
