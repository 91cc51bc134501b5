#pragma once
// CA210Sensor: the CA-210/CA-310 colorimeter over USB, through its maker's automation server
// "CA200Srvr.Ca200". The server hands out the single-instrument object, whose probe reports
// X, Y, Z. No spectrum.
//
// Calls, in order (objects: server, singleCa = server.SingleCa(), probe = singleCa.SingleProbe(),
// memory = singleCa.Memory()):
//   init     server.AutoConnect(); wait 1 s for an exception; SingleCa(); singleCa.SetSyncMode(3.0);
//            AveragingMode := 2; DisplayMode := 0; CalStandard := 1; SingleProbe(); Memory();
//            probe.SerialNO -> serialNumber
//   reading  singleCa.Measure(); probe.X, probe.Y, probe.Z (GetColor reads twice, keeps the second)
//   close    singleCa.RemoteMode := 0; the objects are released; wait 1 s
//
// An exception the server reports at any time is logged and marks the driver for good: a driver
// that has seen one never connects again. A reading during which the server reports an exception,
// or whose X, Y or Z is missing, is the null colour.

#include "sensors/sensor.h"

#include <atomic>

namespace platform {
class AutomationObject;
}

class CA210Sensor : public CSensor
{
    Q_OBJECT

public:
    static constexpr char kProgId[] = "CA200Srvr.Ca200";
    // Time the server gets to report an exception after AutoConnect, and to settle after close.
    static constexpr int kSettleMs = 1000;
    // Instrument set-up values written by init.
    static constexpr double kSyncMode = 3.0;
    static constexpr int kAveragingMode = 2;
    static constexpr int kDisplayMode = 0;
    static constexpr int kCalStandard = 1;
    // RemoteMode written by close: the instrument's own keys work again.
    static constexpr int kRemoteOff = 0;

    explicit CA210Sensor(QObject* parent = nullptr);
    ~CA210Sensor() override;

    bool init() override;
    void close() override;
    int startMeasure() override; // nothing to start; measureDelay stays
    void stopMeasure() override; // nothing
    CColor GetColor() override;  // two readings, the second corrected

    // One reading: Measure() and the probe's X, Y, Z; nullColor when it failed.
    CColor readXYZ();

    platform::AutomationObject* server = nullptr;
    platform::AutomationObject* singleCa = nullptr;
    platform::AutomationObject* probe = nullptr;
    platform::AutomationObject* memory = nullptr;
    // Set by the first exception the server reports; never cleared.
    std::atomic<bool> exceptionRaised{false};

public slots:
    // Connected directly to the server's exception signal, so it runs on the thread of the
    // failing call (the engine's worker during a reading): logs and marks the driver.
    void ReceivedException(int code, const QString& source, const QString& desc, const QString& help);

private:
    void listenForExceptions(platform::AutomationObject* object);
    void releaseObjects();

    // Exceptions seen so far; a reading compares it before and after.
    std::atomic<int> m_exceptions{0};
};
