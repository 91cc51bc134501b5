#include "shell/initdialog.h"

#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/markerstyle.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const char kDialogStyle[] = "background-color:#202020;color:#ffffff";
const char kGroupStyle[] = "QGroupBox {border: 2px solid #505050; margin-top: 2ex;} "
                           "QGroupBox::title {subcontrol-origin: margin; padding: 0 3px;} ";
// The serial drivers open "COM" followed by the stored index plus one.
constexpr int kPortCount = 9;
const QSize kDialogSize(340, 250);

} // namespace

InitDialog::PortKind InitDialog::portKind(int type)
{
    switch (type) {
    case SensorModel::Spyder3:
    case SensorModel::Spyder4:
    case SensorModel::Spyder5:
    case SensorModel::Chroma5:
    case SensorModel::CS200:
        return PortKind::Usb;
    case SensorModel::K10:
    case SensorModel::PR6xx:
    case SensorModel::CS2000:
    case SensorModel::CR100:
        return PortKind::Serial;
    case SensorModel::CA210:
        return PortKind::Either;
    default:
        return PortKind::None;
    }
}

InitDialog::InitDialog(QWidget* parent)
    : QDialog(parent)
{
    readPortSelect();

    usbButton = new QRadioButton(tr("USB"), this);
    comButton = new QRadioButton(tr("COM"), this);
    if (usbSelected)
        usbButton->setChecked(true);
    if (comSelected)
        comButton->setChecked(true);
    connect(usbButton, &QRadioButton::clicked, this, &InitDialog::doPortChanged);
    connect(comButton, &QRadioButton::clicked, this, &InitDialog::doPortChanged);

    auto* sensorLabel = new QLabel(tr("Select sensor: "), this);
    auto* portLabel = new QLabel(tr("Select Port:   "), this);

    sensorCombo = new QComboBox(this);
    sensorCombo->addItems(sensorModelNames);
    connect(sensorCombo, QOverload<int>::of(&QComboBox::activated), this,
            &InitDialog::setPortComState);

    portCombo = new QComboBox(this);
    for (int i = 1; i <= kPortCount; ++i)
        portCombo->addItem(QStringLiteral("COM%1").arg(i));

    {
        QSettings settings = platform::kwSettings();
        settings.beginGroup("sensor");
        lastSensor = settings.value("lastsensor", 0).toInt();
        sensorCombo->setCurrentIndex(lastSensor);
        lastPort = settings.value("lastport", 0).toInt();
        portCombo->setCurrentIndex(lastPort);
        settings.endGroup();
    }

    sensorIndex = sensorCombo->currentIndex();
    setPortComState(sensorIndex);

    // Once more by the kind alone: a dialog that opens on the CA-210 starts with USB.
    switch (portKind(sensorIndex)) {
    case PortKind::Usb:
        usbButton->setChecked(true);
        usbButton->setEnabled(true);
        comButton->setChecked(false);
        comButton->setEnabled(false);
        break;
    case PortKind::Serial:
        usbButton->setChecked(false);
        usbButton->setEnabled(false);
        comButton->setChecked(true);
        comButton->setEnabled(true);
        break;
    case PortKind::Either:
        usbButton->setChecked(true);
        usbButton->setEnabled(true);
        comButton->setChecked(false);
        comButton->setEnabled(true);
        break;
    case PortKind::None:
        break;
    }

    auto* sensorBox = new QGroupBox(tr("Sensor:"), this);
    auto* sensorGrid = new QGridLayout(sensorBox);
    sensorGrid->addWidget(sensorLabel, 0, 0);
    sensorGrid->addWidget(sensorCombo, 0, 1, 1, 3);
    auto* portBox = new QGroupBox(tr("Port:"), this);
    auto* portGrid = new QGridLayout(portBox);
    portGrid->addWidget(portLabel, 0, 0);
    portGrid->addWidget(portCombo, 0, 1, 1, 3);
    sensorBox->setStyleSheet(kGroupStyle);
    portBox->setStyleSheet(kGroupStyle);

    auto* linkRow = new QHBoxLayout;
    linkRow->addStretch(20);
    linkRow->addWidget(usbButton);
    linkRow->addWidget(comButton);

    auto* ok = new QPushButton(tr("OK"), this);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    connect(ok, &QPushButton::clicked, this, &InitDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(20);
    buttonRow->addWidget(ok);
    buttonRow->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(sensorBox);
    layout->addSpacing(20);
    layout->addLayout(linkRow);
    layout->addWidget(portBox);
    layout->addSpacing(20);
    layout->addLayout(buttonRow);

    setWindowTitle(tr("Select sensor"));
    resize(kDialogSize);
    setStyleSheet(withMarkerStyle(kDialogStyle));
}

void InitDialog::readPortSelect()
{
    QSettings settings = platform::kwSettings();
    settings.beginGroup("PortSelect");
    usbSelected = settings.value("USBSele", true).toBool();
    comSelected = settings.value("COMSele", false).toBool();
    settings.endGroup();
}

void InitDialog::setPortComState(int index)
{
    // Qt's radio buttons: a disabled button does not take a state, and the checked one of an
    // exclusive pair cannot be unchecked directly, so the order of these calls matters.
    switch (portKind(index)) {
    case PortKind::Either:
        readPortSelect();
        usbButton->setChecked(usbSelected);
        comButton->setChecked(comSelected);
        usbButton->setEnabled(true);
        comButton->setEnabled(true);
        break;
    case PortKind::Usb:
        usbButton->setEnabled(true);
        comButton->setEnabled(false);
        usbButton->setChecked(true);
        comButton->setChecked(false);
        break;
    case PortKind::Serial:
        comButton->setEnabled(true);
        usbButton->setEnabled(false);
        comButton->setChecked(true);
        usbButton->setChecked(false);
        // A serial instrument needs its port: the list is offered again after a USB click.
        portCombo->setEnabled(true);
        break;
    case PortKind::None:
        break;
    }
    sensorIndex = sensorCombo->currentIndex();
}

void InitDialog::doPortChanged()
{
    QSettings settings = platform::kwSettings();
    settings.beginGroup("PortSelect");
    if (usbButton->isChecked()) {
        settings.setValue("USBSele", usbButton->isChecked());
        settings.setValue("COMSele", comButton->isChecked());
        portCombo->setEnabled(false);
    } else if (comButton->isChecked()) {
        settings.setValue("USBSele", usbButton->isChecked());
        settings.setValue("COMSele", comButton->isChecked());
        portCombo->setEnabled(true);
    }
    settings.endGroup();
}

void InitDialog::accept()
{
    lastSensor = sensorCombo->currentIndex();
    lastPort = portCombo->currentIndex();
    QSettings settings = platform::kwSettings();
    settings.beginGroup("sensor");
    settings.setValue("lastsensor", lastSensor);
    // A port list without a current entry stores nothing rather than an index no port has.
    if (lastPort >= 0)
        settings.setValue("lastport", lastPort);
    settings.endGroup();
    settings.beginGroup("PortSelect");
    settings.setValue("USBSele", usbButton->isChecked());
    settings.setValue("COMSele", comButton->isChecked());
    settings.endGroup();
    QDialog::accept();
}
