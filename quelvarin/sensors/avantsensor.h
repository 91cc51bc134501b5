#pragma once
// CAvantes: a USB spectrometer behind the library "AS5216.DLL", bound at run time by name
// (platform/runtimelibrary.h), so a missing library fails only this connection. It turns one
// scan into X, Y, Z itself (as5216spectrum.h). No entry of the sensor model table creates it; it
// keeps the base name. It does not fill `spectrum`.
//
// Library calls (int results unless said otherwise):
//   AVS_Init(port) -> >0 devices present        AVS_Done() -> 0
//   AVS_Devices() -> count                      AVS_DeviceList(bytes, int* needed, list*) -> listed
//   AVS_Activate(identity*) -> handle (1000 = invalid)   AVS_Deactivate(handle) -> low byte != 0 ok
//   AVS_AdcResolution(handle, 1) -> 0 ok        AVS_NumPixels(handle, u16*) -> 0 ok
//   AVS_Lambda(handle, double*) -> 0 ok         AVS_PrepareMeasure(handle, record*) -> 0 ok
//   AVS_DeviceConfig(handle, size, int* size, buffer*) -> 0 ok
//   AVS_Measure(handle, 0, scans) -> 0 ok       AVS_PollScan(handle) -> 1 scan ready
//   AVS_ScanData(handle, u32* time, double*) -> 0 ok   AVS_StopMeasure(handle) -> 0 ok

#include "sensors/sensor.h"

#include <QLibrary>

#include <vector>

class CAvantes : public CSensor
{
    Q_OBJECT

public:
    explicit CAvantes(QObject* parent = nullptr);
    ~CAvantes() override;

    bool init() override;
    void close() override;
    // Prepares and starts one scan: 1076 (and measureDelay 1076) on success, 0 on any failure.
    int startMeasure() override;
    void stopMeasure() override;
    // Waits (bounded) for the scan started by startMeasure and converts it; the null colour when
    // no scan was started, none arrived in time or it cannot be read.
    CColor GetColor() override;

    static constexpr char kLibraryName[] = "AS5216.DLL";
    // The library's invalid handle.
    static constexpr int kInvalidHandle = 1000;
    // How long GetColor waits for the scan beyond the engine's wait, and the pause between polls.
    static constexpr int kScanDeadlineMs = 10000;
    static constexpr int kPollIntervalMs = 1;
    // Tries of each step of close before it gives up, and the pause between tries.
    static constexpr int kCloseTries = 50;
    static constexpr int kCloseRetryMs = 10;

    QLibrary library;
    int deviceCount = 0;
    int pixelCount = 0;        // as used (capped); the library's own count may be larger
    double adcFactor = 1.0;
    int handle = kInvalidHandle;
    std::vector<double> wavelengths;

private:
    bool bind();
    void message(const QString& text);
    void release();

    using InitFn = int (*)(int port);
    using NoArgFn = int (*)();
    using DeviceListFn = int (*)(unsigned int size, unsigned int* needed, void* list);
    using ActivateFn = int (*)(void* identity);
    using HandleFn = int (*)(int handle);
    using AdcFn = int (*)(int handle, int enable);
    using NumPixelsFn = int (*)(int handle, unsigned short* pixels);
    using LambdaFn = int (*)(int handle, double* wavelengths);
    using PrepareFn = int (*)(int handle, void* record);
    using ConfigFn = int (*)(int handle, unsigned int size, unsigned int* needed, void* config);
    using MeasureFn = int (*)(int handle, void* window, int scans);
    using ScanDataFn = int (*)(int handle, unsigned int* timeLabel, double* spectrum);
    struct Entries
    {
        InitFn init = nullptr;
        NoArgFn done = nullptr;
        NoArgFn devices = nullptr;
        DeviceListFn deviceList = nullptr;
        ActivateFn activate = nullptr;
        HandleFn deactivate = nullptr;
        AdcFn adcResolution = nullptr;
        NumPixelsFn numPixels = nullptr;
        LambdaFn lambda = nullptr;
        PrepareFn prepare = nullptr;
        ConfigFn config = nullptr;
        MeasureFn measure = nullptr;
        HandleFn poll = nullptr;
        ScanDataFn scanData = nullptr;
        HandleFn stop = nullptr;
    };
    Entries entries;
    int libraryPixels = 0;           // what the library reported (its writes of wavelengths use it)
    std::vector<unsigned char> deviceList;
    std::vector<unsigned char> config;
    bool scanStarted = false;
};
