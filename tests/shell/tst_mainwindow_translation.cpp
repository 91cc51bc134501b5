// The Chinese translation: installed from beside the program file only on a Chinese system, and
// the main window then shows its menus, titles and tooltips translated while the reference entries
// stay as they stand; the serial instruments' port failure reads in Chinese too. Qt's own
// translation goes beside it, for the texts Qt draws itself: standard buttons and file dialogs.

#include "shell/calculatedialog.h"
#include "shell/colorwindow.h"
#include "shell/mainwindow.h"
#include "shell/programtranslation.h"
#include "sensors/ca210comsensor.h"
#include "sensors/crsensor.h"

#include "apptestmain.h"
#include "mainwindowharness.h"
#include "messagerecorder.h"
#include "testenv.h"
#include "virtualclock.h"
#include "zerodelaysensor.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QTableWidget>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>

namespace {

QString builtTranslation() { return QString::fromUtf8(QV_TRANSLATION_QM); }

QStringList actionTexts(const QWidget& window)
{
    QStringList out;
    for (const QAction* a : window.findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly))
        out << a->text();
    return out;
}

// Both translations as the program installs them for a Chinese system: Qt's, then the program's
// (from a folder of its own, as beside the program file). Removed again at remove() or the end.
struct ChineseInterface
{
    ChineseInterface()
    {
        installed = QFile::copy(builtTranslation(), bin.filePath(QString(kProgramTranslation) + ".qm"))
            && installQtTranslation(qt, QLocale("zh_CN"))
            && installProgramTranslation(program, QLocale("zh_CN"), bin.filePath("quelvarin"));
    }
    ~ChineseInterface() { remove(); }
    void remove()
    {
        QCoreApplication::removeTranslator(&program);
        QCoreApplication::removeTranslator(&qt);
    }

    QTemporaryDir bin;
    QTranslator qt;
    QTranslator program;
    bool installed = false;
};

} // namespace

class TestMainWindowTranslation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadedOnlyOnAChineseSystemFromBesideTheProgram_data();
    void loadedOnlyOnAChineseSystemFromBesideTheProgram();
    void mainWindowShowsTheTranslatedTexts();
    void colourWindowsShowTheTranslatedTexts();
    void serialPortFailureIsTranslated_data();
    void serialPortFailureIsTranslated();
    void qtTextsFollowTheSystemLanguage_data();
    void qtTextsFollowTheSystemLanguage();
    void chineseFileDialogAndMessageBox();
    void questionsNameTheirButtonsAsTheyRead_data();
    void questionsNameTheirButtonsAsTheyRead();

private:
    QTemporaryDir root;
};

void TestMainWindowTranslation::initTestCase()
{
    QVERIFY(root.isValid());
    QVERIFY2(QFile::exists(builtTranslation()), qPrintable(builtTranslation()));
    QVERIFY(QDir(root.path()).mkpath("bin"));
    QVERIFY(QDir(root.path()).mkpath("work"));
}

void TestMainWindowTranslation::loadedOnlyOnAChineseSystemFromBesideTheProgram_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("fileIn"); // "bin" beside the program, "work" the working directory
    QTest::addColumn<QByteArray>("content"); // empty: the built translation
    QTest::addColumn<bool>("installed");
    QTest::newRow("Chinese system, file beside the program") << "zh_CN" << "bin" << QByteArray() << true;
    QTest::newRow("Chinese (Taiwan) system") << "zh_TW" << "bin" << QByteArray() << true;
    QTest::newRow("English system, file beside the program") << "en_US" << "bin" << QByteArray() << false;
    QTest::newRow("German system, file beside the program") << "de_DE" << "bin" << QByteArray() << false;
    QTest::newRow("Chinese system, file only in the working directory")
        << "zh_CN" << "work" << QByteArray() << false;
    QTest::newRow("Chinese system, no file") << "zh_CN" << "" << QByteArray() << false;
    QTest::newRow("Chinese system, unreadable file")
        << "zh_CN" << "bin" << QByteArray("not a translation") << false;
}

