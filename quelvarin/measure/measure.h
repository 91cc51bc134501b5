#pragma once
// The measurement engine. It owns the current instrument driver, keeps the result list of every
// measurement mode, and carries out one measurement run each time the worker thread
// (MeasureThread) starts it: each test colour goes to the signal adapter, the instrument is read,
// the result is stored and announced.
//
// Threads: the engine object lives on the GUI thread; only run() and what it calls execute on the
// worker. The result lists are appended on the worker while the views read them on the GUI thread,
// so they sit behind one mutex and readers get snapshot copies. The stop request is atomic.

#include "colour/color.h"
#include "colour/matrix.h"
#include "colour/spectrumdata.h"
#include "measure/sensorfactory.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>

class CalibrateMonitor;
class CSensor;
class SigAdapter;

// Measurement modes (the number also selects the result view and travels with each test colour).
enum MeasureMode : int {
    MeasureGray = 0,
    MeasureGamut = 1,
    MeasureSaturation = 2,
    MeasureColorScale = 3,
    MeasureColorChecker = 4,  // colour checker or EBU 3237, by measure/colortype
    MeasureFree = 5,
    MeasureCalibrate = 7,
};

class Measure : public QObject
{
    Q_OBJECT

public:
    // The result lists, for the generic accessors.
    enum ResultList {
        FreeResults,
        GamutResults,
        GrayResults,
        ColorCheckerResults,
        EbuResults,
        SaturationResults,
        ColorScaleResults,
    };

    explicit Measure(QObject* parent = nullptr);
    ~Measure() override;

    // One measurement run of mode(); true only when a sequence of modes 0..4 measured all its
    // patches. Called by MeasureThread::run on the worker thread.
    bool run();
    // One reading of the current driver: startMeasure, wait its measureDelay, GetColor. The null
    // colour when no driver is held.
    CColor measureOnce();

    // Whether a run closes the pattern output at its end ("Measure ALL" clears it between modes).
    static void setClosePatternAfterRun(bool close);
    static bool closePatternAfterRun();

    // The readings the latest run of modes 0..4 took, and how many of them gave a colour (a
    // failed reading is the null colour). Read once the run has ended.
    struct RunReadings
    {
        int taken = 0;
        int good = 0;
    };
    RunReadings lastRunReadings() const { return {m_readingsTaken.load(), m_readingsGood.load()}; }

    // The sequences (worker thread, called by run()).
    bool measureGray();
    bool measureGamut();
    bool measureSaturation();
    bool measureColorScale();
    bool measureColorChecker();
    bool measureEbu3237();
    bool measureFree();

    // Monitor calibration (calibrationdrivers.cpp): the run of mode 7, its two measurement
    // drivers (true when every patch was measured, false when stopped or the instrument was
    // lost), the one-dimensional passes and the colour-difference self-test, which nothing in
    // the program starts.
    bool measureCalibrateFast(CalibrateMonitor* calibrator);
    bool measureCalibrate3D(CalibrateMonitor* calibrator);
    bool measureCalibrate1D(CalibrateMonitor* calibrator, int standard);
    bool measureCalibrateCCT(CalibrateMonitor* calibrator, int standard);
    void testCIE2000();

    // List statistics.
    double grayLuminanceRatio() const;
    static int averageCct(const QList<CColor>& list);
    static double averageGamma(const QList<CColor>& list);
    static int stepToCode(int step, int steps);

    // Driver life cycle (GUI thread). Each call is one operation on the instrument: it is refused
    // (false, nothing changes, a warning in the log) while another operation or a run holds the
    // driver, since a driver's connect and close wait while handling events and a command that
    // arrives meanwhile must not replace or free the driver under them. A replaced or detached
    // driver is taken out of the engine before it is closed and deleted after.
    bool openSensor(int type);
    void createSensor(int type);
    bool initSensor();
    bool attachSimulator();
    bool detachSensor();
    void closeSensor();

