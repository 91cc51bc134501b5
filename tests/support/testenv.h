#pragma once
// Test harness: every test executable runs with its settings redirected into a temporary
// directory, so no test reads or writes the user's real configuration.

#include <QLoggingCategory>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

namespace testenv {

// Points QSettings (INI, user and system scope) at a fresh temporary directory that lives as
// long as the returned object. Called by the QV_TEST_MAIN macros before the test object runs.
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

// Directory for files a test leaves for review (screenshots, rendered pages); created on demand.
QString artifactDir();

// The logging rules of the test mains: every debug line of the program on, except the trace
// categories that write hundreds of lines per reading or calibration (tests that check those
// switch them on themselves).
extern const char kDebugLineRules[];

} // namespace testenv

// The program's debug lines are off by default; tests check some of them, so the test mains
// switch them on (testenv::kDebugLineRules).
#define QV_TEST_SANDBOXED_MAIN(AppType, TestObject)                                                \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        AppType app(argc, argv);                                                                   \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        testenv::SettingsSandbox sandbox;                                                          \
        QLoggingCategory::setFilterRules(QString::fromLatin1(testenv::kDebugLineRules));           \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

// Core-only tests.
#define QV_TEST_MAIN_CORE(TestObject) QV_TEST_SANDBOXED_MAIN(QCoreApplication, TestObject)
// Tests that need widgets (offscreen platform).
#define QV_TEST_MAIN_WIDGETS(TestObject) QV_TEST_SANDBOXED_MAIN(QApplication, TestObject)
