#include "sensors/nerelsensor.h"

#include "appcore/imessagebox.h"
#include "platform/logging.h"

#include <quorvane/quorvane.h>

#include <QDebug>

#include <algorithm>
#include <cstring>

NerelSensor::NerelSensor(QObject* parent)
    : CSensor(parent)
{
    caps |= SensorCaps::DirectLink;
}

NerelSensor::~NerelSensor()
{
    // A driver deleted while connected gives its device back too.
    closeDevice();
    releaseBuffers();
}

bool NerelSensor::fail(const QString& title, const QString& text)
{
    IMessageBox box(title, text, QString());
    box.exec();
    connected = false;
    return false;
}

void NerelSensor::closeDevice()
{
    if (handle)
        QVI_SpectrometerClose(handle);
    handle = nullptr;
}

void NerelSensor::releaseBuffers()
{
    if (colorInformation)
        QVI_ColorInformationFree(colorInformation);
    colorInformation = nullptr;
    wavelengths.clear();
    spectrumValues.clear();
    referenceValues.clear();
}

// Tries every device of every supported kind in list order; the first that opens cleanly is kept.
bool NerelSensor::openFirstDevice()
{
    uint32_t count = 0;
    if (QVI_SepctrometerGetDeviceList(&count, nullptr) != EC_Success)
        return fail(tr("Open Sensor Error!"), tr("get device list failed."));
    if (count == 0)
        return fail(tr("Open Sensor Error!"), tr("no device found."));
    std::vector<uint32_t> list(size_t(count) * 2, 0);
    uint32_t listed = count;
    if (QVI_SepctrometerGetDeviceList(&listed, list.data()) != EC_Success)
        return fail(tr("Open Sensor Error!"), tr("get device list failed 2."));
    if (listed == 0) {
        connected = false;
        return false;
    }
    // The library writes as many pairs as it has; only those fitting the list asked for are read.
    listed = std::min(listed, count);
    for (uint32_t k = 0; k < listed; ++k) {
        const uint32_t vendor = list[2 * k], product = list[2 * k + 1];
        uint32_t amount = 0;
        if (QVI_SepctrometerGetDeviceAmount(vendor, product, &amount) != EC_Success || amount == 0)
            continue;
        qCDebug(platform::sensorLog, "device[%x-%x] number: %d\n", vendor, product, int(amount));
        for (uint32_t i = 0; i < amount; ++i) {
            void* opened = nullptr;
            const ERRORCODE rc = QVI_SpectrometerOpen(i, &opened, vendor, product);
            if (rc == EC_Success) {
                handle = opened;
                return true;
            }
            // An open that answers 6 (window past the frame) still holds the device.
            if (opened)
                QVI_SpectrometerClose(opened);
        }
    }
    connected = false;
    return false;
}

bool NerelSensor::init()
{
    closeDevice();
    releaseBuffers();
    m_lost = false;
    if (!openFirstDevice())
        return false;

    char serial[kSerialNumberBytes];
    std::memset(serial, 0, sizeof serial);
    QVI_SpectrometerGetSerialNumber(handle, serial);
    serialNumber = QString::fromLatin1(serial, int(strnlen(serial, sizeof serial)));

    QVI_SpectromoduleGetWavelengthStart(handle, &wavelengthStart);
    QVI_SpectromoduleGetWavelengthEnd(handle, &wavelengthEnd);
    const ERRORCODE sized = QVI_SpectromoduleGetFrameSize(handle, &frameSize);
    qCDebug(platform::sensorLog, "framesize = %u\n", unsigned(frameSize));
    if (sized != EC_Success || frameSize == 0) {
        closeDevice();
        return fail(name, tr("get frame size failed."));
    }
    wavelengths.assign(frameSize, 0.0f);
    spectrumValues.assign(frameSize, 0.0f);
    referenceValues.assign(frameSize, 0.0f);
    if (QVI_SpectrometerWavelengthAcquire(handle, wavelengths.data()) != EC_Success) {
        closeDevice();
        releaseBuffers();
        return fail(name, tr("wavelength acquire failed."));
    }
    // Preset 2: the spectrum as a light source; CIE 1931 observer; illuminant A (unused by it).
    if (QVI_ColorInformationAllocation(&colorInformation, 2, 0, 0, wavelengths.data(), referenceValues.data(),
                                       spectrumValues.data(), frameSize)
        != EC_Success) {
        colorInformation = nullptr;
        closeDevice();
        releaseBuffers();
        return fail(name, tr("color information allocation failed."));
    }
    connected = true;
    return true;
}

void NerelSensor::close()
{
    if (connected)
        closeDevice();
    CSensor::close();
}

int NerelSensor::startMeasure()
{
    return 1000;
}

void NerelSensor::stopMeasure()
{
}

CColor NerelSensor::GetColor()
{
    CColor colour = nullColor;
    const uint32_t microseconds = uint32_t(integrationTime) * 1000u;
    // Without a fresh, corrected spectrum the values in the array are the previous reading's (or
    // partly corrected ones): no colour is computed from them.
    if (connected && QVI_SpectrometerDataAcquire(handle, microseconds, spectrumValues.data(), 1) == EC_Success
        && QVI_BackgroundRemove(handle, microseconds, spectrumValues.data()) == EC_Success) {
        QVI_ColorOperation(colorInformation);
        double xyz[3] = {0, 0, 0};
        if (QVI_ColorGetXYZ(colorInformation, xyz) == EC_Success)
            colour = CColor(xyz[0], xyz[1], xyz[2]);
    } else if (connected && !m_lost) {
        // Asked only after a failed reading; once gone, it stays gone until the next connection.
        // A library that cannot tell leaves the spectrometer attached, and the run goes on.
        uint32_t attached = 1;
        m_lost = QVI_SpectrometerIsAttached(handle, &attached) == EC_Success && attached == 0;
    }
    return correctColor(colour);
}

bool NerelSensor::instrumentLost() const
{
    return m_lost;
}
