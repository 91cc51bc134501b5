#pragma once
// C5Sensor: the Chroma 5 colorimeter, reached through its maker's automation server. The driver
// opens the probe, has it report luminance in cd/m2 and turns each reading (chromaticity x, y and
// luminance Y) into X, Y, Z. No spectrum.
//
// Server members used (each method returns its status as int, 0 = success):
//   OpenProbe(QString& version)                       init; the version text is not used
//   ProbeUnits (property, enum: 0 foot-lamberts, 1 candelas)   set to candelas by init
//   GetMeasurement(double& x, double& y, double& Y, short& cct)  GetColor; cct not used
//   CloseProbe()                                      close; status not used

#include "sensors/sensor.h"

namespace platform {
class AutomationObject;
}

class C5Sensor : public CSensor
{
    Q_OBJECT

public:
    // Class id of the server's probe class.
    static constexpr char kClassId[] = "{16826aeb-f9e9-423a-b403-cdfb867ce458}";
    // ProbeUnits value for cd/m2.
    static constexpr int kUnitsCandelas = 1;
    // What startMeasure answers; the engine keeps its default wait, since the reading itself
    // happens inside GetMeasurement.
    static constexpr int kStartMeasureResult = 3000;

    // Binds the server class; an unbound server shows itself at init.
    explicit C5Sensor(QObject* parent = nullptr);
    ~C5Sensor() override;

    bool init() override;        // opens the probe; "Open device failed" when it cannot
    void close() override;       // closes the probe (status ignored)
    int startMeasure() override; // kStartMeasureResult; sends nothing
    void stopMeasure() override; // nothing
    CColor GetColor() override;  // one reading; nullColor when the server reports a failure

    platform::AutomationObject* control; // owned
};
