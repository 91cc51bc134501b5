#include "sensors/ccdspectrometer.h"

#include "platform/automation.h"
#include "platform/logging.h"
#include "sensors/cietables.h"

#include <QDebug>
#include <QMutexLocker>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace {

// The detector's dispersion: wavelength (nm) of pixel column p, falling from about 1091 nm at
// column 1 to 187 nm at column 2048.
constexpr double kDispersion[4] = {1091.40578, -0.31703168, -7.373755e-05, 6.305487e-09};

// A server value as a count: fractions rounded, the int range enforced, NaN as 0.
int toCount(const QVariant& v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || std::isnan(d))
        return 0;
    if (d >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (d <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(std::lround(d));
}

int firstInt(const QVariantList& args, bool* ok)
{
    *ok = false;
    return args.isEmpty() ? 0 : args.first().toInt(ok);
}

} // namespace

SynerJY::SynerJY(QObject* parent)
    : CSensor(parent)
{
    // No model entry: the name stays the base's.
    caps |= SensorCaps::DirectLink | SensorCaps::Spectrum;
}

SynerJY::~SynerJY()
{
    // A driver deleted without close releases the server object without further calls.
    delete device;
}

QStringList SynerJY::detectorKeys(const QVector<platform::DetectorEntry>& entries)
{
    QStringList keys;
    for (const platform::DetectorEntry& e : entries) {
        if (e.key.size() >= kKeyNameBuffer)
            break; // the enumeration fails on a name that does not fit
        if (!e.key.startsWith(QLatin1String("CCD")) && !e.key.startsWith(QLatin1String("ccd")))
            continue;
        if (!e.readable)
            continue;
        keys << e.key;
    }
    return keys;
}

bool SynerJY::init()
{
    const auto installed = platform::installedDetectors();
    const QStringList detectors = installed ? detectorKeys(*installed) : QStringList();
    if (detectors.isEmpty()) {
        connected = false;
        return false;
    }

    const long entered = platform::enterAutomationThread();
    if (entered != 0 && entered != 1) {
        qCWarning(platform::sensorLog, "Qt: Could not initialize OLE (error %lx)",
                  static_cast<unsigned long>(entered));
        connected = false;
        return false;
    }
    delete device;
    device = new platform::AutomationObject;
    const bool bound = device->setControl(QString::fromLatin1(kProgId));
    platform::leaveAutomationThread();
    if (!bound) {
        // Without its server the detector can never deliver; say so now, not at every reading.
        qCWarning(platform::sensorLog) << "CCD: the automation server" << kProgId << "is not available";
        delete device;
        device = nullptr;
        connected = false;
        return false;
    }

    connect(device, &platform::AutomationObject::exception, this, &SynerJY::ReceivedException);
    connect(device, &platform::AutomationObject::serverEvent, this, &SynerJY::ReceivedSignal);
    device->writeProperty("Uniqueid", detectors.first());
    device->dynamicCall("Load()");
    device->dynamicCall("OpenCommunications()");
    device->dynamicCall("Initialize(const QVariant&, const QVariant&)", false, false);

    spectrum = SpectrumData(SpectrumData::kFirstNm, SpectrumData::kFirstNm + SpectrumData::kFullCount - 1,
                            SpectrumData::kFullCount);
    connected = true;
    return true;
}

void SynerJY::close()
{
    if (device) {
        device->dynamicCall("CloseCommunications()");
        device->dynamicCall("Uninitialize()");
        delete device;
        device = nullptr;
    }
    CSensor::close();
}

int SynerJY::startMeasure()
{
    if (device)
        device->dynamicCall("DoAcquisition(bool)", true);
    measureDelay = kAcquisitionMs;
    return kAcquisitionMs;
}

void SynerJY::stopMeasure()
{
}

void SynerJY::ReceivedException(int code, const QString& source, const QString& desc, const QString& help)
{
    qCWarning(platform::sensorLog).noquote()
        << QStringLiteral("Exception: %1 %2 %3 %4").arg(code).arg(source, desc, help);
}

