#pragma once
// CS2000Sensor: the CS-2000 spectroradiometer on a serial port (protocol in cs2000protocol.h).
// init() enters remote mode and reads the serial number; startMeasure() starts a measurement and
// makes the engine wait the time the instrument announces; GetColor() waits for the end of the
// measurement and reads X, Y, Z and the 401-value spectrum (380..780 nm); close() leaves remote
// mode.

#include "sensors/cs2000protocol.h"
#include "sensors/sensor.h"

#include <QElapsedTimer>

#include <memory>

namespace platform {
class SerialLine;
}

class CS2000Sensor : public CSensor
{
    Q_OBJECT

public:
    // The waits of the driver; tests shorten them.
    struct Timing
    {
        int readTimeoutMs = cs2000::kReadTimeoutMs;
        int shortDeadlineMs = cs2000::kShortDeadlineMs;
        int measureDeadlineMs = cs2000::kMeasureDeadlineMs;
        int measureMarginMs = cs2000::kMeasureMarginMs;
    };

    explicit CS2000Sensor(QObject* parent = nullptr);
    ~CS2000Sensor() override;

    bool init() override;
    void close() override;
    int startMeasure() override;
    void stopMeasure() override;
    CColor GetColor() override;
    // The serial line failed under the driver: the instrument hung up or its adapter vanished.
    bool instrumentLost() const override;

    // One exchange with the short deadline (the instrument answers at once).
    bool doCmd(Cs2000Cmd& cmd);
    // One exchange: send, then wait up to `deadlineMs` for the reply to begin. True when a reply
    // of exactly the expected length came and its handler accepts it; otherwise the port is
    // flushed (when a reply of another length came) and false.
    bool doCmd(Cs2000Cmd& cmd, int deadlineMs);

    Timing timing;
    std::unique_ptr<platform::SerialLine> port;

private:
    // What startMeasure learnt: the announced time (-1: none) and when it was announced.
    int m_announcedMs = -1;
    QElapsedTimer m_measureClock;
};
