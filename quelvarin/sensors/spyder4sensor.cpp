#include "sensors/spyder4sensor.h"

#include "platform/guithread.h"
#include "platform/logging.h"
#include "platform/runtimelibrary.h"
#include "platform/settings.h"
#include "sensors/spyderprotocol.h"
#include "appcore/imessagebox.h"

#include <QDebug>
#include <QMutex>
#include <QMutexLocker>

#include <array>

namespace {

// The table read from the file, kept for the rest of the program run.
QMutex radianceMutex;
spyder::RadianceTable radianceTable{};

} // namespace

Spyder4Sensor::Spyder4Sensor(int model, QObject* parent)
    : SpyderLibrarySensor(parent)
{
    gammutNum = platform::readSetting("gammut", "gammutNum", 0).toInt();
    backlightNum = platform::readSetting("gammut", "backlightNum", 0).toInt();
    if (model == 0) {
        name = sensorModelName(SensorModel::Spyder4);
        m_deviceCode = spyder::kSpyder4DeviceCode;
    } else {
        name = sensorModelName(SensorModel::Spyder5);
        m_deviceCode = spyder::kSpyder5DeviceCode;
    }
}

Spyder4Sensor::~Spyder4Sensor() = default;

spyder::RadianceTable Spyder4Sensor::loadedRadianceTable()
{
    QMutexLocker lock(&radianceMutex);
    return radianceTable;
}

void Spyder4Sensor::resetRadianceTable()
{
    QMutexLocker lock(&radianceMutex);
    radianceTable = spyder::RadianceTable{};
}

void Spyder4Sensor::message(const QString& text)
{
    const QString title = name;
    if (platform::isGuiThread()) {
        IMessageBox::ask(title, text);
        return;
    }
    platform::postToGuiThread([title, text] { IMessageBox::ask(title, text); });
}

bool Spyder4Sensor::resolveOwnEntries()
{
    Entries e;
    const bool all = platform::resolveEntry(library, "DC_Startup", e.startup)
        & platform::resolveEntry(library, "DC_GetDetailedError", e.getDetailedError)
        & platform::resolveEntry(library, "DC_UseCalibration", e.useCalibration)
        & platform::resolveEntry(library, "DC_UseCustomCalibration", e.useCustomCalibration);
    entries = e;
    return all;
}

void Spyder4Sensor::forgetOwnEntries()
{
    entries = Entries();
}

bool Spyder4Sensor::win32_init()
{
    if (!bindLibrary(kLibraryName, "DC_", tr("Open dccmtr.dll failed"), tr("Error dll file")))
        return false;

    std::array<unsigned char, spyder::kStartupRecordSize> record{};
    if (entries.startup(record.data(), m_deviceCode) != 1) {
        unsigned char detail = 0;
        const unsigned int error = entries.getDetailedError(&detail);
        qCDebug(platform::sensorLog) << "err startup" << error << detail;
        message(tr("Open device failed"));
        return false;
    }
    serialNumber = spyder::serialFromStartupRecord(record.data(), record.size());
    qCDebug(platform::sensorLog).noquote() << QStringLiteral("SN = %1").arg(serialNumber);
    shared.setLed(spyder::kLedOnMode, spyder::kLedOnLevel);
    return true;
}

int Spyder4Sensor::useCustomTable(const spyder::RadianceTable& table)
{
    return entries.useCustomCalibration(spyder::kRadianceValueCount, table.data()) == 1 ? 1 : 0;
}

void Spyder4Sensor::tellRadianceErrorOnce(const QString& text)
{
    if (m_radianceErrorShown)
        return;
    m_radianceErrorShown = true;
    message(text);
}

int Spyder4Sensor::customCalibrate()
{
    if (!entries.useCustomCalibration)
        return 0;
    const spyder::RadianceTable cached = loadedRadianceTable();
    if (cached[0] != 0)
        return useCustomTable(cached);

    const spyder::RadianceFileResult read = spyder::readRadianceFile(QString::fromLatin1(spyder::kRadianceFileName));
    switch (read.status) {
    case spyder::RadianceFileResult::Ok: {
        {
            QMutexLocker lock(&radianceMutex);
            radianceTable = read.values;
        }
        qCDebug(platform::sensorLog) << "radiance file parse finish";
        return useCustomTable(read.values);
    }
    case spyder::RadianceFileResult::Unreadable:
        qCDebug(platform::sensorLog).noquote() << read.error;
        tellRadianceErrorOnce(QStringLiteral("radiance file read error!"));
        break;
    case spyder::RadianceFileResult::WrongFieldCount:
        qCDebug(platform::sensorLog).noquote() << read.error;
        break;
    case spyder::RadianceFileResult::BadField:
        qCDebug(platform::sensorLog).noquote() << read.error;
        tellRadianceErrorOnce(QStringLiteral("radiance file parse error!"));
        break;
    }
    return useCustomTable(spyder::defaultRadianceTable);
}

int Spyder4Sensor::startMeasure()
{
    if (!connected || !entries.useCalibration || !shared.getXyz)
        return 0;
    // Read once: the options page may change the choice meanwhile.
    const int gamut = gammutNum;
    const int backlight = backlightNum;
    int accepted;
    if (backlight == spyder::BacklightCustom)
        accepted = customCalibrate();
    else
        accepted = entries.useCalibration(spyder::calibrationNumber(gamut, backlight)) == 1 ? 1 : 0;
    if (accepted != 1) {
        message(tr("Calibration failed, will use default settings."));
        return 0;
    }
    return probe(spyder::kSpyder4ProbeIntegration);
}

void Spyder4Sensor::setGammut(int m)
{
    gammutNum = m;
}

void Spyder4Sensor::setBackLight(int n)
{
    qCDebug(platform::sensorLog) << "spyder4 set BackLight" << n;
    backlightNum = n;
}
