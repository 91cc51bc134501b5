// The main window's sensor commands: connecting an instrument through the sensor selection
// dialog, detaching it, and loading and saving its sensor profile.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "sensors/sensor.h"
#include "shell/fullscene.h"
#include "appcore/imessagebox.h"
#include "shell/initdialog.h"
#include "shell/mainwindowpictures.h"
#include "shell/modaldialogs.h"

#include <QAction>
#include <QPushButton>

using mainwindow::kSensorBusyText;
using mainwindow::kTryLater;

namespace {

const char kNoSensorCreated[] = QT_TRANSLATE_NOOP("MainWindow", "There is NO Sensor has been Created!");

bool isSimulatorName(const QString& name)
{
    return name == sensorModelName(SensorModel::Simulator);
}

void tell(const QString& title, const QString& text, const QString& informative = QString())
{
    IMessageBox box(title, text, informative);
    box.exec();
}

} // namespace

void MainWindow::connectSensorCommands()
{
    connectPictureButton(newButton, "new", [this] { doNewProfile(); });
    connectPictureButton(openButton, "open", [this] { doOpenProfile(); });
    connectPictureButton(saveButton, "save", [this] { doSaveProfile(); });
    connectPictureButton(closeButton, "close", [this] { doCloseProfile(); });
    connect(connectAction, &QAction::triggered, this, [this] { doNewProfile(); });
    connect(openProfileAction, &QAction::triggered, this, &MainWindow::doOpenProfile);
    connect(saveProfileAction, &QAction::triggered, this, &MainWindow::doSaveProfile);
    connect(detachAction, &QAction::triggered, this, &MainWindow::doCloseProfile);
    for (QAction* a : {connectAction, openProfileAction, saveProfileAction, detachAction})
        a->setEnabled(true);
}

bool MainWindow::askForSensor(int* type)
{
    InitDialog dialog(this);
    dialog.setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    // A window takes its modality when it is shown, and this one is shown before it runs: modal
    // from the moment it appears, or the main window behind it would take clicks meanwhile.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    // The page slides to gray while the dialog is already up: what follows measures gray.
    viewIndex = MeasureGray;
    showView();
    if (shell::runModal(dialog) != QDialog::Accepted)
        return false;
    *type = dialog.lastSensor;
    return true;
}

bool MainWindow::doNewProfile()
{
    if (refusedWhileBusy(tr("New")))
        return false;
    const InstrumentCommand command(*this);
    if (measure->sensor())
        detachHeldSensor();
    // A close asked for during the detach: no new instrument for a window that is going.
    if (closeRequested)
        return false;
    return connectChosenSensor();
}

bool MainWindow::connectChosenSensor()
{
    int type = 0;
    if (!askForSensor(&type) || closeRequested)
        return false;
    return measure->openSensor(type);
}

void MainWindow::doCloseProfile()
{
    if (refusedWhileBusy(tr("Close")))
        return;
    const InstrumentCommand command(*this);
    detachHeldSensor();
}

void MainWindow::detachHeldSensor()
{
    CSensor* sensor = measure->sensor();
    if (!sensor) {
        tell(tr("Close"), tr(kNoSensorCreated));
        return;
    }
    if (!sensor->connected) {
        tell(tr("Close"), tr("The Sensor has been detached or has not been opened yet."));
        return;
    }
    const QString name = sensor->name;
    if (!measure->detachSensor())
        return;
    // The detach emptied every result list: the pages must not go on showing results that are
    // no longer there (and that an export would no longer write).
    fullScene->layoutViews();
    viewIndex = MeasureGray;
    showView();
    if (!isSimulatorName(name) && !closeRequested) {
        tell(tr("Close"), tr("The Sensor has been successfully Detached!"),
             tr("Create another one if you want to start a new measurement."));
    }
}

void MainWindow::doOpenProfile()
{
    if (refusedWhileBusy(tr("Open")))
        return;
    CSensor* sensor = measure->sensor();
    if (!sensor || !sensor->connected) {
        tell(tr("Open"), tr("No sensor connected."), tr("Connect Sensor first."));
        return;
    }
    const InstrumentCommand command(*this);
    const QString file =
        shell::chooseProfileFile(shell::ProfileDialog::Open, tr("Open profile"));
    if (file.isEmpty())
        return;
    // The engine tells what kept it from taking the profile; this box follows.
    if (!measure->loadProfile(file))
        tell(tr("ERROR Open profile"), tr("Profile sensor failed"));
}

void MainWindow::doSaveProfile()
{
    // The profile names the held driver's type and serial number: not one being replaced.
    if (instrumentBusy()) {
        tell(tr("Save"), tr(kSensorBusyText), tr(kTryLater));
        return;
    }
    if (!measure->sensor()) {
        tell(tr("Save"), tr(kNoSensorCreated));
        return;
    }
    const QString file =
        shell::chooseProfileFile(shell::ProfileDialog::Save, tr("Save profile"));
    if (file.isEmpty())
        return;
    // The suffix is always added, also to a name that has it already.
    QString error;
    if (!measure->saveProfile(file + QStringLiteral(".alg"), &error))
        tell(tr("Save profile"), tr("Save failed"), error);
}
