#pragma once
// The Options page of the attached instrument: its serial number, the serial port for the next
// connection (sensor/lastport, written on OK) and the sensor calibration. A Spyder 4 adds the
// monitor's gamut and backlight, which go to the driver at once; the dialog's owner stores them
// after OK. A CR-100 or CR-250 adds its sync mode and frequency and, by model, the user
// calibration mode and value (CR-100) or the measuring speed (CR-250): each choice is sent to the
// instrument at once through the driver's setters and stored nowhere else; Cancel undoes none of
// it. The rows are chosen by the class of the attached driver, never by the engine's recorded
// type, which a loaded profile may have changed. Building the page and refilling its lists send
// nothing; only the operator's choices do.

#include <QWidget>

#include <functional>

class CRXXXCensor;
class CSensor;
class Measure;
class QComboBox;
class QGridLayout;
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

    // The sync mode whose frequency the operator sets.
    static constexpr int kManualSyncMode = 2;
    // The calibration modes that select from a list: a matrix, a match.
    static constexpr int kCalibMatrix = 1;
    static constexpr int kCalibMatch = 2;

public slots:
    void doCalibrate();
    void doChgCalibMode(int i);
    void doChgCalibValue(int index);
    void doChgSyncMode(int index);
    void doChgSyncFreq(QString f);
    void doChgSpeedMode(int index);

public:
    int gammutNum = 0;
    int backlightNum = 0;
    QComboBox* portCombo = nullptr;
    QComboBox* gammutCombo = nullptr;    // Spyder 4 only
    QComboBox* backlightCombo = nullptr; // Spyder 4 only
    QComboBox* syncModeCombo = nullptr;  // CR-100/CR-250
    QComboBox* speedCombo = nullptr;     // CR-250 only
    QComboBox* calibModeCombo = nullptr; // CR-100 only
    QComboBox* calibValueCombo = nullptr; // CR-100 only
    QLineEdit* freqEdit = nullptr;       // CR-100/CR-250: the sync frequency in Hz
    QLineEdit* snEdit = nullptr;
    CSensor* sensor = nullptr;
    Measure* measure = nullptr;

private:
    void addCrRows(QGridLayout* grid, QWidget* box);
    // Fills the calibration value list for `mode` without telling the instrument.
    void fillCalibValues(int mode);

    CRXXXCensor* m_cr = nullptr; // the attached driver when it is a CR-100/CR-250
};
