// The harness itself: settings written by a test land in the sandbox, never in the user's store.
#include "testenv.h"

#include <QDir>
#include <QSettings>

class TestSettingsSandbox : public QObject
{
    Q_OBJECT
private slots:
    void writesGoToTemporaryDirectory()
    {
        QSettings s(QSettings::IniFormat, QSettings::UserScope, "Brantova", "KW");
        s.setValue("measure/steps", 7);
        s.sync();
        QCOMPARE(s.status(), QSettings::NoError);
        const QString home = QDir::homePath();
        QVERIFY2(!s.fileName().startsWith(home + "/.config"), qPrintable(s.fileName()));
        QVERIFY(QFile::exists(s.fileName()));
    }
    void clearEmptiesTheStore()
    {
        QSettings s(QSettings::IniFormat, QSettings::UserScope, "Brantova", "KW");
        s.setValue("a/b", 1);
        s.sync();
        testenv::clearSettings();
        QSettings again(QSettings::IniFormat, QSettings::UserScope, "Brantova", "KW");
        QVERIFY(!again.contains("a/b"));
    }
    void artifactDirExists() { QVERIFY(QDir(testenv::artifactDir()).exists()); }
};

QV_TEST_MAIN_CORE(TestSettingsSandbox)
#include "tst_settingssandbox.moc"
