// The main window's calibration commands: the sensor calibration dialog, and the monitor
// calibration, which runs as mode 7 of the engine; the engine asks for the LUT folder and the
// options at the start (showCalDiag, while the worker waits) and reports the end (showCalFinish).

#include "shell/mainwindow.h"

#include "measure/calibratemonitor.h"
#include "measure/measure.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "appcore/application.h"
#include "shell/caldialog.h"
#include "shell/calibratedialog.h"
#include "appcore/imessagebox.h"
#include "shell/mainwindowpictures.h"
#include "shell/sensorpage.h"

#include <QAction>
#include <QFileDialog>
#include <QPushButton>

namespace {

bool isSimulatorSensor(const CSensor* sensor)
{
    return sensor && sensor->name == sensorModelNames.value(SensorModel::Simulator);
}

QString storedLutFolder()
{
    return QString::fromUtf8(platform::readSetting("calibrate", "savedir").toByteArray());
}

void storeLutFolder(const QString& folder)
{
    platform::writeSetting("calibrate", "savedir", folder.toUtf8());
}

} // namespace

void MainWindow::connectCalibrationCommands()
{
    // The worker waits in calibrateStarted until the folder and the options are settled.
    connect(measure, &Measure::calibrateStarted, this, &MainWindow::showCalDiag,
            Qt::BlockingQueuedConnection);
    connect(measure, &Measure::calibrateFinished, this, &MainWindow::showCalFinish);
    connect(lutButton, &QPushButton::clicked, this, &MainWindow::doCalibrate);
    connect(calibrateSensorAction, &QAction::triggered, this, &MainWindow::calibrateSensor);
    lutButton->setEnabled(true);
    calibrateSensorAction->setEnabled(true);
    // The Options dialog's sensor page opens the same sensor calibration dialog.
    SensorPage::setCalibrationOpener([](Measure* engine) { runSensorCalibration(engine); });
}

void MainWindow::runSensorCalibration(Measure* engine)
{
    // The dialog's readings wait while handling events: the driver is the dialog's meanwhile.
    const Measure::SensorOperation operation(*engine);
    if (!operation)
        return;
    CalibrateDialog dialog(engine, nullptr);
    dialog.exec();
}

void MainWindow::calibrateSensor()
{
    if (refusedWhileBusy(tr("Calibrate Sensor")))
        return;
    if (!measure->sensor()) {
        IMessageBox box(tr("Calibrate Sensor"), tr("No sensor is connected."),
                        tr("Connect a sensor first."));
        box.exec();
        return;
    }
    const InstrumentCommand command(*this);
    runSensorCalibration(measure);
}

void MainWindow::doCalibrate()
{
    if (refusedWhileBusy(tr("Measure")))
        return;
    // Without a connected instrument the operator connects one first.
    if (!instrumentConnected() && !doNewProfile())
        return;
    if (isSimulatorSensor(measure->sensor())) {
        IMessageBox box(tr("Calibrate"), tr("This is an simulator sensor. "),
                        tr("To Select a physical sensor."));
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.exec();
        return;
    }
    // The bottom bar's buttons keep their idle look: a calibration reports through its own boxes.
    startMode(MeasureCalibrate);
}

void MainWindow::showCalDiag()
{
    if (closeRequested) {
        // The window is going: the run must end without measuring.
        CalibrateMonitor::rec709 = false;
        CalibrateMonitor::dci = false;
        CalibrateMonitor::rec2020 = false;
        return;
    }
    const QString start = storedLutFolder();
    QString folder;
    {
        QWidget styled;
        styled.setStyleSheet(fileDialogStyle);
        folder = QFileDialog::getExistingDirectory(
            &styled, tr("Save Luts"), start,
            QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    }
    if (folder.isEmpty()) {
        storeLutFolder(QString());
        return;
    }
    storeLutFolder(folder);
    CalDialog dialog(nullptr);
    dialog.setWindowFlags(dialog.windowFlags() | Qt::WindowStaysOnTopHint);
    dialog.exec();
}

void MainWindow::showCalFinish()
{
    const QString folder = storedLutFolder();
    if (folder.isEmpty())
        return;
    IMessageBox box(tr("Calibrate"), tr("Calibrate finished.                             "),
                    tr("Export path: %1").arg(folder));
    box.exec();
}
