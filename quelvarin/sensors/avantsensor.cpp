#include "sensors/avantsensor.h"

#include "platform/logging.h"
#include "platform/runtimelibrary.h"
#include "sensors/as5216spectrum.h"
#include "appcore/application.h"
#include "appcore/imessagebox.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <array>

namespace {

// Logs values eight to a line, each line led by the index of its first value.
void logEights(const char* label, const double* values, size_t count)
{
    for (size_t i = 0; i < count; i += 8) {
        QStringList parts;
        for (size_t k = i; k < count && k < i + 8; ++k)
            parts << QString::number(values[k], 'f', 6);
        qCDebug(platform::as5216Log).noquote()
            << QStringLiteral("%1[%2]: %3").arg(QLatin1String(label)).arg(i).arg(parts.join(','));
    }
}

} // namespace

CAvantes::CAvantes(QObject* parent)
    : CSensor(parent)
    , config(size_t(as5216::kConfigSize), 0)
{
    caps |= SensorCaps::DirectLink;
}

CAvantes::~CAvantes() = default;

void CAvantes::message(const QString& text)
{
    IMessageBox::ask(name, text);
}

bool CAvantes::bind()
{
    if (!library.isLoaded() && !platform::loadLibrary(library, QString::fromLatin1(kLibraryName))) {
        message(tr("Open AS5216.DLL failed"));
        return false;
    }
    Entries e;
    const bool all = platform::resolveEntry(library, "AVS_Init", e.init)
        & platform::resolveEntry(library, "AVS_Done", e.done)
        & platform::resolveEntry(library, "AVS_Devices", e.devices)
        & platform::resolveEntry(library, "AVS_DeviceList", e.deviceList)
        & platform::resolveEntry(library, "AVS_Activate", e.activate)
        & platform::resolveEntry(library, "AVS_Deactivate", e.deactivate)
        & platform::resolveEntry(library, "AVS_AdcResolution", e.adcResolution)
        & platform::resolveEntry(library, "AVS_NumPixels", e.numPixels)
        & platform::resolveEntry(library, "AVS_Lambda", e.lambda)
        & platform::resolveEntry(library, "AVS_PrepareMeasure", e.prepare)
        & platform::resolveEntry(library, "AVS_DeviceConfig", e.config)
        & platform::resolveEntry(library, "AVS_Measure", e.measure)
        & platform::resolveEntry(library, "AVS_PollScan", e.poll)
        & platform::resolveEntry(library, "AVS_ScanData", e.scanData)
        & platform::resolveEntry(library, "AVS_StopMeasure", e.stop);
    if (!all) {
        entries = Entries();
        library.unload();
        message(tr("Error dll file"));
        return false;
    }
    entries = e;
    return true;
}

bool CAvantes::init()
{
    if (!bind()) {
        connected = false;
        return false;
    }
    const int present = entries.init(0);
    qCDebug(platform::as5216Log, "AVS_Init: %d", present);
    if (present <= 0) {
        message(tr("There's no device connected!"));
        connected = false;
        return false;
    }
    deviceCount = entries.devices();
    qCDebug(platform::as5216Log, "AVS_Devices: %d", deviceCount);
    if (deviceCount > as5216::kMaxDevices)
        deviceCount = as5216::kMaxDevices;
    if (deviceCount > 0) {
        deviceList.assign(size_t(deviceCount) * as5216::kIdentityRecordSize, 0);
        unsigned int needed = 0;
        const int listed = entries.deviceList(unsigned(deviceList.size()), &needed, deviceList.data());
        deviceCount = listed < deviceCount ? listed : deviceCount;
    }
    if (deviceCount <= 0)
        return connected;

    handle = entries.activate(deviceList.data());
    if (handle == kInvalidHandle) {
        message(tr("Invalid Handle"));
        release();
        connected = false;
        return false;
    }
    serialNumber = QString::fromLatin1(as5216::serialFromIdentity(deviceList.data()));
    adcFactor = entries.adcResolution(handle, 1) == 0 ? as5216::kHighResolutionAdcFactor
                                                      : as5216::kDefaultAdcFactor;

    unsigned short pixels = 0;
    if (entries.numPixels(handle, &pixels) != 0 || pixels == 0) {
        release();
        connected = false;
        return false;
    }
    qCDebug(platform::as5216Log, "AVS_NumPixels: %d", int(pixels));
    libraryPixels = pixels;
    pixelCount = pixels > as5216::kMaxPixels ? as5216::kMaxPixels : int(pixels);

    // The library writes a wavelength for each of its pixels.
    std::vector<double> lambda(size_t(libraryPixels), 0.0);
    if (entries.lambda(handle, lambda.data()) != 0) {
        release();
        connected = false;
        return false;
    }
    lambda.resize(size_t(pixelCount));
    wavelengths = std::move(lambda);
    logEights("Lambda", wavelengths.data(), wavelengths.size());
    qCDebug(platform::as5216Log, "AVS init OK");
    connected = true;
    return true;
}

