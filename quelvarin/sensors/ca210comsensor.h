#pragma once
// CA210SensorCOM: the CA-210/CA-310 colorimeter on a serial port (protocol in
// ca210comprotocol.h), for the serial connection choice (PortSelect/COMSele). init() enters
// remote mode, sets the instrument up and reads its serial number; startMeasure() takes a reading
// that decides whether GetColor() averages two (in low light); close() leaves remote mode.

#include "sensors/ca210comprotocol.h"
#include "sensors/sensor.h"

#include <memory>

namespace platform {
class SerialLine;
}

class CA210SensorCOM : public CSensor
{
    Q_OBJECT

public:
    // The waits of the driver; tests shorten them.
    struct Timing
    {
        int readTimeoutMs = ca210com::kReadTimeoutMs;
        int setupDeadlineMs = ca210com::kSetupDeadlineMs;
        int measureDeadlineMs = ca210com::kMeasureDeadlineMs;
    };

    explicit CA210SensorCOM(QObject* parent = nullptr);
    ~CA210SensorCOM() override;

    bool init() override;
    void close() override;
    int startMeasure() override;
    void stopMeasure() override;
    CColor GetColor() override;
    // The serial line failed under the driver: the instrument hung up or its adapter vanished.
    bool instrumentLost() const override;

    // One "XYZ" exchange: the raw colour, or the null colour.
    CColor singleMeasurement();
    // One exchange: the handler's verdict on a reply of exactly the expected length; otherwise the
    // port is flushed and false.
    bool doCmd(CA210Cmd& command, int deadlineMs);
    bool doCmd(CA210Cmd& command) { return doCmd(command, timing.setupDeadlineMs); }

    bool averageTwo = false;
    Timing timing;
    std::unique_ptr<platform::SerialLine> port;
};
