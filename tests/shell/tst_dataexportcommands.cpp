// The main window's export, import and About commands: the buttons and actions reach them, a
// run in progress refuses export and import without touching a file, and the window is
// activated (a maximised one back to normal) afterwards.

#include "shell/mainwindow.h"

#include "apptestmain.h"
#include "messagerecorder.h"
#include "platform/settings.h"
#include "shell/dataexport.h"
#include "testenv.h"

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

// Reaches the window's private parts for the checks.
class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow& w) : w(w) {}
    MainWindow& w;

    QPushButton* exportButton() const { return w.exportButton; }
    QPushButton* importButton() const { return w.importButton; }
    QPushButton* helpButton() const { return w.helpButton; }
    QAction* exportAction() const { return w.exportAction; }
    QAction* importAction() const { return w.importAction; }
    QAction* aboutAction() const { return w.aboutAction; }
    // Between the runs of a "Measure ALL" chain the window counts as measuring.
    void setMeasuring(bool on) const { w.chainInProgress = on; }
};

namespace {

const char kBusy[] = "Measurement is in processing.";
const char kTryLater[] = "                   Try Later.";

} // namespace

class TestDataExportCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QTemporaryDir> files;
    QStringList asked;
    QString answer;

private slots:
    void init()
    {
        testenv::clearSettings();
        window = std::make_unique<MainWindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        files = std::make_unique<QTemporaryDir>();
        asked.clear();
        answer.clear();
        dataexport::setFileChooser(
            [this](dataexport::DialogKind kind, const QString& caption, const QString&) {
                asked << QString("%1 %2").arg(kind == dataexport::DialogKind::Save ? "save" : "open",
                                              caption);
                return answer;
            });
    }

    void cleanup()
    {
        testenv::installModalDefaults(); // the file chooser a case set
        window.reset();
    }

    void buttonsAndActionsReachTheCommands()
    {
        MainWindowProbe p(*window);
        MessageRecorder boxes;
        for (QPushButton* b : {p.exportButton(), p.importButton(), p.helpButton()})
            QVERIFY(b->isEnabled());
        QTest::mouseClick(p.exportButton(), Qt::LeftButton);
        QTest::mouseClick(p.importButton(), Qt::LeftButton);
        p.exportAction()->trigger();
        p.importAction()->trigger();
        QCOMPARE(asked, (QStringList{"save Save Data", "open Open datafile", "save Save Data",
                                     "open Open datafile"}));
        QCOMPARE(boxes.count(), 0); // every dialog was cancelled

        QTest::mouseClick(p.helpButton(), Qt::LeftButton);
        p.aboutAction()->trigger();
        QCOMPARE(boxes.count(), 2);
    }

    void exportAndImportThroughTheWindow()
    {
        MessageRecorder boxes;
        answer = files->filePath("run");
        window->exportData();
        QCOMPARE(boxes.last().text, QString("Data has been successfully Exported!"));
        QVERIFY(QFile::exists(answer + ".data"));
        answer += ".data";
        window->importData();
        QCOMPARE(boxes.last().text, QString("Data has been successfully Imported!"));
    }

    void refusedDuringARun_data()
    {
        QTest::addColumn<bool>("exporting");
        QTest::addColumn<QString>("title");
        QTest::newRow("export") << true << "Export";
        QTest::newRow("import") << false << "Import";
    }

    void refusedDuringARun()
    {
        QFETCH(bool, exporting);
        QFETCH(QString, title);
        MainWindowProbe p(*window);
        MessageRecorder boxes;
        answer = files->filePath("busy");
        window->showMaximized();
        p.setMeasuring(true);
        exporting ? window->exportData() : window->importData();
        p.setMeasuring(false);

        QVERIFY(asked.isEmpty());
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, title);
        QCOMPARE(boxes.last().text, QString(kBusy));
        QCOMPARE(boxes.last().informativeText, QString(kTryLater));
        QCOMPARE(QDir(files->path()).entryList(QDir::Files), QStringList());
        QVERIFY(!(window->windowState() & Qt::WindowMaximized));
    }

    void exportFromAMaximisedWindowEndsNormal()
    {
        MessageRecorder boxes;
        window->showMaximized();
        QVERIFY(window->windowState() & Qt::WindowMaximized);
        window->exportData();
        QVERIFY(!(window->windowState() & Qt::WindowMaximized));
        QVERIFY(window->windowState() & Qt::WindowActive);
    }

    void aboutBoxEvenDuringARun()
    {
        MainWindowProbe p(*window);
        MessageRecorder boxes;
        p.setMeasuring(true);
        window->doAbout();
        p.setMeasuring(false);
        QCOMPARE(boxes.count(), 1);
        const RecordedMessage about = boxes.last();
        QCOMPARE(about.title, QString("Quelvarin Vivaruded"));
        QCOMPARE(about.text, QString("Version 0.2.10<br/>Dravello"));
        // This build is given no contact address, and the box invents none.
        QCOMPARE(about.informativeText, QString());
        QCOMPARE(about.buttons, QStringList{"OK"});
    }

    void aboutContactText_data()
    {
        QTest::addColumn<QString>("website");
        QTest::addColumn<QString>("mail");
        QTest::addColumn<QString>("text");
        const QString indent = "&nbsp;&nbsp;&nbsp;&nbsp;";
        const QString site = "Website:<br/>" + indent
                             + "<a style=color:#3333ff; href=\"https://host.test\">https://host.test</a>";
        const QString mail = "Email:<br/>" + indent
                             + "<a style=color:#3333ff; href=\"mailto:help@host.test\">help@host.test</a>";
        QTest::newRow("both addresses") << "https://host.test" << "help@host.test"
                                        << site + "<br/>" + mail;
        QTest::newRow("web site only") << "https://host.test" << "" << site;
        QTest::newRow("e-mail only") << "" << "help@host.test" << mail;
        QTest::newRow("no address: no contact text") << "" << "" << "";
    }

    void aboutContactText()
    {
        QFETCH(QString, website);
        QFETCH(QString, mail);
        QFETCH(QString, text);
        QCOMPARE(dataexport::aboutContactText(website, mail), text);
    }
};

QV_TEST_MAIN_APPLICATION(TestDataExportCommands)
#include "tst_dataexportcommands.moc"