void SynerJY::ReceivedSignal(const QString& name, const QVariantList& args)
{
    if (name.startsWith(QLatin1String("OperationStatus")))
        return;
    bool ok = false;
    if (name.startsWith(QLatin1String("Initialize"))) {
        const int status = firstInt(args, &ok);
        if (ok && status == kInitializedStatus && device) {
            readDetectorInfo();
            setupAcquisition();
        }
        return;
    }
    if (name.startsWith(QLatin1String("Update"))) {
        const int status = firstInt(args, &ok);
        if (!ok || status != kDataStatus || args.size() < 2)
            return;
        platform::AutomationObject carrier;
        if (!carrier.setReference(args.at(1)))
            return;
        if (platform::AutomationObject* result = carrier.querySubObject("GetResult()")) {
            readData(result);
            delete result;
        }
    }
    // "CriticalError" and every other event: nothing to do.
}

double SynerJY::columnWavelength(int p)
{
    const double x = p;
    return kDispersion[0] + kDispersion[1] * x + kDispersion[2] * x * x + kDispersion[3] * x * x * x;
}

void SynerJY::readDetectorInfo()
{
    if (!device)
        return;
    device->readProperty("FirmwareVersion");
    device->readProperty("Description");
    device->readProperty("Name");
    serialNumber = device->readProperty("SerialNumber").toString().right(4);

    QList<QVariant> size{0, 0};
    device->dynamicCall("GetChipSize(int&, int&)", size);
    const int width = qBound(0, size.at(0).toInt(), kMaxChipSide);
    const int height = qBound(0, size.at(1).toInt(), kMaxChipSide);

    ChipArea area;
    area.xStart = 1;
    area.xEnd = width;
    area.yStart = 1;
    area.yEnd = height;
    area.xBin = 1;
    area.yBin = height; // the whole height summed into one row
    {
        QMutexLocker lock(&m_mutex);
        m_area = area;
    }
    computeWavelengths();

    // Queries whose answers the acquisition does not need. Each list ends with a negative token.
    enumerate("GetFirstGain(QString&)", "GetNextGain(QString&)");
    enumerate("GetFirstADC(QString&)", "GetNextADC(QString&)");
    QList<QVariant> units{kUnitType, 0, QVariant()};
    device->dynamicCall("GetDefaultUnits(int, int&, QVariant&)", units);
    device->dynamicCall("IsOperatingModeSupported(int)", 8);
    device->dynamicCall("IsOperatingModeSupported(int)", 9);
    QList<QVariant> version{0, 0, 0, 0};
    device->dynamicCall("GetComponentVersion(int&, int&, int&, int&)", version);
}

void SynerJY::computeWavelengths()
{
    QMutexLocker lock(&m_mutex);
    const int columns = qBound(0, m_area.xEnd - m_area.xStart + 1, kMaxColumns);
    m_columns = columns;
    for (int i = 0; i < columns; ++i)
        m_wavelengths[i] = columnWavelength(m_area.xStart + i);
}

void SynerJY::enumerate(const char* first, const char* next)
{
    QList<QVariant> token{QString()};
    QVariant r = device->dynamicCall(first, token);
    for (int n = 1; r.isValid() && r.toInt() >= 0 && n < kMaxEnumerated; ++n)
        r = device->dynamicCall(next, token);
}

void SynerJY::setupAcquisition()
{
    if (!device)
        return;
    const ChipArea area = chipArea();
    device->dynamicCall("SetOperatingModeValue(int, const QVariant&)", kOperatingMode, false);
    device->writeProperty("NumberOfAccumulations", kAccumulations);
    device->writeProperty("AcquisitionCount", kAcquisitionCount);
    device->dynamicCall("SetDefaultUnits(int, int)", kUnitType, kUnits);
    device->writeProperty("IntegrationTime", kIntegrationTime);
    device->writeProperty("Gain", kGain);
    device->dynamicCall("SelectADC(int)", kAdc);
    device->dynamicCall("DefineAcquisitionFormat(int, long)", kAcquisitionFormat, kAcquisitionCountFormat);
    QList<QVariant> define{kArea,
                           area.xStart,
                           area.yStart,
                           area.xEnd - area.xStart + 1,
                           area.yEnd - area.yStart + 1,
                           area.xBin,
                           area.yBin};
    device->dynamicCall("DefineArea(int, int, int, int, int, int, int)", define);
    const bool ready = device->readProperty("ReadyForAcquisition").toBool();
    QMutexLocker lock(&m_mutex);
    m_readyForAcquisition = ready;
}

