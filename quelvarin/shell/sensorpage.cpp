#include "shell/sensorpage.h"

#include "platform/settings.h"
#include "sensors/sensor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char kGroupStyle[] = "QGroupBox {border: 2px solid #505050; margin-top: 2ex;} "
                           "QGroupBox::title {subcontrol-origin: margin; padding: 0 3px;} ";
const char kEditStyle[] = "QLineEdit {border: 2px solid gray;}";
constexpr int kPortCount = 9;
// The Spyder 4/5 driver takes the monitor choices through these slots.
const char kGammutSlot[] = "setGammut(int)";
const char kBacklightSlot[] = "setBackLight(int)";

SensorPage::CalibrationOpener& calibrationOpener()
{
    static SensorPage::CalibrationOpener opener;
    return opener;
}

} // namespace

bool SensorPage::isSpyder4(const CSensor* sensor)
{
    // By what the driver is (its own slots for the monitor choices and the Spyder 4's name), not
    // by a type number that may name another driver.
    return sensor && sensor->metaObject()->indexOfSlot(kGammutSlot) >= 0
           && sensor->metaObject()->indexOfSlot(kBacklightSlot) >= 0
           && sensor->name == sensorModelName(SensorModel::Spyder4);
}

void SensorPage::setCalibrationOpener(CalibrationOpener opener)
{
    calibrationOpener() = std::move(opener);
}

SensorPage::SensorPage(Measure* measure, CSensor* sensor, int type, QWidget* parent)
    : QWidget(parent)
    , sensor(sensor)
    , measure(measure)
{
    // The recorded type may name another instrument than the one attached (a loaded profile
    // sets it); it only says what the operator last chose and decides nothing here.
    Q_UNUSED(type);

    auto* featureBox = new QGroupBox(tr("Sensor Features:"), this);
    featureBox->setStyleSheet(kGroupStyle);
    auto* grid = new QGridLayout(featureBox);
    snEdit = new QLineEdit(featureBox);
    snEdit->setReadOnly(true);
    snEdit->setStyleSheet(kEditStyle);
    portCombo = new QComboBox(featureBox);
    for (int i = 1; i <= kPortCount; ++i)
        portCombo->addItem(QStringLiteral("COM%1").arg(i));
    portCombo->setCurrentIndex(0);
    grid->addWidget(new QLabel(tr("SN :"), featureBox), 0, 0);
    grid->addWidget(snEdit, 0, 1, 1, 3);
    grid->addWidget(new QLabel(tr("Port :"), featureBox), 2, 0);
    grid->addWidget(portCombo, 2, 1, 1, 3);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(20, 20, 20, 20);
    page->addWidget(featureBox);

    if (isSpyder4(sensor)) {
        {
            QSettings settings = platform::kwSettings();
            settings.beginGroup("gammut");
            gammutNum = settings.value("gammutNum", 0).toInt();
            backlightNum = settings.value("backlightNum", 0).toInt();
            settings.endGroup();
        }
        auto* monitorBox = new QGroupBox(tr("Monitor Features:"), this);
        monitorBox->setStyleSheet(kGroupStyle);
        auto* monitorGrid = new QGridLayout(monitorBox);
        gammutCombo = new QComboBox(monitorBox);
        gammutCombo->addItems({tr("Default"), tr("Normal Gammut"), tr("Wide Gammut")});
        backlightCombo = new QComboBox(monitorBox);
        backlightCombo->addItems(
            {tr("Default"), tr("WLED"), tr("CCFL"), tr("RGBLED"), tr("CUSTOM")});
        gammutCombo->setCurrentIndex(gammutNum);
        backlightCombo->setCurrentIndex(backlightNum);
        monitorGrid->addWidget(new QLabel(tr("Color Gammut:"), monitorBox), 0, 0);
        monitorGrid->addWidget(gammutCombo, 0, 1, 1, 3);
        monitorGrid->addWidget(new QLabel(tr("Backlight :"), monitorBox), 2, 0);
        monitorGrid->addWidget(backlightCombo, 2, 1, 1, 3);
        page->addSpacing(20);
        page->addWidget(monitorBox);
        page->addSpacing(20);

        // Filled and selected above, connected only now: building the page sends nothing.
        connect(gammutCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), sensor,
                [sensor](int m) {
                    QMetaObject::invokeMethod(sensor, "setGammut", Qt::DirectConnection,
                                              Q_ARG(int, m));
                });
        connect(backlightCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), sensor,
                [sensor](int n) {
                    QMetaObject::invokeMethod(sensor, "setBackLight", Qt::DirectConnection,
                                              Q_ARG(int, n));
                });
    }

    auto* calibrate = new QPushButton(tr("Calibrate"));
    calibrate->setEnabled(bool(calibrationOpener()));
    connect(calibrate, &QPushButton::clicked, this, &SensorPage::doCalibrate);
    auto* calibrateRow = new QHBoxLayout;
    calibrateRow->addStretch();
    calibrateRow->addWidget(calibrate);
    page->addLayout(calibrateRow);
}

void SensorPage::LoadReference()
{
    snEdit->setText(sensor->serialNumber);
    if (sensor->caps & SensorCaps::SerialPort)
        portCombo->setCurrentIndex(CSensor::lastPort());
    else
        portCombo->setEnabled(false);
}

void SensorPage::SaveReference()
{
    // A stored port the list does not hold leaves it without a current entry; that is no port
    // to store.
    if (sensor && portCombo->currentIndex() >= 0)
        CSensor::setLastPort(portCombo->currentIndex());
}

void SensorPage::doCalibrate()
{
    if (calibrationOpener())
        calibrationOpener()(measure);
}