void TestMainWindowTranslation::loadedOnlyOnAChineseSystemFromBesideTheProgram()
{
    QFETCH(QString, locale);
    QFETCH(QString, fileIn);
    QFETCH(QByteArray, content);
    QFETCH(bool, installed);

    const QDir dir(root.path());
    for (const char* sub : {"bin", "work"})
        QFile::remove(dir.filePath(QString("%1/%2.qm").arg(sub, kProgramTranslation)));
    if (!fileIn.isEmpty()) {
        const QString target = dir.filePath(QString("%1/%2.qm").arg(fileIn, kProgramTranslation));
        if (content.isEmpty()) {
            QVERIFY(QFile::copy(builtTranslation(), target));
        } else {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
    }
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.filePath("work")));

    QTranslator translator;
    const bool result =
        installProgramTranslation(translator, QLocale(locale), dir.filePath("bin/quelvarin"));
    const QString views = QCoreApplication::translate("MainWindow", "Views");
    QCoreApplication::removeTranslator(&translator);
    QDir::setCurrent(previous);

    QCOMPARE(result, installed);
    QCOMPARE(views, installed ? QString::fromUtf8("视图") : QString("Views"));
}

void TestMainWindowTranslation::mainWindowShowsTheTranslatedTexts()
{
    QVERIFY(QDir::setCurrent(QString::fromUtf8(QV_RUNTIME_DIR)));
    QTemporaryDir bin;
    QVERIFY(QFile::copy(builtTranslation(), bin.filePath(QString(kProgramTranslation) + ".qm")));
    QTranslator translator;
    QVERIFY(installProgramTranslation(translator, QLocale("zh_CN"), bin.filePath("quelvarin")));

    MessageRecorder boxes;
    {
        MainWindow window;
        const QStringList actions = actionTexts(window);
        // Menu titles and the program's own entries are translated...
        QVERIFY(actions.contains(QString::fromUtf8("全部测量")));
        QVERIFY(actions.contains(QString::fromUtf8("复制数据")));
        QVERIFY(!actions.contains("Measure ALL"));
        QStringList menuTitles;
        for (const QMenu* m : window.findChildren<QMenu*>())
            menuTitles << m->title();
        QVERIFY(menuTitles.contains(QString::fromUtf8("视图")));
        QVERIFY(menuTitles.contains(QString::fromUtf8("色域")));
        // ...the colour standards, white points, gammas and charts stay as they stand.
        for (const char* asIs : {"HDTVRec709", "SMPTE-C", "D65", "DCI-P3", "ITU_BT1886", "2.2", "1976"})
            QVERIFY2(actions.contains(asIs), asIs);

        bool grayTitle = false;
        bool startTip = false;
        for (const QPushButton* b : window.findChildren<QPushButton*>()) {
            grayTitle = grayTitle || b->text() == QString::fromUtf8("灰阶测量");
            startTip = startTip || b->toolTip() == QString::fromUtf8("开始测量");
        }
        QVERIFY(grayTitle);
        QVERIFY(startTip);
    }
    QCoreApplication::removeTranslator(&translator);
}