    // While one lives, the instrument belongs to the caller's operation (GUI thread): the life
    // cycle calls above and the start of a run are refused. Taken by each life cycle call and by
    // commands made of several steps on the driver (the sensor calibration dialog). Not taken
    // (false) when another operation or a run holds the instrument.
    class SensorOperation
    {
    public:
        explicit SensorOperation(Measure& engine);
        ~SensorOperation();
        SensorOperation(const SensorOperation&) = delete;
        SensorOperation& operator=(const SensorOperation&) = delete;
        explicit operator bool() const { return m_engine != nullptr; }

    private:
        Measure* m_engine = nullptr;
    };
    // An operation on the instrument is under way (GUI thread).
    bool sensorOperationUnderWay() const { return m_sensorOperations > 0; }
    // A run holds the driver from beginRun() until endRun(), from any thread.
    bool runHoldsSensor() const { return m_runHoldsSensor.load(); }
    // Called by the worker thread's owner before it starts a run (GUI thread): false, and the run
    // must not start, while an operation holds the instrument or a run still holds it.
    bool beginRun();
    // Called once the run has returned and no longer touches the driver (any thread).
    void endRun();

    // Sensor profiles (GUI thread, a driver held). saveProfile writes the held driver's type,
    // serial number and correction; false with *error when the file cannot be written.
    // loadProfile installs a profile's correction when it belongs to the held driver, and tells
    // the operator what kept it from doing so (a file that is damaged anywhere changes nothing).
    bool saveProfile(const QString& path, QString* error = nullptr);
    bool loadProfile(const QString& path);

    // Every result as one tab-separated text (clipboardtext.cpp), from snapshots of the lists.
    QString resultsText() const;

    // State read and written by the main window, the dialogs and the profile.
    int mode() const { return m_mode; }
    void setMode(int mode) { m_mode = mode; }
    CSensor* sensor() const { return m_sensor; }
    SigAdapter* sigAdapter() const { return m_sigAdapter; }
    void setSigAdapter(SigAdapter* adapter) { m_sigAdapter = adapter; }
    int sensorType() const { return m_sensorType; }
    void setSensorType(int type) { m_sensorType = type; }
    QString profileSerial() const { return m_profileSerial; }
    void setProfileSerial(const QString& serial) { m_profileSerial = serial; }
    bool usbSelected() const { return m_usbSelected; }
    bool comSelected() const { return m_comSelected; }
    bool matrixCalibrated() const { return m_matrixCalibrated; }
    void setMatrixCalibrated(bool calibrated) { m_matrixCalibrated = calibrated; }
    bool stopRequested() const { return m_stopRequested.load(); }
    // Drops an earlier stop request; called when a run is started (never while one runs), so a
    // stop given after that always ends the run.
    void clearStopRequest() { m_stopRequested.store(false); }
    SensorFactory& sensorFactory() { return m_factory; }

    // Snapshots of the results, safe on any thread while a run appends.
    QList<CColor> results(ResultList list) const;
    QList<CColor> freeList() const { return results(FreeResults); }
    QList<CColor> gamutList() const { return results(GamutResults); }
    QList<CColor> grayList() const { return results(GrayResults); }
    QList<CColor> colorChkList() const { return results(ColorCheckerResults); }
    QList<CColor> ebuList() const { return results(EbuResults); }
    QList<CColor> satList() const { return results(SaturationResults); }
    QList<CColor> colorLumaList() const { return results(ColorScaleResults); }
    QList<SpectrumData> spectrumList() const;
    // The spectrum of the latest free-mode reading (the empty spectrum before the first one or
    // when the instrument gives none).
    SpectrumData currentSpectrum() const;
    // The free list and the spectrum of its latest reading, taken together.
    QList<CColor> freeResults(SpectrumData* spectrum) const;
    // Replace a list wholesale (data import; GUI thread, no run going).
    void setResults(ResultList list, const QList<CColor>& colors);
    void setSpectrumList(const QList<SpectrumData>& spectra);

