#pragma once
// SpyderLibrarySensor: what the Spyder 3 (spyder3sensor.h) and Spyder 4/5 (spyder4sensor.h)
// drivers share over their maker's library, whose entry points differ only in their prefix
// ("S3_", "DC_") apart from the start-up and what the Spyder 4/5 adds: binding the library, the
// probe that chooses the long or short reading, the reading itself and the shut-down.
//
// Shared library calls (under the driver's prefix):
//   Shutdown()   SetLED(mode, level)   GetXYZ(integration, int* X, int* Y, int* Z)
//   ReadAmbientLightLevel, WriteAmbientLightControlRegVal: required to be present, never called.

#include "sensors/sensor.h"

#include <QLibrary>

class SpyderLibrarySensor : public CSensor
{
    Q_OBJECT

public:
    ~SpyderLibrarySensor() override;

    bool init() override;        // win32_init(); sets connected
    void close() override;       // shutdown(), then the base close
    void stopMeasure() override; // nothing to stop
    CColor GetColor() override;  // correctColor(readXYZ()); the null colour when not connected

    // Binds the library and opens the instrument; the driver's failure texts, shown as it shows
    // its messages.
    virtual bool win32_init() = 0;
    // One reading in the mode the last probe chose; the null colour when not connected.
    CColor readXYZ();
    // LED off and instrument shut down, then the library unloaded; nothing when not loaded.
    void shutdown();

    bool longMeasurement = false; // chosen by the last probe
    QLibrary library;             // the vendor library

protected:
    explicit SpyderLibrarySensor(QObject* parent);

    using VoidFn = void (*)();
    using SetLedFn = void (*)(int mode, int level);
    using GetXyzFn = void (*)(int integration, int* x, int* y, int* z);
    using UnusedFn = void (*)();
    struct SharedEntries
    {
        VoidFn shutdown = nullptr;
        SetLedFn setLed = nullptr;
        UnusedFn readAmbientLightLevel = nullptr;
        UnusedFn writeAmbientLightControl = nullptr;
        GetXyzFn getXyz = nullptr;
    };

    // Loads `fileName` unless loaded, then resolves the shared entry points under `prefix` and the
    // driver's own (resolveOwnEntries). What was found is kept, so close still shuts down what can
    // be shut down. On failure tells `loadFailure` or `entryFailure` and answers false.
    bool bindLibrary(const char* fileName, const char* prefix, const QString& loadFailure,
                     const QString& entryFailure);
    // The probe reading at `integration`: sets longMeasurement and answers 5000 (long) or 2000
    // (short). The caller has checked that the driver is connected and GetXYZ present.
    int probe(int integration);

    virtual void message(const QString& text) = 0;
    // Resolves the driver's own entry points; true when all were found.
    virtual bool resolveOwnEntries() = 0;
    // Forgets the driver's own entry points when the library is unloaded.
    virtual void forgetOwnEntries() = 0;

    // Resolved by bindLibrary from the loaded library; cleared when it is unloaded.
    SharedEntries shared;
};