void TestMainWindowTranslation::colourWindowsShowTheTranslatedTexts()
{
    QTemporaryDir bin;
    QVERIFY(QFile::copy(builtTranslation(), bin.filePath(QString(kProgramTranslation) + ".qm")));
    QTranslator translator;
    QVERIFY(installProgramTranslation(translator, QLocale("zh_CN"), bin.filePath("quelvarin")));
    {
        ColorWindow window;
        QStringList labels;
        for (const QLabel* l : window.findChildren<QLabel*>())
            labels << l->text();
        labels.sort();
        QStringList expected = {QString::fromUtf8("红："), QString::fromUtf8("绿："),
                                QString::fromUtf8("蓝："), QString::fromUtf8("灰：")};
        expected.sort();
        QCOMPARE(labels, expected);

        CalculateDialog calculator;
        QCOMPARE(calculator.calcButton->text(), QString::fromUtf8("计算"));
        QVERIFY(calculator.findChildren<QLabel*>().first()->text() == QString::fromUtf8("色温"));
        // Notations and column symbols stay as they stand.
        QCOMPARE(calculator.xyzCheck->text(), QString("XYZ"));
        QCOMPARE(calculator.upvpYCheck->text(), QString("u'v'Y"));
        QCOMPARE(calculator.labTable->horizontalHeaderItem(0)->text(), QString("L"));
        calculator.show();
        QVERIFY(QTest::qWaitForWindowExposed(&calculator));
        calculator.grab().save(QDir(testenv::artifactDir()).filePath("colour_calculator_zh.png"));
    }
    QCoreApplication::removeTranslator(&translator);
}

void TestMainWindowTranslation::serialPortFailureIsTranslated_data()
{
    QTest::addColumn<QString>("driver");
    QTest::newRow("CR-100/CR-250") << "cr";
    QTest::newRow("CA-210 on a serial port") << "ca210";
}

void TestMainWindowTranslation::serialPortFailureIsTranslated()
{
    QFETCH(QString, driver);
    testenv::clearSettings(); // the instrument on COM1
    testenv::ScopedEnv missing("KW_SERIAL_COM1", QDir(root.path()).filePath("no-such-port").toUtf8());
    QTemporaryDir bin;
    QVERIFY(QFile::copy(builtTranslation(), bin.filePath(QString(kProgramTranslation) + ".qm")));
    QTranslator translator;
    QVERIFY(installProgramTranslation(translator, QLocale("zh_CN"), bin.filePath("quelvarin")));

    MessageRecorder boxes;
    std::unique_ptr<CSensor> sensor;
    if (driver == "cr")
        sensor = std::make_unique<CRXXXCensor>();
    else
        sensor = std::make_unique<CA210SensorCOM>();
    const bool opened = sensor->init();
    QCoreApplication::removeTranslator(&translator);

    QVERIFY(!opened);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QString::fromUtf8("打开传感器出错！"));
    QCOMPARE(boxes.last().text, QString::fromUtf8("无法打开 COM1"));
}

void TestMainWindowTranslation::qtTextsFollowTheSystemLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("fromQtFolder"); // else from a folder without Qt's translation
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QString>("cancel");
    const QString ok = QString::fromUtf8("确定"), cancel = QString::fromUtf8("取消");
    QTest::newRow("Chinese system") << "zh_CN" << true << true << ok << cancel;
    QTest::newRow("Chinese (Taiwan) system") << "zh_TW" << true << true << ok << cancel;
    QTest::newRow("English system") << "en_US" << true << false << "OK" << "Cancel";
    QTest::newRow("Chinese system, Qt's translation missing") << "zh_CN" << false << false << "OK" << "Cancel";
}

void TestMainWindowTranslation::qtTextsFollowTheSystemLanguage()
{
    QFETCH(QString, locale);
    QFETCH(bool, fromQtFolder);
    QFETCH(bool, installed);
    QFETCH(QString, ok);
    QFETCH(QString, cancel);

    QTemporaryDir empty;
    QTranslator translator;
    const bool result =
        installQtTranslation(translator, QLocale(locale), fromQtFolder ? QString() : empty.path());
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    const QString boxOk = box.button(QMessageBox::Ok)->text();
    const QString boxCancel = box.button(QMessageBox::Cancel)->text();
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    const QString dialogOk = buttons.button(QDialogButtonBox::Ok)->text();
    QCoreApplication::removeTranslator(&translator);

    QCOMPARE(result, installed);
    QCOMPARE(boxOk, ok);
    QCOMPARE(boxCancel, cancel);
    QCOMPARE(dialogOk, ok);
}

