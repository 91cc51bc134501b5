#include "sensors/c5sensor.h"

#include "platform/automation.h"
#include "appcore/imessagebox.h"
#include "platform/logging.h"

#include <QDebug>

namespace {

// Status the server's methods return for success.
constexpr int kOk = 0;

} // namespace

C5Sensor::C5Sensor(QObject* parent)
    : CSensor(parent)
    , control(new platform::AutomationObject)
{
    name = sensorModelName(SensorModel::Chroma5);
    caps |= SensorCaps::SerialPort;
    control->setControl(QString::fromLatin1(kClassId));
}

C5Sensor::~C5Sensor()
{
    delete control;
}

bool C5Sensor::init()
{
    QList<QVariant> args{QString()};
    const QVariant status = control->dynamicCall("OpenProbe(QString&)", args);
    // No status at all (server missing, call failed) counts as a failed open.
    bool isInt = false;
    const int code = status.toInt(&isInt);
    if (!status.isValid() || !isInt || code != kOk) {
        qCWarning(platform::sensorLog) << "Chroma 5: OpenProbe failed, status" << status;
        IMessageBox::ask(name, tr("Open device failed"));
        connected = false;
        return false;
    }
    control->writeProperty("ProbeUnits", kUnitsCandelas);
    connected = true;
    return true;
}

void C5Sensor::close()
{
    control->dynamicCall("CloseProbe()");
    CSensor::close();
}

int C5Sensor::startMeasure()
{
    return kStartMeasureResult;
}

void C5Sensor::stopMeasure()
{
}

CColor C5Sensor::GetColor()
{
    CColor result(nullColor);
    QList<QVariant> out{0.0, 0.0, 0.0, 0};
    const QVariant status = control->dynamicCall("GetMeasurement(double&, double&, double&, short&)", out);
    bool isInt = false;
    const int code = status.toInt(&isInt);
    if (status.isValid() && isInt && code == kOk) {
        // x, y chromaticity and Y luminance; y = 0 gives X = Y = Z = 0.
        result.fromxyY(CColor(out.at(0).toDouble(), out.at(1).toDouble(), out.at(2).toDouble()));
    } else {
        qCWarning(platform::sensorLog) << "Chroma 5: GetMeasurement failed, status" << status;
    }
    return correctColor(result);
}
