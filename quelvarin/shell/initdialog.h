#pragma once
// The sensor selection dialog: which instrument to connect, its COM port, and for the CA-210/
// CA-310 whether it is reached over USB or a serial port. It connects nothing itself: it stores
// the choices (sensor/lastsensor, sensor/lastport on OK; PortSelect/USBSele and COMSele at every
// click on a link choice and on OK) and its opener hands lastSensor to Measure::openSensor.

#include <QDialog>

class QComboBox;
class QRadioButton;

class InitDialog : public QDialog
{
    Q_OBJECT

public:
    // How an instrument type is reached, which decides the USB/COM choice.
    enum class PortKind { Usb, Serial, Either, None };
    // The kind of a SensorModel index; None for the simulator and any index outside the list.
    static PortKind portKind(int type);

    explicit InitDialog(QWidget* parent);

    void accept() override;

    // Read by the opener after the dialog ran.
    int lastSensor = 0;
    int lastPort = 0;

public slots:
    // Updates the USB/COM choice for instrument type `index` (the list's activated signal).
    void setPortComState(int index);
    // Stores the USB/COM choice at once (both radio buttons' clicked signal).
    void doPortChanged();

public:
    QComboBox* sensorCombo = nullptr;
    QComboBox* portCombo = nullptr;
    QRadioButton* usbButton = nullptr;
    QRadioButton* comButton = nullptr;
    int sensorIndex = 0;
    bool usbSelected = true;
    bool comSelected = false;

private:
    void readPortSelect();
};
