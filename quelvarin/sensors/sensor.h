#pragma once
// CSensor: the interface of every measuring instrument (colorimeters, spectroradiometers,
// spectrometers, the simulator). The measurement engine holds one current sensor and drives it
// only through the virtual operations, the public members and rawColorChanged.
//
// Order the engine relies on: construct -> init() (true = usable) -> per patch startMeasure(),
// wait measureDelay ms, GetColor() (which ends with correctColor), instrumentLost() -> close().
// close() is also called on a driver that never opened, so it must be harmless then.
// stopMeasure() is never called by the engine.

#include "colour/color.h"
#include "colour/matrix.h"
#include "colour/spectrumdata.h"

#include <QObject>
#include <QString>
#include <QStringList>

// Capability bits of a driver (CSensor::caps).
struct SensorCaps
{
    enum : int {
        SerialPort = 1, // on a serial port the operator chooses (enables the port list)
        DirectLink = 2, // through a vendor library, an automation server or USB
        Spectrum = 4,   // fills CSensor::spectrum at each measurement
    };
};

// Instrument type index: what the operator picks, what the factory creates, what a sensor
// profile stores.
struct SensorModel
{
    enum : int {
        Spyder3 = 0,
        Spyder4 = 1,
        Spyder5 = 2,
        Chroma5 = 3,
        K10 = 4,
        PR6xx = 5,
        CA210 = 6,
        CS200 = 7,
        CS2000 = 8,
        CR100 = 9,
        Simulator = 10,
        Count = 11,
    };
};

// Display names by SensorModel index, used as they stand (not translated). Other parts recognise
// the simulator by comparing a sensor's name with sensorModelNames[SensorModel::Simulator].
extern const QStringList sensorModelNames;

// The name of model `index`, or an empty string outside 0..SensorModel::Count-1.
QString sensorModelName(int index);

class CSensor : public QObject
{
    Q_OBJECT

public:
    explicit CSensor(QObject* parent = nullptr);
    ~CSensor() override;

    // Opens the instrument, reads its identity and sets `connected`. The base does nothing and
    // returns false.
    virtual bool init();
    // Releases the instrument; the base clears `connected`.
    virtual void close();
    // Starts a reading. A driver that knows its measuring time sets measureDelay here. The base
    // returns 500 and changes nothing (no caller uses the result).
    virtual int startMeasure();
    // The base does nothing.
    virtual void stopMeasure();
    // Reads the result and returns correctColor(raw); a failed reading returns nullColor. The
    // base returns nullColor.
    virtual CColor GetColor();
    // True once the driver found its instrument gone: its port lost or closed under it (the cable
    // pulled, the adapter unplugged), its device vanished. A silent instrument is not lost: its
    // readings fail by time-out and it stays connected. The engine asks after every reading, on
    // the thread that read; a lost instrument ends the run, keeping what was measured before, and
    // counts as not connected until init() connects it again. The base answers false: a driver
    // that cannot tell a lost instrument from a failed reading never reports one.
    virtual bool instrumentLost() const;

    // The last step of every GetColor: emits rawColorChanged(raw), then returns correction x raw
    // (X, Y, Z) with zero stimulus levels. The null colour is emitted and returned unchanged, so
    // a failed reading never turns into a plausible colour.
    CColor correctColor(const CColor& raw);

    // Settings sensor/lastport: 0-based index of the serial port chosen by the operator; serial
    // drivers open "COM%1" with this + 1.
    static int lastPort();
    static void setLastPort(int port);
    // "COM1" for lastPort() 0, and so on.
    static QString lastPortName();

    int measureDelay = kDefaultMeasureDelayMs; // ms the engine waits between startMeasure and GetColor
    QString name;                              // display name of the model
    QString serialNumber;                      // read by drivers that can
    SpectrumData spectrum;                     // last spectrum of a spectral driver
    bool connected = false;                    // true after a successful init()
    int caps = 0;                              // SensorCaps bits
    Matrix correction;                         // 3x3, applied to every raw colour

    // Wait between startMeasure and GetColor for drivers that announce nothing.
    static constexpr int kDefaultMeasureDelayMs = 100;

signals:
    // The uncorrected colour of each measurement (with the stimulus levels it carries).
    void rawColorChanged(CColor raw);
};
