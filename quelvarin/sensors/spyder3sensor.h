#pragma once
// Spyder3Sensor: the Spyder 3 colorimeter through its maker's library "Spyder3.dll", bound at run
// time by name (platform/runtimelibrary.h). X, Y, Z only. startMeasure takes a short probe
// reading that decides between the library's long and short reading; GetColor takes the reading
// (spyderlibrarysensor.h holds what it shares with the Spyder 4/5).
//
// Library calls (all results as stated; the others unchecked):
//   S3_Startup(record*) -> byte   1 = instrument opened; fills the record (serial at bytes 4..11)
//   S3_Shutdown()                 S3_SetLED(mode, level)
//   S3_GetXYZ(integration, int* X, int* Y, int* Z)    readings in thousandths
//   S3_ReadAmbientLightLevel, S3_WriteAmbientLightControlRegVal, S3_GetDetailedError: required
//   to be present, never called.

#include "sensors/spyderlibrarysensor.h"

class Spyder3Sensor : public SpyderLibrarySensor
{
    Q_OBJECT

public:
    explicit Spyder3Sensor(QObject* parent = nullptr);
    ~Spyder3Sensor() override;

    int startMeasure() override; // probe: 5000 (long) or 2000 (short); 0 when not connected

    // Binds the library and opens the instrument; the failure texts, shown modally.
    bool win32_init() override;

    static constexpr char kLibraryName[] = "Spyder3.dll";

private:
    void message(const QString& text) override;
    bool resolveOwnEntries() override;
    void forgetOwnEntries() override;

    using StartupFn = unsigned char (*)(void* record);
    struct Entries
    {
        StartupFn startup = nullptr;
        UnusedFn getDetailedError = nullptr;
    };
    // Resolved by init from the loaded library; cleared when it is unloaded.
    Entries entries;
};
