#pragma once
// K10Sensor: the K-10 colorimeter on a serial port (protocol in k10protocol.h). init() opens the
// port the operator chose and reads the serial number; each GetColor() sends one measurement
// command and decodes X, Y, Z. No spectrum.

#include "sensors/k10protocol.h"
#include "sensors/sensor.h"

#include <memory>

namespace platform {
class SerialLine;
}

class K10Sensor : public CSensor
{
    Q_OBJECT

public:
    // The waits of the driver; tests shorten them.
    struct Timing
    {
        int readTimeoutMs = k10::kReadTimeoutMs;
        int identifyDeadlineMs = k10::kIdentifyDeadlineMs;
        int maxTries = k10::kMaxTries;
        int retryDeadlineMs = k10::kRetryDeadlineMs;
    };

    explicit K10Sensor(QObject* parent = nullptr);
    ~K10Sensor() override;

    bool init() override;
    void close() override;
    // Sends nothing (the command goes out in GetColor) and makes the engine wait 0 ms.
    int startMeasure() override;
    void stopMeasure() override;
    // One reading (two averaged when `averaging` is set) through the correction.
    CColor GetColor() override;
    // The serial line failed under the driver: the instrument hung up or its adapter vanished.
    bool instrumentLost() const override;

    // One measurement exchange: the raw X, Y, Z, or the null colour.
    CColor singleMeasure();

    static double decodeValue(unsigned b0, unsigned b1, unsigned b2) { return k10::decodeValue(b0, b1, b2); }
    static bool parseReply(const QByteArray& reply, double& x, double& y, double& z)
    {
        return k10::parseReply(reply, &x, &y, &z);
    }

    // Two readings per GetColor, averaged. Nothing in the program sets it.
    bool averaging = false;
    Timing timing;
    std::unique_ptr<platform::SerialLine> port;
};