    // The fixed target stimuli (X, Y, Z hold the levels r, g, b), filled by the constructor.
    const QList<CColor>& colorChkTargets() const { return m_colorChkTargets; }
    const QList<CColor>& ebuTargets() const { return m_ebuTargets; }
    const QList<CColor>& satTargets() const { return m_satTargets; }

signals:
    // sensorTypeChanged, matrixChanged, sensorPortChanged and updateView belong to the engine's
    // published interface, but no operation of the engine emits them.
    void colorMeasured(int mode);
    void sensorTypeChanged(QString name);
    void sensorSNChanged(QString serial);
    void matrixChanged(Matrix matrix);
    void sensorPortChanged(int port);
    void sensorConnected(bool connected);
    void updateView(int mode);
    void measureStarted(int mode);
    void measureStopped();
    void errorOccured(QString message);
    void calibrateFinished();
    void calibrateStarted();
    void pattenColorChged(double r, double g, double b, int mode, int percent);

public slots:
    void showPattern();
    void stopMeasure();
    void patternTcpError();
    // Puts resultsText() on the system clipboard (also when it is empty).
    void doCpDataToClip();

public:
    // One test colour of a sequence: red, green and blue levels 0..1.
    struct Patch
    {
        double r, g, b;
    };

private:
    // The factory step of createSensor: true when a new driver replaced (closed and deleted)
    // the held one; false when the held driver stays untouched.
    bool makeSensor(int type);
    // The member that holds a result list (callers hold m_resultsMutex while they use it).
    static QList<CColor> Measure::*listMember(ResultList list);
    void clearResults(ResultList list);
    void appendResult(ResultList list, const CColor& color);
    // The start of every sequence: empties its list and returns the warm-up time (ms).
    int beginSequence(ResultList list);
    // The common frame of modes 0..4: show each patch, wait, test the stop, read, store.
    bool runPatches(ResultList list, int modeArg, const QVector<Patch>& patches, int warmMs);
    // After a reading: true when the driver found its instrument gone (CSensor::instrumentLost).
    // The instrument then counts as not connected, marked on the GUI thread where the connection
    // is read, so that no run starts with it until it is connected again; the caller ends its run.
    bool instrumentWasLost();
    // A sequence's end at a lost instrument, as at a failed pattern output: the operator is told
    // which instrument was lost, and the run stops with the readings taken before.
    void endSequenceAtLostInstrument();
    // Pattern output calls, carried out on the GUI thread while the worker waits.
    bool startPatternOnGui();
    void stopPatternOnGui();
    void runCalibration();
    void logReferenceLuminances() const;

    void initColorChkTargets();
    void initEbuTargets();
    void initSatTargets();

    mutable QMutex m_resultsMutex;  // guards the result lists, spectra and current spectrum
    QList<CColor> m_freeList;
    QList<CColor> m_gamutList;
    QList<CColor> m_grayList;
    QList<CColor> m_colorChkList;
    QList<CColor> m_ebuList;
    QList<CColor> m_satList;
    QList<CColor> m_colorLumaList;
    QList<SpectrumData> m_spectrumList;
    SpectrumData m_currentSpectrum;

    QList<CColor> m_colorChkTargets;
    QList<CColor> m_ebuTargets;
    QList<CColor> m_satTargets;

    // The driver life cycle under the operation guard; each expects the caller to hold it.
    bool initHeldSensor();
    // Takes the driver out, closes and deletes it, and empties every result list.
    void dropSensor();
    // Logs that `what` was refused because the instrument is held.
    void warnRefused(const char* what) const;

    bool m_matrixCalibrated = false;
    int m_mode = MeasureGray;
    int m_sensorOperations = 0;              // SensorOperation scopes alive (GUI thread)
    std::atomic<bool> m_runHoldsSensor{false};
    CSensor* m_sensor = nullptr;
    QString m_profileSerial;
    // The simulator is attached at start-up, so a profile saved before any instrument is
    // connected records the simulator's type.
    int m_sensorType = 10;
    bool m_usbSelected = true;
    bool m_comSelected = false;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<int> m_readingsTaken{0}; // of the latest run, counted on the worker
    std::atomic<int> m_readingsGood{0};
    // The run under way lost its instrument, and the instrument's name (worker thread only).
    bool m_instrumentLost = false;
    QString m_lostInstrumentName;
    SigAdapter* m_sigAdapter = nullptr;
    SensorFactory m_factory;

    static std::atomic<bool> s_closePatternAfterRun;
};
