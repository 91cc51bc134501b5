#include "sensors/spyder3sensor.h"

#include "platform/runtimelibrary.h"
#include "sensors/spyderprotocol.h"
#include "appcore/imessagebox.h"

#include <QDebug>

#include <array>

Spyder3Sensor::Spyder3Sensor(QObject* parent)
    : CSensor(parent)
{
    name = sensorModelName(SensorModel::Spyder3);
    caps |= SensorCaps::DirectLink;
}

// The library stays as the last close left it: the owner closes a connected driver first.
Spyder3Sensor::~Spyder3Sensor() = default;

bool Spyder3Sensor::init()
{
    connected = win32_init();
    return connected;
}

void Spyder3Sensor::message(const QString& text)
{
    IMessageBox::ask(name, text);
}

bool Spyder3Sensor::win32_init()
{
    if (!library.isLoaded() && !platform::loadLibrary(library, QString::fromLatin1(kLibraryName))) {
        message(tr("Open spyder3.dll failed"));
        return false;
    }
    Entries e;
    const bool all = platform::resolveEntry(library, "S3_Startup", e.startup)
        & platform::resolveEntry(library, "S3_Shutdown", e.shutdown)
        & platform::resolveEntry(library, "S3_SetLED", e.setLed)
        & platform::resolveEntry(library, "S3_ReadAmbientLightLevel", e.readAmbientLightLevel)
        & platform::resolveEntry(library, "S3_WriteAmbientLightControlRegVal", e.writeAmbientLightControl)
        & platform::resolveEntry(library, "S3_GetXYZ", e.getXyz)
        & platform::resolveEntry(library, "S3_GetDetailedError", e.getDetailedError);
    // What was found is kept, so close still shuts down what can be shut down.
    entries = e;
    if (!all) {
        message(tr("Error dll file"));
        return false;
    }

    std::array<unsigned char, spyder::kStartupRecordSize> record{};
    if (entries.startup(record.data()) != 1) {
        message(tr("Open device failed"));
        return false;
    }
    entries.setLed(spyder::kLedOnMode, spyder::kLedOnLevel);
    serialNumber = spyder::serialFromStartupRecord(record.data(), record.size());
    return true;
}

int Spyder3Sensor::startMeasure()
{
    if (!connected || !entries.getXyz)
        return 0;
    int x = 0, y = 0, z = 0;
    entries.getXyz(spyder::kSpyder3ProbeIntegration, &x, &y, &z);
    longMeasurement = spyder::isDimProbe(y);
    return longMeasurement ? spyder::kLongMeasurementResult : spyder::kShortMeasurementResult;
}

void Spyder3Sensor::stopMeasure()
{
}

CColor Spyder3Sensor::readXYZ()
{
    if (!connected || !entries.getXyz)
        return CColor(nullColor);
    int x = 0, y = 0, z = 0;
    entries.getXyz(longMeasurement ? spyder::kLongIntegration : spyder::kShortIntegration, &x, &y, &z);
    return spyder::colorFromCounts(x, y, z);
}

CColor Spyder3Sensor::GetColor()
{
    if (!connected)
        return CColor(nullColor);
    return correctColor(readXYZ());
}

void Spyder3Sensor::close()
{
    shutdown();
    CSensor::close();
}

void Spyder3Sensor::shutdown()
{
    if (!library.isLoaded())
        return;
    if (entries.setLed)
        entries.setLed(0, 0);
    if (entries.shutdown)
        entries.shutdown();
    entries = Entries();
    library.unload();
}
