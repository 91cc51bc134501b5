#pragma once
// Test harness: every test executable runs with its settings redirected into a temporary
// directory, so no test reads or writes the user's real configuration, and reaches nothing of
// the machine's that it did not start: no pattern generator, serial port or print server.

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

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

// Directory for files a test leaves for review (screenshots, rendered pages); created on demand.
QString artifactDir();

// The logging rules of the test mains: every debug line of the program on, except the trace
// categories that write hundreds of lines per reading or calibration (tests that check those
// switch them on themselves).
extern const char kDebugLineRules[];

// Settles what every test main shares before its test object runs: the logging rules, and a
// picture cache large enough for the program's pictures, so the tests that build a window per row
// read each picture once per executable (the program builds its windows once and never notices).
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
