#pragma once
// Spyder4Sensor: the Spyder 4 and Spyder 5 colorimeters through their maker's library
// "dccmtr.dll", bound at run time by name (platform/runtimelibrary.h). The same binding, start-up,
// probe and reading as the Spyder 3 (spyderlibrarysensor.h) with the DC_ entry points, plus a device
// code chosen by the model and a calibration chosen from the gamut and backlight settings
// before every measurement (the custom one from "spyder4rad.csv", spyder4radiance.h).
//
// Library calls:
//   DC_Startup(record*, deviceCode) -> byte     1 = opened; serial at bytes 4..11 of the record
//   DC_Shutdown()   DC_SetLED(mode, level)   DC_GetXYZ(integration, int* X, int* Y, int* Z)
//   DC_GetDetailedError(byte*) -> unsigned      logged when the start-up fails
//   DC_UseCalibration(number) -> byte           1 = accepted
//   DC_UseCustomCalibration(41, uint32[41]) -> byte   1 = accepted
//   DC_ReadAmbientLightLevel, DC_WriteAmbientLightControlRegVal: required, never called.
//
// Threads: startMeasure runs on the measurement thread. Its messages are handed to the GUI thread
// without waiting for them, so a run never stalls on a box.

#include "sensors/spyderlibrarysensor.h"
#include "sensors/spyder4radiance.h"

#include <atomic>
#include <cstdint>

class Spyder4Sensor : public SpyderLibrarySensor
{
    Q_OBJECT

public:
    // `model` 0 is the Spyder 4, any other the Spyder 5. Reads gammut/gammutNum and
    // gammut/backlightNum.
    explicit Spyder4Sensor(int model, QObject* parent = nullptr);
    ~Spyder4Sensor() override;

    // Applies the calibration, then the probe: 5000 (long) or 2000 (short); 0 when the library
    // refused the calibration (no probe) or the driver is not connected.
    int startMeasure() override;

    bool win32_init() override;
    // Hands the custom table to the library: the one read from "spyder4rad.csv" once per program
    // run, else the default table. 1 when the library accepted it, else 0.
    int customCalibrate();

    // The device code this driver opens with (0x400 or 0x500).
    int deviceCode() const { return m_deviceCode; }
    // The radiance table read from the file, shared by every driver of the program; it counts as
    // loaded once its first value is non-zero. Tests reset it.
    static spyder::RadianceTable loadedRadianceTable();
    static void resetRadianceTable();

    static constexpr char kLibraryName[] = "dccmtr.dll";

    std::atomic<int> gammutNum{0};   // written by the options page (GUI thread)
    std::atomic<int> backlightNum{0};

public slots:
    void setGammut(int m);
    void setBackLight(int n);

private:
    // A message of init (GUI thread, modal) or of startMeasure (handed over, not awaited).
    void message(const QString& text) override;
    bool resolveOwnEntries() override;
    void forgetOwnEntries() override;
    int useCustomTable(const spyder::RadianceTable& table);
    // The first problem with the radiance file told by this driver; later ones are only logged.
    void tellRadianceErrorOnce(const QString& text);

    using StartupFn = unsigned char (*)(void* record, int deviceCode);
    using DetailedErrorFn = unsigned int (*)(unsigned char* detail);
    using UseCalibrationFn = unsigned char (*)(int number);
    using UseCustomCalibrationFn = unsigned char (*)(int count, const std::uint32_t* values);
    struct Entries
    {
        StartupFn startup = nullptr;
        DetailedErrorFn getDetailedError = nullptr;
        UseCalibrationFn useCalibration = nullptr;
        UseCustomCalibrationFn useCustomCalibration = nullptr;
    };
    Entries entries;
    int m_deviceCode;
    // Each file problem is told once per driver, not at every patch.
    bool m_radianceErrorShown = false;
};
