#pragma once
// The Options page of the attached instrument: its serial number, the serial port for the next
// connection (sensor/lastport, written on OK) and the sensor calibration. A Spyder 4 adds the
// monitor's gamut and backlight, which go to the driver at once; the dialog's owner stores them
// after OK. The rows are chosen by the class of the attached driver, never by the engine's
// recorded type, which a loaded profile may have changed; building the page sends nothing.

#include <QWidget>

#include <functional>

class CSensor;
class Measure;
class QComboBox;
class QLineEdit;

class SensorPage : public QWidget
{
    Q_OBJECT

public:
    // `type` is the engine's recorded SensorModel; `sensor` is the attached driver (not null).
    SensorPage(Measure* measure, CSensor* sensor, int type, QWidget* parent);

    void LoadReference();
    void SaveReference();

    // The driver is a Spyder 4: a driver with the slots setGammut(int) and setBackLight(int)
    // (the Spyder 4/5 driver's) carrying the Spyder 4's name.
    static bool isSpyder4(const CSensor* sensor);

    // What the Calibrate button opens: the sensor calibration dialog, installed by the program
    // where that dialog is built. Without one the button is disabled.
    using CalibrationOpener = std::function<void(Measure* measure)>;
    static void setCalibrationOpener(CalibrationOpener opener);

public slots:
    void doCalibrate();

public:
    int gammutNum = 0;
    int backlightNum = 0;
    QComboBox* portCombo = nullptr;
    QComboBox* gammutCombo = nullptr;    // Spyder 4 only
    QComboBox* backlightCombo = nullptr; // Spyder 4 only
    QLineEdit* snEdit = nullptr;
    CSensor* sensor = nullptr;
    Measure* measure = nullptr;
};