void SynerJY::readData(platform::AutomationObject* result)
{
    if (!result)
        return;
    platform::AutomationObject* data = result->querySubObject("GetFirstDataObject()");
    if (!data)
        return; // the previous array, if any, stays
    QList<QVariant> out{QVariant()};
    data->dynamicCall("GetDataAsArray(QVariant&)", out);
    const QVariantList values = out.at(0).toList();
    int counts[kMaxColumns] = {};
    const int n = qMin(values.size(), kMaxColumns);
    for (int i = 0; i < n; ++i)
        counts[i] = toCount(values.at(i));
    {
        QMutexLocker lock(&m_mutex);
        std::copy(std::begin(counts), std::end(counts), std::begin(m_counts));
        m_dataReady = true;
    }
    delete data;
}

double SynerJY::countAt(double wavelength, const int* counts, const double* wavelengths, int columns)
{
    if (columns < 2 || !(wavelength <= wavelengths[0]))
        return -1.0;
    for (int i = 0; i + 1 < columns; ++i) {
        if (wavelength < wavelengths[i + 1])
            continue;
        const double upper = wavelengths[i], lower = wavelengths[i + 1];
        return (counts[i] * (wavelength - lower) + counts[i + 1] * (upper - wavelength)) / (upper - lower);
    }
    return -1.0;
}

CColor SynerJY::GetColor()
{
    int counts[kMaxColumns];
    double wavelengths[kMaxColumns];
    int columns = 0;
    bool take = false;
    {
        QMutexLocker lock(&m_mutex);
        qCDebug(platform::sensorLog) << "GetColor:" << m_dataReady;
        // A chip of fewer than two columns gives no scale to interpolate on: not ready.
        take = m_dataReady && m_readyForAcquisition && m_columns >= 2;
        if (take) {
            m_dataReady = false;
            columns = m_columns;
            std::copy(m_counts, m_counts + kMaxColumns, counts);
            std::copy(m_wavelengths, m_wavelengths + kMaxColumns, wavelengths);
        }
    }
    if (!take)
        return correctColor(CColor(nullColor));

    if (spectrum.count != SpectrumData::kFullCount || spectrum.values.size() != SpectrumData::kFullCount)
        spectrum = SpectrumData(SpectrumData::kFirstNm, SpectrumData::kFirstNm + SpectrumData::kFullCount - 1,
                                SpectrumData::kFullCount);
    QVector<float> values(SpectrumData::kFullCount);
    for (int k = 0; k < SpectrumData::kFullCount; ++k)
        values[k] = float(countAt(SpectrumData::kFirstNm + k, counts, wavelengths, columns));
    spectrum.setValues(0, values.size(), values.constData());
    // The result of this instrument is the spectrum; the colour only marks a reading.
    return correctColor(CColor(1.0, 1.0, 1.0));
}

void SynerJY::clearBackground()
{
    std::fill(std::begin(background), std::end(background), 0);
}

double SynerJY::scaledColumn(int column)
{
    return column * kColumnScale;
}

bool SynerJY::colourMatching(int wavelength, double* xbar, double* ybar, double* zbar)
{
    if (wavelength < kCmfFirstNm || wavelength > kCmfLastNm || (wavelength - kCmfFirstNm) % kCmfStepNm != 0)
        return false;
    // The table runs in 1 nm steps from its first row's wavelength.
    const cie::CsvTable& t = cie::cmf1931;
    const int row = wavelength - int(t.at(0, 0));
    if (row < 0 || row >= t.rows || t.at(row, 0) != wavelength)
        return false;
    *xbar = t.at(row, 1);
    *ybar = t.at(row, 2);
    *zbar = t.at(row, 3);
    return true;
}

SynerJY::ChipArea SynerJY::chipArea() const
{
    QMutexLocker lock(&m_mutex);
    return m_area;
}

int SynerJY::columns() const
{
    QMutexLocker lock(&m_mutex);
    return m_columns;
}

bool SynerJY::dataReady() const
{
    QMutexLocker lock(&m_mutex);
    return m_dataReady;
}

bool SynerJY::readyForAcquisition() const
{
    QMutexLocker lock(&m_mutex);
    return m_readyForAcquisition;
}

QVector<int> SynerJY::pixelCounts() const
{
    QMutexLocker lock(&m_mutex);
    return QVector<int>(m_counts, m_counts + kMaxColumns);
}

QVector<double> SynerJY::pixelWavelengths() const
{
    QMutexLocker lock(&m_mutex);
    return QVector<double>(m_wavelengths, m_wavelengths + m_columns);
}
