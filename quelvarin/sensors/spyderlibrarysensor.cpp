#include "sensors/spyderlibrarysensor.h"

#include "platform/runtimelibrary.h"
#include "sensors/spyderprotocol.h"

#include <QByteArray>

SpyderLibrarySensor::SpyderLibrarySensor(QObject* parent)
    : CSensor(parent)
{
    caps |= SensorCaps::DirectLink;
}

// The library stays as the last close left it: the owner closes a connected driver first.
SpyderLibrarySensor::~SpyderLibrarySensor() = default;

bool SpyderLibrarySensor::init()
{
    connected = win32_init();
    return connected;
}

bool SpyderLibrarySensor::bindLibrary(const char* fileName, const char* prefix, const QString& loadFailure,
                                      const QString& entryFailure)
{
    if (!library.isLoaded() && !platform::loadLibrary(library, QString::fromLatin1(fileName))) {
        message(loadFailure);
        return false;
    }
    const QByteArray p(prefix);
    SharedEntries e;
    bool all = platform::resolveEntry(library, (p + "Shutdown").constData(), e.shutdown)
        & platform::resolveEntry(library, (p + "SetLED").constData(), e.setLed)
        & platform::resolveEntry(library, (p + "ReadAmbientLightLevel").constData(), e.readAmbientLightLevel)
        & platform::resolveEntry(library, (p + "WriteAmbientLightControlRegVal").constData(),
                                 e.writeAmbientLightControl)
        & platform::resolveEntry(library, (p + "GetXYZ").constData(), e.getXyz);
    shared = e;
    all = resolveOwnEntries() && all;
    if (!all) {
        message(entryFailure);
        return false;
    }
    return true;
}

int SpyderLibrarySensor::probe(int integration)
{
    int x = 0, y = 0, z = 0;
    shared.getXyz(integration, &x, &y, &z);
    longMeasurement = spyder::isDimProbe(y);
    return longMeasurement ? spyder::kLongMeasurementResult : spyder::kShortMeasurementResult;
}

void SpyderLibrarySensor::stopMeasure()
{
}

CColor SpyderLibrarySensor::readXYZ()
{
    if (!connected || !shared.getXyz)
        return CColor(nullColor);
    int x = 0, y = 0, z = 0;
    shared.getXyz(longMeasurement ? spyder::kLongIntegration : spyder::kShortIntegration, &x, &y, &z);
    return spyder::colorFromCounts(x, y, z);
}

CColor SpyderLibrarySensor::GetColor()
{
    if (!connected)
        return CColor(nullColor);
    return correctColor(readXYZ());
}

void SpyderLibrarySensor::close()
{
    shutdown();
    CSensor::close();
}

void SpyderLibrarySensor::shutdown()
{
    if (!library.isLoaded())
        return;
    if (shared.setLed)
        shared.setLed(0, 0);
    if (shared.shutdown)
        shared.shutdown();
    shared = SharedEntries();
    forgetOwnEntries();
    library.unload();
}
