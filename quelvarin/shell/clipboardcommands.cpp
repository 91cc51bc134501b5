// The main window's clipboard command: every result as text (the engine's snapshot), also
// while a run adds to the lists.

#include "shell/mainwindow.h"

#include "measure/measure.h"

#include <QAction>

void MainWindow::connectClipboardCommand()
{
    connect(copyDataAction, &QAction::triggered, measure, &Measure::doCpDataToClip);
    copyDataAction->setEnabled(true);
}
