// The application object: reference from the settings, the font by language, the wait, the
// message box and the file dialog style.
#include "apptestmain.h"
#include "colour/currentreference.h"
#include "messagerecorder.h"
#include "appcore/application.h"
#include "appcore/imessagebox.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeReference(const QVariant& colorspace, const QVariant& white, const QVariant& gammaType,
                    const QVariant& gamma)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "Brantova", "KW");
    s.beginGroup("reference");
    if (colorspace.isValid())
        s.setValue("colorspace", colorspace);
    if (white.isValid())
        s.setValue("whitetarget", white);
    if (gammaType.isValid())
        s.setValue("gammatype", gammaType);
    if (gamma.isValid())
        s.setValue("gamma", gamma);
    s.endGroup();
}

// Runs this executable again as a font probe in `workDir` with the given locale; returns the
// family it reports.
QString probeFont(const QString& workDir, const QString& locale)
{
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", locale);
    env.insert("LANG", locale);
    env.insert("LANGUAGE", "");
    env.insert("QV_FONT_PROBE", "1");
    probe.setProcessEnvironment(env);
    probe.setWorkingDirectory(workDir);
    probe.start(QCoreApplication::applicationFilePath(), QStringList());
    if (!probe.waitForFinished(60000))
        return QStringLiteral("<probe hung>");
    return QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
}

