// The test environment's answer to a modal window that no test answers: the running test fails at
// once, naming the window, and the window is closed, so nothing waits for the ctest time-out. A
// sample test object, run as this executable's own child (QV_MODAL_SAMPLE), leaves one window of
// each route unanswered; RealModalRuns gives a test the real windows for a scope.
#include "shell/dataexport.h"
#include "shell/modaldialogs.h"

#include "appcore/imessagebox.h"
#include "platform/messagepresenter.h"
#include "testenv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QtTest>

namespace {

// The watchdog's limit in the sample: short, so its row takes a moment, yet far longer than the
// routes' own failure, which comes at once.
constexpr int kSampleWatchdogMs = 500;

// One unanswered window per function. Each says "went on" once the window's call returned.
class ModalSample : public QObject
{
    Q_OBJECT
private slots:
    void box()
    {
        IMessageBox box("Measure", "Monitor Color Pattern Tcp connected.", QString());
        box.exec();
        qInfo("went on");
    }
    void boxFromAWorker()
    {
        QMessageBox::StandardButton answer = QMessageBox::Yes;
        QThread* worker = QThread::create([&] {
            answer = IMessageBox::ask("Calibrate", "Keep the simulator?", QString(),
                                      QMessageBox::Yes | QMessageBox::No);
        });
        worker->start();
        QTRY_VERIFY(worker->isFinished());
        delete worker;
        QVERIFY(answer != QMessageBox::Yes);
        qInfo("went on");
    }
    void dialog()
    {
        QDialog dialog;
        dialog.setWindowTitle("Options");
        QCOMPARE(shell::runModal(dialog), int(QDialog::Rejected));
        qInfo("went on");
    }
    void profileChooser()
    {
        QCOMPARE(shell::chooseProfileFile(shell::ProfileDialog::Open, "Open profile"), QString());
        qInfo("went on");
    }
    void fileChooser()
    {
        QCOMPARE(dataexport::chooseFile(dataexport::DialogKind::Save, "Export Data", QDir::tempPath()),
                 QString());
        qInfo("went on");
    }
    void outsideTheRoutes()
    {
        QDialog dialog;
        dialog.setWindowTitle("Stray");
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        qInfo("went on");
    }
};

struct Outcome
{
    int exitCode = -1;
    QString out;
};

Outcome runSample(const QString& function)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QV_MODAL_SAMPLE", "1");
    env.insert("ASAN_OPTIONS", "detect_leaks=0"); // the sample's leaks are none of this test's
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {function});
    Outcome outcome;
    // Bounded: a window that waited for a person would hold the child for ever.
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished(5000);
        outcome.out = "the sample did not finish: " + QString::fromLocal8Bit(child.readAll());
        return outcome;
    }
    outcome.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    outcome.out = QString::fromLocal8Bit(child.readAll());
    return outcome;
}

} // namespace

class TestModalDefaults : public QObject
{
    Q_OBJECT
private slots:
    void anUnansweredWindowFailsItsTestAtOnce_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("named");
        QTest::newRow("message box")
            << "box" << R"(message box "Measure": "Monitor Color Pattern Tcp connected.")";
        QTest::newRow("message box asked from a worker")
            << "boxFromAWorker" << R"(message box "Calibrate": "Keep the simulator?")";
        QTest::newRow("dialog of the shell") << "dialog" << R"(dialog QDialog "Options")";
        QTest::newRow("profile chooser") << "profileChooser" << R"(profile open dialog "Open profile")";
        QTest::newRow("file chooser of the data") << "fileChooser" << R"(file save dialog "Export Data")";
        QTest::newRow("dialog run outside the routes") << "outsideTheRoutes" << R"(QDialog "Stray", open for)";
    }
    void anUnansweredWindowFailsItsTestAtOnce()
    {
        QFETCH(QString, function);
        QFETCH(QString, named);
        const Outcome outcome = runSample(function);
        QVERIFY2(outcome.exitCode == 1, qPrintable(outcome.out));
        const QString failed = QString("FAIL!  : ModalSample::%1() unanswered modal %2").arg(function, named);
        QVERIFY2(outcome.out.contains(failed), qPrintable(outcome.out));
        // The window was closed: its caller went on.
        QVERIFY2(outcome.out.indexOf("went on") > outcome.out.indexOf(failed), qPrintable(outcome.out));
    }

    void realModalRunsShowTheRealWindowsForAScope()
    {
        QString shownTitle;
        int answer = -1;
        {
            testenv::RealModalRuns real;
            QTimer::singleShot(0, this, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                shownTitle = box->windowTitle();
                box->button(QMessageBox::No)->click();
            });
            answer = IMessageBox::ask("Measure", "Measure again?", QString(),
                                      QMessageBox::Yes | QMessageBox::No);
            QTimer::singleShot(0, this, [] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                dialog->accept();
            });
            QDialog dialog;
            QCOMPARE(shell::runModal(dialog), int(QDialog::Accepted));
        }
        QCOMPARE(shownTitle, QString("Measure"));
        QCOMPARE(answer, int(QMessageBox::No));
        // Afterwards the failing defaults are back: the routes hold a presenter and a runner,
        // not the real ones (empty).
        const platform::MessagePresenter presenter = platform::setMessagePresenter({});
        QVERIFY(presenter);
        platform::setMessagePresenter(presenter);
        const shell::DialogRunner runner = shell::setDialogRunner({});
        QVERIFY(runner);
        shell::setDialogRunner(runner);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testenv::SettingsSandbox sandbox;
    testenv::prepareApplication();
    if (qEnvironmentVariableIsSet("QV_MODAL_SAMPLE")) {
        testenv::setModalWatchdogLimit(kSampleWatchdogMs);
        ModalSample sample;
        return QTest::qExec(&sample, argc, argv);
    }
    TestModalDefaults tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return testenv::runTests(&tc, argc, argv);
}

#include "tst_modaldefaults.moc"
