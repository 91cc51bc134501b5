// The main window's data commands: export and import (the file work is the scene's) and the
// About box.

#include "shell/mainwindow.h"

#include "shell/fullscene.h"
#include "shell/imessagebox.h"

#include <QAction>
#include <QPushButton>

namespace {

// The program's version and maker, shown by the About box.
const int kVersionMajor = 0;
const int kVersionMinor = 2;
const int kVersionPatch = 10;
const char kMaker[] = "Dravello";
const char kWebsite[] = "https://www.dravello.example";
const char kSupportMail[] = "support@dravello.example";

// The busy refusal's text; the informative text starts with 19 blanks.
const char kBusyText[] = QT_TRANSLATE_NOOP("MainWindow", "Measurement is in processing.");
const char kTryLater[] = QT_TRANSLATE_NOOP("MainWindow", "                   Try Later.");

// Four non-breaking blanks, then the address as a link showing itself.
QString link(const QString& target, const QString& shown)
{
    return QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;<a style=color:#3333ff; href=\"%1\">%2</a>")
        .arg(target, shown);
}

} // namespace

void MainWindow::connectDataCommands()
{
    connect(exportButton, &QPushButton::clicked, this, &MainWindow::exportData);
    connect(exportAction, &QAction::triggered, this, &MainWindow::exportData);
    connect(importButton, &QPushButton::clicked, this, &MainWindow::importData);
    connect(importAction, &QAction::triggered, this, &MainWindow::importData);
    connect(helpButton, &QPushButton::clicked, this, &MainWindow::doAbout);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::doAbout);
    for (QPushButton* b : {exportButton, importButton, helpButton})
        b->setEnabled(true);
    for (QAction* a : {exportAction, importAction, aboutAction})
        a->setEnabled(true);
}

void MainWindow::exportData()
{
    // The lists must not grow while they are written, so no export during a run (or between the
    // runs of a "Measure ALL" chain).
    if (isMeasuring()) {
        IMessageBox box(tr("Export"), tr(kBusyText), tr(kTryLater));
        box.exec();
        setWindowState(Qt::WindowActive);
        return;
    }
    setWindowState(Qt::WindowActive);
    fullScene->exportData();
    setWindowState(Qt::WindowActive);
}

void MainWindow::importData()
{
    if (isMeasuring()) {
        IMessageBox box(tr("Import"), tr(kBusyText), tr(kTryLater));
        box.exec();
    } else {
        fullScene->importData();
    }
    setWindowState(Qt::WindowActive);
}

void MainWindow::doAbout()
{
    const QString version = tr("Version %1.%2.%3<br/>%4")
                                .arg(kVersionMajor)
                                .arg(kVersionMinor)
                                .arg(kVersionPatch)
                                .arg(QString::fromLatin1(kMaker));
    const QString contact =
        QStringLiteral("%1:<br/>%2<br/>%3:<br/>%4")
            .arg(tr("Website"), link(QString::fromLatin1(kWebsite), QString::fromLatin1(kWebsite)),
                 tr("Email"),
                 link(QStringLiteral("mailto:") + QString::fromLatin1(kSupportMail),
                      QString::fromLatin1(kSupportMail)));
    IMessageBox box(tr("Quelvarin Vivaruded"), version, contact);
    box.exec();
}