bool copyRuntimeFile(const QString& name, const QString& toDir)
{
    return QFile::copy(QStringLiteral(QV_RUNTIME_DIR "/") + name, toDir + "/" + name);
}

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void init() { testenv::clearSettings(); }

    void referenceFollowsTheSettings_data()
    {
        QTest::addColumn<QVariant>("colorspace");
        QTest::addColumn<QVariant>("white");
        QTest::addColumn<QVariant>("gammaType");
        QTest::addColumn<QVariant>("gamma");
        QTest::addColumn<int>("standard");
        QTest::addColumn<int>("whiteIndex");
        QTest::addColumn<double>("expectedGamma");
        QTest::addColumn<QString>("gammaName");
        const QVariant none;
        QTest::newRow("empty store: Rec709, own white, power 1/0.45")
            << none << none << none << none << 2 << -1 << 2.2222222222222223 << "Power";
        QTest::newRow("gamma type 1 is BT.1886 whatever the gamma")
            << none << none << QVariant(1) << QVariant(1.8) << 2 << -1 << 2.4 << "ITU_BT1886";
        QTest::newRow("power law with a stored exponent")
            << QVariant(3) << QVariant(4) << QVariant(0) << QVariant(2.6) << 3 << 4 << 2.6 << "Power";
        QTest::newRow("unconvertible colour space reads as 0")
            << QVariant("abc") << none << none << none << 0 << -1 << 2.2222222222222223 << "Power";
    }
    void referenceFollowsTheSettings()
    {
        QFETCH(QVariant, colorspace);
        QFETCH(QVariant, white);
        QFETCH(QVariant, gammaType);
        QFETCH(QVariant, gamma);
        writeReference(colorspace, white, gammaType, gamma);
        Application::instance()->loadReference();
        const auto ref = Application::colorReference();
        QVERIFY(ref);
        QTEST(ref->standard, "standard");
        QFETCH(int, whiteIndex);
        QFETCH(int, standard);
        // -1 keeps the standard's own white, which the reference resolves to its index.
        const int expectedWhite = whiteIndex >= 0 ? whiteIndex : ColorReference(standard).whiteIndex;
        QCOMPARE(ref->whiteIndex, expectedWhite);
        QTEST(ref->gamma, "expectedGamma");
        QTEST(ref->gammaName, "gammaName");
        QCOMPARE(ref.get(), currentColorReference().get()); // the colour library sees the same one
    }

    void eachLoadReplacesTheReferenceAndSignalsOnce()
    {
        Application* app = Application::instance();
        app->loadReference(); // the defaults
        const auto before = Application::colorReference();
        QSignalSpy spy(app, &Application::colRefChanged);
        writeReference(QVariant(5), QVariant(), QVariant(), QVariant());
        app->loadReference();
        QCOMPARE(spy.count(), 1);
        app->loadReference();
        QCOMPARE(spy.count(), 2);
        const auto after = Application::colorReference();
        QCOMPARE(after->standard, 5);
        QVERIFY(after != before);
        // A reader holding the old snapshot still has the whole old reference...
        QCOMPARE(before->standard, 2);
        QCOMPARE(before->gammaName, QString("Power"));
        // ...and a replaced reference that nobody holds is gone: one reference stays alive.
        app->loadReference();
        const std::weak_ptr<const ColorReference> replaced = Application::colorReference();
        app->loadReference();
        QVERIFY(replaced.expired());
    }

    void delayReturnsAfterTheTimeAndRunsQueuedCalls()
    {
        bool ran = false;
        QMetaObject::invokeMethod(this, [&] { ran = true; }, Qt::QueuedConnection);
        QElapsedTimer clock;
        clock.start();
        Application::delay(50);
        QVERIFY(clock.elapsed() >= 50);
        QVERIFY(ran);
    }

    void delayOfZeroOrLessReturnsAtOnce()
    {
        // Returning at once means no event loop ran: neither a call queued before nor a
        // zero-length timer, which fires on any loop's first pass, may have run.
        bool ran = false;
        QMetaObject::invokeMethod(this, [&] { ran = true; }, Qt::QueuedConnection);
        bool timerFired = false;
        QTimer::singleShot(0, this, [&] { timerFired = true; });
        Application::delay(0);
        Application::delay(-5);
        QVERIFY(!ran);
        QVERIFY(!timerFired);
        QCoreApplication::processEvents();
        QVERIFY(ran);
    }

    void messageBoxHasTheProgramsLook()
    {
        MessageRecorder recorder;
        IMessageBox box("Sensor", "This sensor is not supported now!", "info");
        QCOMPARE(box.parent(), nullptr);
        // The flags replace the dialog's own: a plain top-level window kept above the others.
        QVERIFY(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(box.windowType(), Qt::Window);
        QCOMPARE(box.styleSheet(), QString("background-color:#151515;color:#ffffff"));
        QVERIFY(!box.iconPixmap().isNull());
        QCOMPARE(box.iconPixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                 QPixmap(":/icons/resource/logo.png").toImage().convertToFormat(QImage::Format_ARGB32));
        QCOMPARE(box.exec(), int(QMessageBox::Ok));
        QCOMPARE(recorder.count(), 1);
        const RecordedMessage m = recorder.last();
        QCOMPARE(m.title, QString("Sensor"));
        QCOMPARE(m.text, QString("This sensor is not supported now!"));
        QCOMPARE(m.informativeText, QString("info"));
        QCOMPARE(m.buttons, QStringList{"OK"});
        QVERIFY(m.hasIconPixmap);
        QVERIFY(m.windowFlags.testFlag(Qt::WindowStaysOnTopHint));
    }

    void messageBoxAskedFromAWorkerIsAnsweredOnTheGuiThread()
    {
        MessageRecorder recorder;
        recorder.answerNext(QMessageBox::No);
        QMessageBox::StandardButton answer = QMessageBox::NoButton;
        QThread* worker = QThread::create([&] {
            answer = IMessageBox::ask("Measure", "Keep the simulator?", QString(),
                                      QMessageBox::Yes | QMessageBox::No);
        });
        worker->start();
        QTRY_VERIFY(worker->isFinished());
        delete worker;
        QCOMPARE(answer, QMessageBox::No);
        QCOMPARE(recorder.last().thread, qApp->thread());
        QCOMPARE(recorder.last().styleSheet, QString("background-color:#151515;color:#ffffff"));
    }

    void logoResourceIsCompiledIn()
    {
        const QImage logo(":/icons/resource/logo.png");
        QVERIFY(!logo.isNull());
        QVERIFY(logo.width() >= 64);
    }

    void fileDialogStyleIsFiveRulesJoinedByThirtyBlanks()
    {
        QCOMPARE(fileDialogStyle.size(), 396);
        const QStringList rules = fileDialogStyle.split(QString(30, ' '));
        QCOMPARE(rules.size(), 5);
        QCOMPARE(rules.first(), QString("QFileDialog{background-color:rgb(70,70,70); color: white}"));
        QCOMPARE(rules.last(), QString("QLineEdit{background-color:rgb(50,50,50); color:white}"));
    }

    void fontFollowsTheSystemLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("withFiles");
        QTest::addColumn<QString>("familyStart");
        QTest::newRow("english with GOTHIC.ttf") << "en_US.UTF-8" << true << "URW Gothic";
        QTest::newRow("chinese with fangzheng.ttf") << "zh_CN.UTF-8" << true << "WenQuanYi Micro Hei";
        QTest::newRow("english without files falls back to Arial") << "en_US.UTF-8" << false << "Arial";
        QTest::newRow("chinese without files keeps the default font")
            << "zh_CN.UTF-8" << false << "default:";
    }
    void fontFollowsTheSystemLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(bool, withFiles);
        QFETCH(QString, familyStart);
        QTemporaryDir dir;
        if (withFiles) {
            QVERIFY(copyRuntimeFile("GOTHIC.ttf", dir.path()));
            QVERIFY(copyRuntimeFile("fangzheng.ttf", dir.path()));
        }
        const QString family = probeFont(dir.path(), locale);
        QVERIFY2(family.startsWith(familyStart), qPrintable(family));
    }
};

// Font probe: started by fontFollowsTheSystemLanguage in a directory of its choice; prints the
// family of the application font. The default font is reported with a "default:" mark.
static int runFontProbe(int argc, char** argv)
{
    testenv::SettingsSandbox sandbox;
    Application app(argc, argv);
    const QFont font = app.appFont();
    const QString family = font == QFont() ? "default:" + font.family() : font.family();
    printf("%s\n", qPrintable(family));
    return 0;
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("QV_FONT_PROBE"))
        return runFontProbe(argc, argv);
    testenv::SettingsSandbox sandbox;
    Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    testenv::prepareApplication();
    TestApplication tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_application.moc"
