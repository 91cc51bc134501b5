// The main window's data commands: export and import (the file work is the scene's) and the
// About box.

#include "shell/mainwindow.h"

#include "shell/dataexport.h"
#include "shell/fullscene.h"
#include "appcore/imessagebox.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>

namespace {

// The program's version and maker, shown by the About box.
const int kVersionMajor = 0;
const int kVersionMinor = 2;
const int kVersionPatch = 10;
const char kMaker[] = "Dravello";

// The maker's web site and support address come from the build (QV_MAKER_WEBSITE and
// QV_MAKER_EMAIL, empty unless given): none is published yet, and the box must never show an
// address that nobody answers.
const char kWebsite[] = QV_MAKER_WEBSITE;
const char kSupportMail[] = QV_MAKER_EMAIL;

} // namespace

QString dataexport::aboutContactText(const QString& website, const QString& mail)
{
    auto line = [](const char* word, const QString& target, const QString& shown) {
        return QStringLiteral("%1:<br/>&nbsp;&nbsp;&nbsp;&nbsp;<a style=color:#3333ff; "
                              "href=\"%2\">%3</a>")
            .arg(QCoreApplication::translate("MainWindow", word), target, shown);
    };
    QStringList lines;
    if (!website.isEmpty())
        lines << line(QT_TRANSLATE_NOOP("MainWindow", "Website"), website, website);
    if (!mail.isEmpty())
        lines << line(QT_TRANSLATE_NOOP("MainWindow", "Email"), QStringLiteral("mailto:") + mail,
                      mail);
    return lines.join(QStringLiteral("<br/>"));
}

void MainWindow::connectDataCommands()
{
    // The buttons show their pressed face while held and run the command on release.
    connectPictureButton(exportButton, "export", [this] { exportData(); });
    connectPictureButton(importButton, "import", [this] { importData(); });
    connectPictureButton(helpButton, "help", [this] { doAbout(); });
    connect(exportAction, &QAction::triggered, this, &MainWindow::exportData);
    connect(importAction, &QAction::triggered, this, &MainWindow::importData);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::doAbout);
    for (QAction* a : {exportAction, importAction, aboutAction})
        a->setEnabled(true);
}

void MainWindow::exportData()
{
    // The lists must not grow while they are written, so no export during a run (or between the
    // runs of a "Measure ALL" chain).
    if (refusedWhileBusy(tr("Export"))) {
        setWindowState(Qt::WindowActive);
        return;
    }
    setWindowState(Qt::WindowActive);
    fullScene->exportData();
    setWindowState(Qt::WindowActive);
}

void MainWindow::importData()
{
    if (!refusedWhileBusy(tr("Import")))
        fullScene->importData();
    setWindowState(Qt::WindowActive);
}

void MainWindow::doAbout()
{
    const QString version = tr("Version %1.%2.%3<br/>%4")
                                .arg(kVersionMajor)
                                .arg(kVersionMinor)
                                .arg(kVersionPatch)
                                .arg(QString::fromLatin1(kMaker));
    const QString contact = dataexport::aboutContactText(QString::fromUtf8(kWebsite),
                                                         QString::fromUtf8(kSupportMail));
    IMessageBox box(tr("Quelvarin Vivaruded"), version, contact);
    box.exec();
}
