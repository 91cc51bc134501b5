#pragma once
// Test harness: every test executable runs with its settings redirected into a temporary
// directory, so no test reads or writes the user's real configuration, and reaches nothing of
// the machine's that it did not start: no pattern generator, serial port or modal wait that
// stands on the machine or waits for a person.

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <vector>

namespace testenv {

// Points QSettings (INI, user and system scope) at a fresh temporary directory that lives as
// long as the returned object. Called by the QV_TEST_MAIN macros before the test object runs.
//
// It also keeps the program's outside connections off the machine, since the test mains all
// build one:
// - The pattern generator client's address (measure/ipadd, measure/tcpport) defaults to
//   127.0.0.1:refusingPort(), stored in the system scope beneath the user's store: a test that
//   stores its own address wins, and clearSettings() brings back this one, never the client's
//   own default 127.0.0.1:8989, where a generator of the machine's may listen.
// - Every serial port name COM1..COM256 is pointed (KW_SERIAL_COMn) at a path inside the
//   sandbox that does not exist, so a port no emulator stands behind is missing whatever /dev
//   holds. A test that changes such a variable puts back what it found (ScopedEnv).
// - The print server (CUPS_SERVER), asked for printers when a test prints or makes a PDF, is a
//   path inside the sandbox where none stands.
class SettingsSandbox
{
public:
    SettingsSandbox();
    ~SettingsSandbox();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Removes every stored setting of the program, for tests that need a clean store between cases.
void clearSettings();

// A loopback TCP port that this process holds bound without listening, for its whole life: a
// connection to 127.0.0.1 there is refused at once, and no other program can take the port.
// The pattern generator client of the tests goes there unless a test stores another address.
quint16 refusingPort();

// Sets an environment variable while it lives (a null value unsets it), then puts back the
// value it found, or unsets it again when it was unset.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray m_name;
    QByteArray m_previous;
    bool m_wasSet = false;
};

// A way by which the program runs a modal window (the message presenter, the shell's dialog
// runner and file choosers). Each one is installed, in the test mains, with a default that fails
// the running test at once, naming the window, and closes it without waiting: a window that no
// test answers never waits for the ctest time-out. Tests that answer windows install their own
// (MessageRecorder, DialogRecorder) and put the default back when done.
struct ModalRoute
{
    // Installs the default that fails the test.
    std::function<void()> failUnanswered;
    // Installs the real route (the window's own event loop); answers a call that puts back what
    // was installed before.
    std::function<std::function<void()>()> runReal;
};

// Adds a route; what is added before the test main runs (a static initialiser of a support unit
// linked into the test) gets its default there. Answers true, for such initialisers.
bool addModalRoute(ModalRoute route);

// Installs the failing default of every route. The test mains call it (prepareApplication); a
// test that replaced a route without keeping what it replaced calls it to put the defaults back.
void installModalDefaults();

// Fails the running test with `what` (and aborts the process when no test function runs, where
// a failure would be lost). For the defaults of the modal routes.
void failUnansweredWindow(const QString& what);

// Runs modal windows for real while it lives: every modal route gets its real one (the window's
// own event loop), so a test that means to show a real box or dialog answers it itself, with a
// timer or an event. Afterwards the routes get back what they had, normally the failing defaults.
//
//   testenv::RealModalRuns real;
//   QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
//   box.exec();
class RealModalRuns
{
public:
    RealModalRuns();
    ~RealModalRuns();
    RealModalRuns(const RealModalRuns&) = delete;
    RealModalRuns& operator=(const RealModalRuns&) = delete;

private:
    std::vector<std::function<void()>> m_restore;
};

// A modal window that stays the active modal widget longer than this fails the running test,
// naming it, and is closed: the guard for windows that run outside the routes (QDialog::exec(),
// the static QFileDialog and QInputDialog functions). Real time; the limit is far beyond any
// test's own answer and far below the ctest time-out. Widget tests only.
inline constexpr int kModalWatchdogMs = 10000;
// Sets the limit, for a test of the watchdog itself.
void setModalWatchdogLimit(int ms);

// Directory for files a test leaves for review (screenshots, rendered pages); created on demand.
QString artifactDir();

// The logging rules of the test mains: every debug line of the program on, except the trace
// categories that write hundreds of lines per reading or calibration (tests that check those
// switch them on themselves).
extern const char kDebugLineRules[];

// Settles what every test main shares before its test object runs: the logging rules, a
// picture cache large enough for the program's pictures, so the tests that build a window per row
// read each picture once per executable (the program builds its windows once and never notices),
// the failing defaults of the modal routes and, in a widget test, the modal watchdog.
void prepareApplication();

// Runs the test object. When QV_TEST_SHARD is "k/n" and the executable was started without
// arguments (as ctest starts it), only every n-th row from the k-th on runs: rows are listed by
// the executable itself (-datatags), in their order, and a function without rows counts as one.
// Splitting a slow executable this way keeps each ctest entry short on a busy machine, and the n
// entries together run every row exactly once. A shard fails when a row it asked for did not run
// (QtTest ends a run quietly at a row name it does not know, as when a data function's rows differ
// between the listing and the run), naming those rows.
int runTests(QObject* testObject, int argc, char** argv);

// Whether this run of the executable takes the given row: always, unless runTests runs one
// shard of the rows and the row is in another. For tests that start work for their coming rows
// ahead of them.
bool rowRuns(const QString& function, const QString& tag);

} // namespace testenv

// The program's debug lines are off by default; tests check some of them, so the test mains
// switch them on (testenv::kDebugLineRules, through prepareApplication).
#define QV_TEST_SANDBOXED_MAIN(AppType, TestObject)                                                \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        AppType app(argc, argv);                                                                   \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        testenv::SettingsSandbox sandbox;                                                          \
        testenv::prepareApplication();                                                             \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return testenv::runTests(&tc, argc, argv);                                                 \
    }

// Core-only tests.
#define QV_TEST_MAIN_CORE(TestObject) QV_TEST_SANDBOXED_MAIN(QCoreApplication, TestObject)
// Tests that need widgets (offscreen platform).
#define QV_TEST_MAIN_WIDGETS(TestObject) QV_TEST_SANDBOXED_MAIN(QApplication, TestObject)
