#include "sensors/spyder3sensor.h"

#include "platform/runtimelibrary.h"
#include "sensors/spyderprotocol.h"
#include "appcore/imessagebox.h"

#include <array>

Spyder3Sensor::Spyder3Sensor(QObject* parent)
    : SpyderLibrarySensor(parent)
{
    name = sensorModelName(SensorModel::Spyder3);
}

Spyder3Sensor::~Spyder3Sensor() = default;

void Spyder3Sensor::message(const QString& text)
{
    IMessageBox::ask(name, text);
}

bool Spyder3Sensor::resolveOwnEntries()
{
    Entries e;
    const bool all = platform::resolveEntry(library, "S3_Startup", e.startup)
        & platform::resolveEntry(library, "S3_GetDetailedError", e.getDetailedError);
    entries = e;
    return all;
}

void Spyder3Sensor::forgetOwnEntries()
{
    entries = Entries();
}

bool Spyder3Sensor::win32_init()
{
    if (!bindLibrary(kLibraryName, "S3_", tr("Open spyder3.dll failed"), tr("Error dll file")))
        return false;

    std::array<unsigned char, spyder::kStartupRecordSize> record{};
    if (entries.startup(record.data()) != 1) {
        message(tr("Open device failed"));
        return false;
    }
    shared.setLed(spyder::kLedOnMode, spyder::kLedOnLevel);
    serialNumber = spyder::serialFromStartupRecord(record.data(), record.size());
    return true;
}

int Spyder3Sensor::startMeasure()
{
    if (!connected || !shared.getXyz)
        return 0;
    return probe(spyder::kSpyder3ProbeIntegration);
}
