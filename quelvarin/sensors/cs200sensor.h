#pragma once
// CS200Sensor: the CS-200 colour meter over USB through its maker's library "kmsecs200.dll",
// bound at run time by name (platform/runtimelibrary.h). The protocol (commands and replies) is
// cs200protocol.h; this class sends the commands through the library:
//   int_usb(dev) -> int 0 = connected      end_usb(dev)
//   write64_usb(dev, bytes*, 1, count)     read64_usb(dev, buffer*, 1, 250)
// X, Y, Z only. startMeasure starts the measurement and sets measureDelay from the measuring
// time the meter announces; GetColor asks for the result until it is ready (bounded).

#include "sensors/sensor.h"

#include <QByteArray>
#include <QLibrary>

class CS200Sensor : public CSensor
{
    Q_OBJECT

public:
    explicit CS200Sensor(QObject* parent = nullptr);
    ~CS200Sensor() override;

    bool init() override;
    void close() override;
    int startMeasure() override; // measureDelay := requestMeasurement(); returns it
    void stopMeasure() override; // MES,0; nothing checked
    CColor GetColor() override;  // correctColor(readXYZ())

    bool win32_init();
    // MES,1: the engine's wait in ms (0 when the meter did not accept).
    int requestMeasurement();
    // MDR,3 until ready: the colour, 0,0,0 for ER21, the null colour for anything else or when
    // the meter stays not ready past the deadline.
    CColor readXYZ();
    // RMT,0, link closed, library unloaded; nothing when the library is not loaded.
    void shutdown();

    static constexpr char kLibraryName[] = "kmsecs200.dll";

    QLibrary library;

private:
    // Sends `command` and returns the reply text (empty when the library wrote nothing).
    QByteArray exchange(const char* command);
    void message(const QString& text);

    using OpenFn = int (*)(int device);
    using CloseFn = void (*)(int device);
    using WriteFn = void (*)(int device, const char* bytes, int mode, int count);
    using ReadFn = void (*)(int device, char* buffer, int mode, int size);
    struct Entries
    {
        OpenFn open = nullptr;
        CloseFn close = nullptr;
        WriteFn write = nullptr;
        ReadFn read = nullptr;
        bool complete() const { return open && close && write && read; }
    };
    Entries entries;
};