int CAvantes::startMeasure()
{
    scanStarted = false;
    if (!connected)
        return 0;
    qCDebug(platform::as5216Log, "startMeasure:");
    std::array<unsigned char, as5216::kMeasRecordSize> record = as5216::measurementRecord(pixelCount);
    qCDebug(platform::as5216Log, "startMeasure1111111111111111111111111111111111111111111111:");
    if (entries.prepare(handle, record.data()) != 0)
        return 0;
    qCDebug(platform::as5216Log, "startMeasure2222222222222222222222222222222222222222222222:");
    std::fill(config.begin(), config.end(), 0);
    unsigned int size = unsigned(as5216::kConfigSize);
    const int configResult = entries.config(handle, unsigned(as5216::kConfigSize), &size, config.data());
    qCDebug(platform::as5216Log, "startMeasure3333333333333333333333333333333333333333333333:");
    if (configResult != 0)
        return 0;
    if (entries.measure(handle, nullptr, 1) != 0)
        return 0;
    qCDebug(platform::as5216Log, "Position:   startMeasure end");
    scanStarted = true;
    measureDelay = int(as5216::kIntegrationTimeMs);
    return measureDelay;
}

CColor CAvantes::GetColor()
{
    qCDebug(platform::as5216Log, "Position:GetColor start");
    qCDebug(platform::as5216Log, "%s", QByteArray(76, 'x').constData());
    if (!connected || !scanStarted)
        return CColor(nullColor);
    scanStarted = false;

    // The engine has waited the integration time; the scan should be ready or nearly so.
    QElapsedTimer clock;
    clock.start();
    int waited = 0;
    qCDebug(platform::as5216Log, "Position:GetColor middle1111");
    while (entries.poll(handle) != 1) {
        if (waited >= kScanDeadlineMs || clock.elapsed() >= kScanDeadlineMs) {
            qCDebug(platform::as5216Log, "AS5216: no scan after %d ms", kScanDeadlineMs);
            return CColor(nullColor);
        }
        Application::delay(kPollIntervalMs);
        waited += kPollIntervalMs;
    }
    qCDebug(platform::as5216Log, "Position:GetColor middle2222");

    // The scan covers the pixels of the measurement record; room for the library's count too.
    std::vector<double> raw(size_t(libraryPixels > pixelCount ? libraryPixels : pixelCount), 0.0);
    unsigned int timeLabel = 0;
    if (entries.scanData(handle, &timeLabel, raw.data()) != 0)
        return CColor(nullColor);
    raw.resize(size_t(pixelCount));
    const char* stars = "****************************************************************************";
    qCDebug(platform::as5216Log, "%s", stars);
    logEights("m_pSpectrum", raw.data(), raw.size());
    qCDebug(platform::as5216Log, "%s", stars);

    const as5216::Calibration cal = as5216::calibrationFromConfig(config.data(), pixelCount);
    std::vector<double> scaled(raw.size()), factors(raw.size()), linearised(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        scaled[i] = raw[i] * as5216::kPolynomialCountScale;
        factors[i] = as5216::nonlinearityFactor(raw[i], cal.nlCoefficients);
        linearised[i] = raw[i] / factors[i];
    }
    logEights("B1", scaled.data(), scaled.size());
    const QString coefficients = [&] {
        QStringList parts;
        for (double c : cal.nlCoefficients)
            parts << QString::number(c, 'f', 6);
        return parts.join(',');
    }();
    qCDebug(platform::as5216Log).noquote() << "a_pData->m_Detector.m_aNLCorrect:" + coefficients;
    qCDebug(platform::as5216Log).noquote() << "A1: " + coefficients;
    logEights("NCPS", factors.data(), factors.size());
    logEights("Spectrum", raw.data(), raw.size());
    logEights("SpectrumNL", linearised.data(), linearised.size());
    qCDebug(platform::as5216Log, "%s", stars);
    qCDebug(platform::as5216Log, "ADCFactor:%f", adcFactor);
    qCDebug(platform::as5216Log, "CalInttime:%f", double(cal.calIntTime));
    qCDebug(platform::as5216Log, "CurInttime:%f", double(as5216::kIntegrationTimeMs));
    const std::vector<double> divisors(cal.divisors.begin(), cal.divisors.end());
    logEights("a_pData->m_Irradiance.m_IntensityCalib.m_aCalibConvers", divisors.data(), divisors.size());
    qCDebug(platform::as5216Log, "%s", stars);
    const std::vector<double> irr = as5216::irradiance(raw, cal, adcFactor);
    logEights("Irradiance", irr.data(), irr.size());
    logEights("Lambda", wavelengths.data(), wavelengths.size());
    const std::array<double, 3> xyz = as5216::integrateXyz(wavelengths, irr);
    if (xyz[1] != 0.0)
        qCDebug(platform::as5216Log, "K1 = %f", 40.0 / (xyz[1] / as5216::kXyzScale));
    return correctColor(CColor(xyz[0], xyz[1], xyz[2]));
}

void CAvantes::stopMeasure()
{
    if (!connected)
        return;
    if (entries.stop(handle) != 0)
        message(tr("Cannot stop!"));
}

void CAvantes::release()
{
    deviceList.clear();
    wavelengths.clear();
}

void CAvantes::close()
{
    if (connected) {
        // Each step is tried a bounded number of times: a library that keeps refusing must not
        // hold the program when it closes.
        int tries = 0;
        while (entries.stop(handle) != 0 && ++tries < kCloseTries)
            Application::delay(kCloseRetryMs);
        tries = 0;
        while ((entries.deactivate(handle) & 0xFF) == 0 && ++tries < kCloseTries)
            Application::delay(kCloseRetryMs);
        tries = 0;
        while (entries.done() != 0 && ++tries < kCloseTries)
            Application::delay(kCloseRetryMs);
        release();
        handle = kInvalidHandle;
        scanStarted = false;
    }
    // A connection that failed after binding leaves the library loaded; it goes here too, with
    // no call into it.
    if (library.isLoaded()) {
        entries = Entries();
        library.unload();
    }
    CSensor::close();
}