// Both translations as the program installs them: Qt's, then the program's. The file dialog and
// a message box are saved as pictures to be looked at.
void TestMainWindowTranslation::chineseFileDialogAndMessageBox()
{
    ChineseInterface chinese;
    QVERIFY(chinese.installed);
    {
        QFileDialog dialog(nullptr, QString(), chinese.bin.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QStringList labels;
        for (const QLabel* l : dialog.findChildren<QLabel*>())
            labels << l->text();
        QVERIFY2(labels.contains(QString::fromUtf8("查找范围：")), qPrintable(labels.join('|')));
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(buttons);
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("取消"));
        dialog.grab().save(QDir(testenv::artifactDir()).filePath("file_dialog_zh.png"));

        // A box of the program's own: its text from the program's translation, its buttons from Qt's.
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::translate("MainWindow", "Views"),
                        QCoreApplication::translate("MainWindow", "Views"),
                        QMessageBox::Ok | QMessageBox::Cancel);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QString::fromUtf8("确定"));
        QCOMPARE(box.text(), QString::fromUtf8("视图"));
        box.grab().save(QDir(testenv::artifactDir()).filePath("message_box_zh.png"));
    }
    chinese.remove();
}

void TestMainWindowTranslation::questionsNameTheirButtonsAsTheyRead_data()
{
    QTest::addColumn<bool>("simulator");
    QTest::addColumn<QString>("text"); // the question's English text
    QTest::newRow("the simulator question") << true << "This is an simulator sensor.                   ";
    QTest::newRow("the parameter confirmation") << false << "Please Confirm parameters!                   ";
}

// The questions before a run tell which button to press: in Chinese they must name the buttons
// as the box shows them, with Qt's translation of its standard buttons, not as they read in English.
void TestMainWindowTranslation::questionsNameTheirButtonsAsTheyRead()
{
    QFETCH(bool, simulator);
    QFETCH(QString, text);
    QVERIFY(mainwindowharness::enterRunDirectory());
    testenv::clearSettings();
    Application::instance()->loadReference();
    mainwindowharness::useQuickRuns(2);
    ChineseInterface chinese;
    QVERIFY(chinese.installed);

    RecordedMessage question;
    {
        MessageRecorder boxes; // answers OK: the run goes ahead and ends
        VirtualClock clock(1);
        std::unique_ptr<MainWindow> window;
        QVERIFY(mainwindowharness::showMainWindow(window));
        MainWindowProbe p(*window);
        if (!simulator) {
            p.measure()->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default,
                                                    [](SigAdapter*) { return new ZeroDelaySensor; });
            QVERIFY(p.measure()->openSensor(SensorModel::K10));
        }
        p.start();
        QVERIFY(mainwindowharness::waitUntilIdle(p));
        QVERIFY(boxes.count() > 0);
        question = boxes.messages().first();
    }
    // The box looked at is the question of the row, in Chinese.
    QCOMPARE(question.text, QCoreApplication::translate("MainWindow", qPrintable(text)));
    QVERIFY(question.text != text);
    chinese.remove();

    QCOMPARE(question.standardButtons, QMessageBox::Ok | QMessageBox::Cancel);
    QVERIFY2(!question.buttons.contains("OK") && !question.buttons.contains("Cancel"),
             qPrintable(question.buttons.join('|'))); // Qt's Chinese buttons
    QStringList named;
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("\\[([^\\]]*)\\]")).globalMatch(question.informativeText);
    while (it.hasNext())
        named << it.next().captured(1);
    QStringList buttons = question.buttons;
    named.sort();
    buttons.sort();
    QVERIFY2(named == buttons, qPrintable(question.informativeText + " / " + question.buttons.join('|')));
}

QV_TEST_MAIN_APPLICATION(TestMainWindowTranslation)
#include "tst_mainwindow_translation.moc"
