#pragma once
// Spyder3Sensor: the Spyder 3 colorimeter through its maker's library "Spyder3.dll", bound at run
// time by name (platform/runtimelibrary.h). X, Y, Z only. startMeasure takes a short probe
// reading that decides between the library's long and short reading; GetColor takes the reading.
//
// Library calls (all results as stated; the others unchecked):
//   S3_Startup(record*) -> byte   1 = instrument opened; fills the record (serial at bytes 4..11)
//   S3_Shutdown()                 S3_SetLED(mode, level)
//   S3_GetXYZ(integration, int* X, int* Y, int* Z)    readings in thousandths
//   S3_ReadAmbientLightLevel, S3_WriteAmbientLightControlRegVal, S3_GetDetailedError: required
//   to be present, never called.

#include "sensors/sensor.h"

#include <QLibrary>

class Spyder3Sensor : public CSensor
{
    Q_OBJECT

public:
    explicit Spyder3Sensor(QObject* parent = nullptr);
    ~Spyder3Sensor() override;

    bool init() override;        // win32_init(); sets connected
    void close() override;       // shutdown(), then the base close
    int startMeasure() override; // probe: 5000 (long) or 2000 (short); 0 when not connected
    void stopMeasure() override; // nothing to stop
    CColor GetColor() override;  // correctColor(readXYZ()); the null colour when not connected

    // Binds the library and opens the instrument; the failure texts below, shown modally.
    bool win32_init();
    // One reading in the mode the last probe chose.
    CColor readXYZ();
    // LED off and instrument shut down, then the library unloaded; nothing when not loaded.
    void shutdown();

    static constexpr char kLibraryName[] = "Spyder3.dll";

    bool longMeasurement = false; // chosen by the last probe
    QLibrary library;             // the vendor library

private:
    void message(const QString& text);

    using StartupFn = unsigned char (*)(void* record);
    using VoidFn = void (*)();
    using SetLedFn = void (*)(int mode, int level);
    using GetXyzFn = void (*)(int integration, int* x, int* y, int* z);
    using UnusedFn = void (*)();
    struct Entries
    {
        StartupFn startup = nullptr;
        VoidFn shutdown = nullptr;
        SetLedFn setLed = nullptr;
        UnusedFn readAmbientLightLevel = nullptr;
        UnusedFn writeAmbientLightControl = nullptr;
        GetXyzFn getXyz = nullptr;
        UnusedFn getDetailedError = nullptr;
    };
    // Resolved by init from the loaded library; cleared when it is unloaded.
    Entries entries;
};
