#pragma once
// SynerJY: a CCD spectrometer detector behind its maker's automation server "JYCCD.JYMCD".
// The driver binds the first installed detector, lets the server initialise it in the
// background, sets up a full-vertical-binning acquisition once the server reports that the
// initialisation finished, and turns each acquired data array into a 380..780 nm spectrum by
// interpolating between the pixel wavelengths of the detector's dispersion polynomial. Its
// result is the spectrum; the colour it hands on is a fixed (1, 1, 1). No sensor model creates it.
//
// Life: init (server created, initialisation requested) -> event "Initialize", status 0 (chip
// read, acquisition set up) -> per patch startMeasure (acquisition started; the engine waits
// kAcquisitionMs) -> event "Update", status 100 (data array read) -> GetColor (spectrum filled)
// -> close.
//
// Threads: the server's events are handled on the thread that runs init (the GUI thread) while
// GetColor runs on the engine's worker, so the state they share sits behind one mutex.

#include "sensors/sensor.h"

#include <QMutex>
#include <QStringList>
#include <QVariantList>
#include <QVector>

namespace platform {
class AutomationObject;
struct DetectorEntry;
}

class SynerJY : public CSensor
{
    Q_OBJECT

public:
    static constexpr char kProgId[] = "JYCCD.JYMCD";
    // Pixel columns and data values that take part; more are ignored.
    static constexpr int kMaxColumns = 2048;
    // Characters the detector key scan offers for a key name (terminator included): a longer name
    // ends the scan.
    static constexpr int kKeyNameBuffer = 100;
    // The engine's wait between starting an acquisition and reading it.
    static constexpr int kAcquisitionMs = 1000;
    // Event statuses: initialisation finished; a data array is ready.
    static constexpr int kInitializedStatus = 0;
    static constexpr int kDataStatus = 100;
    // GetFirstGain/GetNextGain and the ADC twins end with a negative token; a server that never
    // ends is cut off after this many.
    static constexpr int kMaxEnumerated = 256;
    // Chip sides beyond this are taken as this (no detector comes near it).
    static constexpr int kMaxChipSide = 1 << 20;

    // Acquisition set-up sent once the detector is initialised.
    static constexpr int kOperatingMode = 1;
    static constexpr int kAccumulations = 1;
    static constexpr int kAcquisitionCount = 1;
    static constexpr int kUnitType = 3;
    static constexpr int kUnits = 13;
    static constexpr double kIntegrationTime = 300.0;
    static constexpr int kGain = 37;
    static constexpr int kAdc = 2;
    static constexpr int kAcquisitionFormat = 1;
    static constexpr int kAcquisitionCountFormat = 1;
    static constexpr int kArea = 1;

    // Factor of scaledColumn.
    static constexpr double kColumnScale = 0.0001;
    // The colour-matching functions of colourMatching: 380..780 nm in 5 nm steps.
    static constexpr int kCmfFirstNm = 380;
    static constexpr int kCmfLastNm = 780;
    static constexpr int kCmfStepNm = 5;

    struct ChipArea
    {
        int xStart = 0, xEnd = 0, yStart = 0, yEnd = 0, xBin = 0, yBin = 0;
    };

    explicit SynerJY(QObject* parent = nullptr);
    ~SynerJY() override;

    bool init() override;        // see ccdspectrometer.cpp; no message on failure
    void close() override;       // CloseCommunications, Uninitialize, release
    int startMeasure() override; // DoAcquisition(true); measureDelay := kAcquisitionMs
    void stopMeasure() override; // nothing
    CColor GetColor() override;  // (1, 1, 1) with a new spectrum, else nullColor

    // The keys of `entries` the scan accepts, in order: names beginning "CCD" or "ccd" that can
    // be opened; the scan ends at a name longer than the key name buffer.
    static QStringList detectorKeys(const QVector<platform::DetectorEntry>& entries);
    // Wavelength (nm) of pixel column p (1-based) by the detector's dispersion polynomial.
    static double columnWavelength(int p);
    // Counts at `wavelength` interpolated on the falling scale of `columns` pixel wavelengths;
    // -1 outside it (and with fewer than 2 columns).
    static double countAt(double wavelength, const int* counts, const double* wavelengths, int columns);

    // Helpers beside the acquisition; no reading uses them.
    // Sets every count of `background` to 0.
    void clearBackground();
    // A pixel column index times kColumnScale.
    static double scaledColumn(int column);
    // The CIE 1931 2° colour-matching functions at `wavelength` nm, 380..780 nm in 5 nm steps;
    // false, with the outputs untouched, at any other wavelength.
    static bool colourMatching(int wavelength, double* xbar, double* ybar, double* zbar);

    // Steps run by the server's events (public for the tests).
    void readDetectorInfo();
    // The wavelength of every column of the chip area, by the dispersion polynomial (at most
    // kMaxColumns columns).
    void computeWavelengths();
    void setupAcquisition();
    void readData(platform::AutomationObject* result);

    // Snapshots of the shared state.
    ChipArea chipArea() const;
    int columns() const;
    bool dataReady() const;
    bool readyForAcquisition() const;
    QVector<int> pixelCounts() const;       // kMaxColumns values
    QVector<double> pixelWavelengths() const; // columns() values

    platform::AutomationObject* device = nullptr; // owned; null until init and after close
    // Dark counts per pixel column; no reading subtracts them. Used on one thread only.
    int background[kMaxColumns] = {};

public slots:
    void ReceivedException(int code, const QString& source, const QString& desc, const QString& help);
    // A server event; arguments in the event's order (status first).
    void ReceivedSignal(const QString& name, const QVariantList& args);

private:
    // Calls `first`, then `next` while the returned token is not negative.
    void enumerate(const char* first, const char* next);

    mutable QMutex m_mutex;
    ChipArea m_area;
    int m_columns = 0;
    double m_wavelengths[kMaxColumns] = {};
    int m_counts[kMaxColumns] = {};
    bool m_dataReady = false;
    bool m_readyForAcquisition = false;
};
