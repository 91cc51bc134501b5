#pragma once
// The driver factory of the measurement engine: which driver an instrument type (the SensorModel
// index the operator picks) makes. Each instrument driver joins by adding its row to the table
// of built-in drivers in sensorfactory.cpp; a type without a row is reported as not supported.

#include <QMap>
#include <QPair>

#include <functional>

class CSensor;
class SigAdapter;

// How an instrument is reached, for the one type that has a driver per connection (CA-210).
enum class SensorLink {
    Default,  // the type's only driver
    Usb,      // CA-210 through its automation server (PortSelect/USBSele)
    Serial,   // CA-210 through a serial port (PortSelect/COMSele)
};

class SensorFactory
{
public:
    // Makes an unconnected driver with no Qt parent (the simulator takes the adapter as parent).
    using Creator = std::function<CSensor*(SigAdapter* adapter)>;

    // What a request for a type comes to under the current connection choice.
    enum class Outcome {
        Create,       // `creator` makes the new driver
        KeepCurrent,  // CA-210 with neither connection chosen: nothing is made, nothing said
        Unsupported,  // no driver for the type: the operator is told
    };
    struct Choice {
        Outcome outcome = Outcome::Unsupported;
        Creator creator;
    };

    // Filled with the built-in drivers.
    SensorFactory();

    // Installs (or, with an empty creator, removes) the driver of a type and link. Tests use it to
    // stand in for instruments whose drivers need hardware.
    void setCreator(int type, SensorLink link, Creator creator);
    bool hasCreator(int type, SensorLink link) const;

    // The choice for `type`: CA-210 (6) takes the serial driver when `comSelected`, else the
    // automation driver when `usbSelected`, else nothing; every other type 0..10 its own driver.
    Choice choose(int type, bool usbSelected, bool comSelected) const;

private:
    QMap<QPair<int, int>, Creator> m_creators;
};
