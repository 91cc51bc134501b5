#include "shell/sensorpage.h"

#include "platform/settings.h"
#include "sensors/crsensor.h"
#include "sensors/sensor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
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

    m_cr = qobject_cast<CRXXXCensor*>(sensor);
    if (m_cr)
        addCrRows(grid, featureBox);

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

void SensorPage::addCrRows(QGridLayout* grid, QWidget* box)
{
    syncModeCombo = new QComboBox(box);
    syncModeCombo->addItems(m_cr->syncModes);
    syncModeCombo->setCurrentIndex(m_cr->syncMode);
    // The driver has read the frequency only when the instrument is in the manual sync mode.
    freqEdit = new QLineEdit(box);
    freqEdit->setStyleSheet(kEditStyle);
    freqEdit->setReadOnly(true);
    if (m_cr->syncMode == kManualSyncMode) {
        freqEdit->setReadOnly(false);
        freqEdit->setText(QString::number(m_cr->syncFreq));
    }
    grid->addWidget(new QLabel(tr("Sync Mode:"), box), 3, 0, 1, 3);
    grid->addWidget(syncModeCombo, 3, 1, 1, 3);
    grid->addWidget(new QLabel(box), 4, 0);
    grid->addWidget(new QLabel(tr("Freq(Hz):"), box), 4, 1);
    grid->addWidget(freqEdit, 4, 2, 1, 2);

    // The model the instrument reported when it connected decides the further rows; another
    // name gets the sync rows alone.
    if (m_cr->name == QLatin1String(cr::kModelCR100)) {
        calibModeCombo = new QComboBox(box);
        calibModeCombo->addItems(m_cr->userCalibModes);
        calibModeCombo->setCurrentIndex(m_cr->userCalibMode);
        calibValueCombo = new QComboBox(box);
        fillCalibValues(m_cr->userCalibMode);
        grid->addWidget(new QLabel(tr("CalibMode:"), box), 5, 0);
        grid->addWidget(calibModeCombo, 5, 1, 1, 3);
        grid->addWidget(new QLabel(tr("CalibValue:"), box), 6, 0);
        grid->addWidget(calibValueCombo, 6, 1, 1, 3);
    } else if (m_cr->name == QLatin1String(cr::kModelCR250)) {
        speedCombo = new QComboBox(box);
        speedCombo->addItems(m_cr->speeds);
        speedCombo->setCurrentIndex(m_cr->speed);
        grid->addWidget(new QLabel(tr("Speed:"), box), 5, 0);
        grid->addWidget(speedCombo, 5, 1, 1, 3);
    }

    // Filled and selected above, connected only now: building the page sends nothing.
    connect(syncModeCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &SensorPage::doChgSyncMode);
    connect(freqEdit, &QLineEdit::textChanged, this, &SensorPage::doChgSyncFreq);
    if (calibModeCombo) {
        connect(calibModeCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &SensorPage::doChgCalibMode);
        connect(calibValueCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &SensorPage::doChgCalibValue);
    }
    if (speedCombo)
        connect(speedCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &SensorPage::doChgSpeedMode);
}

void SensorPage::fillCalibValues(int mode)
{
    // Emptying and refilling the list moves its selection through -1, 0 and the driver's
    // entry; none of that is the operator's choice, so none of it reaches the instrument.
    const QSignalBlocker quiet(calibValueCombo);
    calibValueCombo->clear();
    if (mode == kCalibMatrix) {
        calibValueCombo->addItems(m_cr->matrices);
        calibValueCombo->setCurrentIndex(m_cr->matrix);
    } else if (mode == kCalibMatch) {
        calibValueCombo->addItems(m_cr->matches);
        calibValueCombo->setCurrentIndex(m_cr->match);
    }
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

// The setters' results are not shown: a refused command leaves the driver's value as it was,
// while the list keeps the operator's choice. A list without a selection (-1) is no choice.

void SensorPage::doChgCalibMode(int i)
{
    if (!m_cr || !calibValueCombo || i < 0)
        return;
    m_cr->setUserCalibMode(i);
    switch (i) {
    case 0:
        fillCalibValues(i);
        break;
    case kCalibMatrix:
        // The instrument's current matrix goes with the mode.
        m_cr->setMatrix(m_cr->matrix);
        fillCalibValues(i);
        break;
    case kCalibMatch:
        m_cr->setMatch(m_cr->match);
        fillCalibValues(i);
        break;
    default:
        break;
    }
}

void SensorPage::doChgCalibValue(int index)
{
    if (!m_cr || index < 0)
        return;
    if (m_cr->userCalibMode == kCalibMatrix)
        m_cr->setMatrix(index);
    else if (m_cr->userCalibMode == kCalibMatch)
        m_cr->setMatch(index);
}

void SensorPage::doChgSyncMode(int index)
{
    if (!m_cr || index < 0)
        return;
    m_cr->setSyncMode(index);
    if (index == kManualSyncMode) {
        freqEdit->setReadOnly(false);
        // Empty or not a number is 0, which the driver clamps into the instrument's range.
        m_cr->setSyncFreq(freqEdit->text().toInt(nullptr, 10));
    } else {
        freqEdit->setReadOnly(true);
    }
}

void SensorPage::doChgSyncFreq(QString f)
{
    // Every keystroke is sent; the driver clamps the value into the instrument's range.
    if (m_cr)
        m_cr->setSyncFreq(f.toInt(nullptr, 10));
}

void SensorPage::doChgSpeedMode(int index)
{
    if (m_cr && index >= 0)
        m_cr->setSpeed(index);
}
