// The harness itself: settings written by a test land in the sandbox, never in the user's store,
// and the program's outside connections reach nothing of the machine's.
#include "platform/serialline.h"
#include "platform/settings.h"
#include "testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTcpSocket>

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

    // The pattern generator client goes where nothing can answer (not to 127.0.0.1:8989, where
    // the machine's own generator may listen), also after the store was cleared.
    void theGeneratorAddressRefusesConnections()
    {
        testenv::clearSettings();
        QCOMPARE(platform::readSetting("measure", "ipadd").toString(), QString("127.0.0.1"));
        const int port = platform::readSetting("measure", "tcpport").toInt();
        QCOMPARE(port, int(testenv::refusingPort()));
        QVERIFY(port != 8989);
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(port));
        QVERIFY(!socket.waitForConnected(10000));
        QCOMPARE(socket.error(), QAbstractSocket::ConnectionRefusedError);
    }
    void aTestsOwnGeneratorAddressWins()
    {
        platform::writeSetting("measure", "tcpport", 4711);
        QCOMPARE(platform::readSetting("measure", "tcpport").toInt(), 4711);
        testenv::clearSettings();
        QCOMPARE(platform::readSetting("measure", "tcpport").toInt(), int(testenv::refusingPort()));
    }

    // A serial port name with no emulator behind it is missing whatever /dev holds.
    void serialPortsAreMissing_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("COM1") << "COM1";
        QTest::newRow("COM2") << "COM2";
        QTest::newRow("COM4") << "COM4";
        QTest::newRow("the last, COM256") << "COM256";
    }
    void serialPortsAreMissing()
    {
        QFETCH(QString, port);
        const QString path = platform::serialDevicePath(port);
        QVERIFY2(!path.isEmpty() && !path.startsWith("/dev/"), qPrintable(path));
        QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
    }
    // Printing (a report, a PDF) asks the print server for printers: there is none to ask.
    void thePrintServerIsNowhere()
    {
        const QString server = qEnvironmentVariable("CUPS_SERVER");
        QVERIFY(server.startsWith('/'));
        QVERIFY(!QFileInfo::exists(server));
    }

    void aScopedVariablePutsBackWhatItFound()
    {
        const QByteArray before = qgetenv("KW_SERIAL_COM3");
        QVERIFY(!before.isEmpty());
        {
            testenv::ScopedEnv unset("KW_SERIAL_COM3", QByteArray());
            QVERIFY(!qEnvironmentVariableIsSet("KW_SERIAL_COM3"));
            testenv::ScopedEnv set("KW_SERIAL_COM3", "/nonexistent/three");
            QCOMPARE(qgetenv("KW_SERIAL_COM3"), QByteArray("/nonexistent/three"));
        }
        QCOMPARE(qgetenv("KW_SERIAL_COM3"), before);
        {
            testenv::ScopedEnv set("QV_NEVER_SET_ELSEWHERE", "1");
        }
        QVERIFY(!qEnvironmentVariableIsSet("QV_NEVER_SET_ELSEWHERE"));
    }
};

QV_TEST_MAIN_CORE(TestSettingsSandbox)
#include "tst_settingssandbox.moc"
