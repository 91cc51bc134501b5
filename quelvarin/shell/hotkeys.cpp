// The main window's hot keys. Modifiers are not looked at (Ctrl+I imports as I does), and a
// letter matches in either case; any other key does nothing.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "platform/logging.h"
#include "shell/referencepage.h"

#include <QDebug>
#include <QKeyEvent>

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    qCDebug(platform::shellLog) << "mainwindwo key pressed";
    switch (event->key()) {
    case Qt::Key_Escape: escapePressed(); break;
    case Qt::Key_I: importData(); break;
    case Qt::Key_E: exportData(); break;
    case Qt::Key_S: openOptionDlg(); break;
    case Qt::Key_1: case Qt::Key_2: case Qt::Key_3:
    case Qt::Key_4: case Qt::Key_5: case Qt::Key_6:
        viewIndex = event->key() - Qt::Key_1;
        showView();
        break;
    case Qt::Key_F5: changeReference(&ReferencePage::saveCieChart1931); break;
    case Qt::Key_F6: changeReference(&ReferencePage::saveCieChart1976); break;
    case Qt::Key_F9: changeReference(&ReferencePage::saveColorSpace2); break;
    case Qt::Key_F10: changeReference(&ReferencePage::saveColorSpace5); break;
    case Qt::Key_A: doMeasureAll(); break;
    default: break;
    }
}

void MainWindow::escapePressed()
{
    // Only the stop request: the running sequence ends at its next patch and reports it, and the
    // chain ends when doStopMeasure hears of it. A run of a chain must then also close the
    // pattern output after it (as a stop by the button arranges before the run can notice),
    // or the pattern would stay up over the display once the chain has ended.
    if (measureAllRunning && measureThread->isRunning())
        Measure::setClosePatternAfterRun(true);
    measureThread->stopMeasure();
}
