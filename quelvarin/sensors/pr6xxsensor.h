#pragma once
// PR6xxSensor: a PR-6xx spectroradiometer on a serial port with hardware flow control (protocol
// in pr6xxprotocol.h). init() enters remote mode, reads the serial number and the model, sets the
// instrument up and measures once; GetColor() measures X, Y, Z and reads two spectral lists whose
// difference is the spectrum (380..780 nm in 401 values); close() leaves remote mode.

#include "sensors/pr6xxprotocol.h"
#include "sensors/sensor.h"

#include <QString>

#include <memory>

namespace platform {
class SerialLine;
}

class PR6xxSensor : public CSensor
{
    Q_OBJECT

public:
    // The waits of the driver; tests shorten them.
    struct Timing
    {
        int readTimeoutMs = pr6xx::kReadTimeoutMs;
        int setupDeadlineMs = pr6xx::kSetupDeadlineMs;
        int measureDeadlineMs = pr6xx::kMeasureDeadlineMs;
        int listDeadlineMs = pr6xx::kListDeadlineMs;
    };

    explicit PR6xxSensor(QObject* parent = nullptr);
    ~PR6xxSensor() override;

    bool init() override;
    void close() override;
    int startMeasure() override;
    void stopMeasure() override;
    CColor GetColor() override;
    // The serial line failed under the driver: the instrument hung up or its adapter vanished.
    bool instrumentLost() const override;

    // One exchange: flush, send, read until the reply size, an early CR LF end, or the deadline;
    // the handler judges what arrived.
    bool doCmd(PR6xxCmd& cmd, int deadlineMs);
    bool doCmd(PR6xxCmd& cmd) { return doCmd(cmd, timing.measureDeadlineMs); }
    // The same for a spectral list, which also ends once it holds lineCount complete lines.
    bool doDataCmd(PR6xxCmd& cmd);

    QString model;
    // Lines of a spectral list; the larger list until the model says otherwise.
    int lineCount = pr6xx::kLines;
    Timing timing;
    std::unique_ptr<platform::SerialLine> port;

private:
    bool exchange(PR6xxCmd& cmd, int deadlineMs, bool list);
};
