#include "sensors/sensor.h"

#include "platform/settings.h"

namespace {

constexpr char kSensorGroup[] = "sensor";
constexpr char kLastPortKey[] = "lastport";
// The base startMeasure's answer; nothing reads it.
constexpr int kBaseStartMeasureResult = 500;

} // namespace

const QStringList sensorModelNames = {
    QStringLiteral("Spyder 3"),      QStringLiteral("Spyder 4"), QStringLiteral("Spyder 5"),
    QStringLiteral("Chroma 5"),      QStringLiteral("K-10"),     QStringLiteral("PR-6xx"),
    QStringLiteral("CA-210/CA-310"), QStringLiteral("CS-200"),   QStringLiteral("CS-2000"),
    QStringLiteral("CR100/CR250"),   QStringLiteral("Simulator"),
};

QString sensorModelName(int index)
{
    return index >= 0 && index < sensorModelNames.size() ? sensorModelNames.at(index) : QString();
}

CSensor::CSensor(QObject* parent)
    : QObject(parent)
    , name(tr("Unknow sensor"))
    , spectrum(emptySpectrum)
    , correction(Matrix::identity(3))
{
    registerColorMetaType();
}

CSensor::~CSensor() = default;

bool CSensor::init()
{
    return false;
}

void CSensor::close()
{
    connected = false;
}

int CSensor::startMeasure()
{
    return kBaseStartMeasureResult;
}

void CSensor::stopMeasure()
{
}

CColor CSensor::GetColor()
{
    return CColor(nullColor);
}

bool CSensor::instrumentLost() const
{
    return false;
}

CColor CSensor::correctColor(const CColor& raw)
{
    emit rawColorChanged(CColor(raw));
    if (raw == nullColor) {
        // A failed reading stays recognisably failed under any correction.
        return CColor(nullColor);
    }
    CColor corrected(Matrix(correction * raw));
    corrected.levelR = 0.0;
    corrected.levelG = 0.0;
    corrected.levelB = 0.0;
    return corrected;
}

int CSensor::lastPort()
{
    return platform::readSetting(kSensorGroup, kLastPortKey, 0).toInt();
}

void CSensor::setLastPort(int port)
{
    platform::writeSetting(kSensorGroup, kLastPortKey, port);
}

QString CSensor::lastPortName()
{
    return QStringLiteral("COM%1").arg(lastPort() + 1);
}
