// What a whole session of the program writes to its log with the logging rules a user has by
// default: the window, key presses, a gray run with the simulator and the close. Debug lines are
// for developers who switch them on; by default nothing below a warning may come out.
#include "shell/mainwindow.h"

#include "apptestmain.h"
#include "logcapture.h"
#include "mainwindowharness.h"
#include "messagerecorder.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QLoggingCategory>
#include <QtTest>

#include <memory>

using namespace mainwindowharness;

class TestSessionLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Rules from the environment would stand above the default ones this test is about.
        if (qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
            QSKIP("QT_LOGGING_RULES is set");
        QVERIFY(enterRunDirectory());
    }

    void init()
    {
        testenv::clearSettings();
        useQuickRuns(2);
        Application::instance()->loadReference();
        QLoggingCategory::setFilterRules(QString()); // a user's defaults
    }
    void cleanup()
    {
        window.reset();
        QLoggingCategory::setFilterRules(QString::fromLatin1(testenv::kDebugLineRules));
    }

    void sessionWritesNoDebugLine()
    {
        LogCapture log(false);
        QVERIFY(showMainWindow(window));
        MainWindowProbe p(*window);
        MessageRecorder boxes;

        // Keys that switch pages and chart settings, and Esc while nothing runs.
        for (Qt::Key key : {Qt::Key_2, Qt::Key_3, Qt::Key_1, Qt::Key_F6, Qt::Key_F5, Qt::Key_Escape})
            QTest::keyClick(window.get(), key);

        {
            VirtualClock clock(1); // the simulator's second per reading, counted instead of lived
            QVERIFY2(runAndWait(p, boxes), qPrintable(texts(boxes).join('|')));
        }
        QCOMPARE(p.measure()->grayList().size(), 4);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        window->close();
        window.reset();

        QStringList below;
        for (QtMsgType type : {QtDebugMsg, QtInfoMsg})
            below << log.messages(type);
        QVERIFY2(below.isEmpty(), qPrintable(below.join('\n')));
    }

private:
    std::unique_ptr<MainWindow> window;
};

QV_TEST_MAIN_APPLICATION(TestSessionLog)
#include "tst_sessionlog.moc"
