#include "measure/measure.h"

#include "measure/patchset.h"
#include "colour/currentreference.h"
#include "pattern/sigadapter.h"
#include "platform/guithread.h"
#include "platform/logging.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "appcore/application.h"

#include <QDebug>
#include <QMutexLocker>
#include <QPointer>
#include <QSettings>

namespace {

const char kInstrumentLost[] = QT_TRANSLATE_NOOP(
    "Measure", "The sensor %1 was lost: its port closed or the device was unplugged. The readings "
               "taken so far are kept.");

} // namespace

std::atomic<bool> Measure::s_closePatternAfterRun{true};

Measure::Measure(QObject* parent)
    : QObject(parent)
    , m_currentSpectrum(emptySpectrum)
{
    registerColorMetaType();
    initColorChkTargets();
    initEbuTargets();
    initSatTargets();
    dropSensor();
    logReferenceLuminances();
}

Measure::~Measure()
{
    // Whatever still holds the instrument, the engine is going: its driver goes with it.
    dropSensor();
}

void Measure::setClosePatternAfterRun(bool close)
{
    s_closePatternAfterRun.store(close);
}

bool Measure::closePatternAfterRun()
{
    return s_closePatternAfterRun.load();
}

void Measure::logReferenceLuminances() const
{
    const std::shared_ptr<const ColorReference> ref = currentColorReference();
    const Matrix m = ref->rgbToXyz;
    qCDebug(platform::programLog) << "color reference Y rgb" << m(1, 0) << m(1, 1) << m(1, 2);
}

// ---- results -----------------------------------------------------------------------------

QList<CColor> Measure::*Measure::listMember(ResultList list)
{
    switch (list) {
    case FreeResults: return &Measure::m_freeList;
    case GamutResults: return &Measure::m_gamutList;
    case GrayResults: return &Measure::m_grayList;
    case ColorCheckerResults: return &Measure::m_colorChkList;
    case EbuResults: return &Measure::m_ebuList;
    case SaturationResults: return &Measure::m_satList;
    case ColorScaleResults: break;
    }
    return &Measure::m_colorLumaList;
}

QList<CColor> Measure::results(ResultList list) const
{
    QMutexLocker lock(&m_resultsMutex);
    return this->*listMember(list);
}

QList<SpectrumData> Measure::spectrumList() const
{
    QMutexLocker lock(&m_resultsMutex);
    return m_spectrumList;
}

SpectrumData Measure::currentSpectrum() const
{
    QMutexLocker lock(&m_resultsMutex);
    return m_currentSpectrum;
}

QList<CColor> Measure::freeResults(SpectrumData* spectrum) const
{
    QMutexLocker lock(&m_resultsMutex);
    if (spectrum)
        *spectrum = m_currentSpectrum;
    return m_freeList;
}

void Measure::setResults(ResultList list, const QList<CColor>& colors)
{
    QMutexLocker lock(&m_resultsMutex);
    (this->*listMember(list)) = colors;
}

void Measure::setSpectrumList(const QList<SpectrumData>& spectra)
{
    QMutexLocker lock(&m_resultsMutex);
    m_spectrumList = spectra;
}

void Measure::clearResults(ResultList list)
{
    QMutexLocker lock(&m_resultsMutex);
    (this->*listMember(list)).clear();
}

void Measure::appendResult(ResultList list, const CColor& color)
{
    QMutexLocker lock(&m_resultsMutex);
    (this->*listMember(list)).append(color);
}

// ---- slots -------------------------------------------------------------------------------

void Measure::showPattern()
{
    if (m_sigAdapter)
        m_sigAdapter->showPattern();
}

void Measure::stopMeasure()
{
    m_stopRequested.store(true);
}

void Measure::patternTcpError()
{
    m_stopRequested.store(true);
    emit errorOccured(tr("Network to the Monitor failed!"));
}

// ---- one reading and one run -------------------------------------------------------------

CColor Measure::measureOnce()
{
    CSensor* sensor = m_sensor;
    if (!sensor) {
        qCWarning(platform::measureLog) << "measureOnce: no instrument attached";
        return CColor(nullColor);
    }
    sensor->startMeasure();
    Application::delay(sensor->measureDelay);
    return sensor->GetColor();
}

bool Measure::instrumentWasLost()
{
    CSensor* sensor = m_sensor;
    if (!sensor || !sensor->instrumentLost())
        return false;
    m_instrumentLost = true;
    m_lostInstrumentName = sensor->name;
    qCWarning(platform::measureLog).noquote() << "the sensor" << sensor->name << "was lost; the run ends";
    // Queued, not waited for: it reaches the GUI thread ahead of the run's error and stop
    // signals and of its end, so every command from then on finds the instrument not connected.
    // The driver stays where it is; should it be gone by then, there is nothing left to mark.
    QPointer<CSensor> lost(sensor);
    QMetaObject::invokeMethod(
        this,
        [this, lost] {
            if (!lost)
                return;
            lost->connected = false;
            emit sensorConnected(false);
        },
        Qt::QueuedConnection);
    return true;
}

void Measure::endSequenceAtLostInstrument()
{
    emit errorOccured(tr(kInstrumentLost).arg(m_lostInstrumentName));
    emit measureStopped();
}

bool Measure::startPatternOnGui()
{
    bool ok = false;
    SigAdapter* adapter = m_sigAdapter;
    if (!adapter)
        return false;
    platform::runOnGuiThread([&ok, adapter] { ok = adapter->startPattern(); });
    return ok;
}

void Measure::stopPatternOnGui()
{
    SigAdapter* adapter = m_sigAdapter;
    if (adapter)
        platform::runOnGuiThread([adapter] { adapter->stopPattern(); });
}

bool Measure::run()
{
    const patchset::Set set = patchset::chosen();
    const int mode = m_mode;

    m_readingsTaken.store(0);
    m_readingsGood.store(0);
    m_instrumentLost = false;
    m_lostInstrumentName.clear();
    emit measureStarted(mode);

    if (!startPatternOnGui()) {
        emit errorOccured(tr("Network to the Monitor failed!"));
        return false;
    }

    bool result = false;
    switch (mode) {
    case MeasureGray: result = measureGray(); break;
    case MeasureGamut: result = measureGamut(); break;
    case MeasureSaturation: result = measureSaturation(); break;
    case MeasureColorScale: result = measureColorScale(); break;
    case MeasureColorChecker:
        result = set == patchset::Ebu3237 ? measureEbu3237() : measureColorChecker();
        break;
    case MeasureFree: result = measureFree(); break;
    case MeasureCalibrate:
        // Reports through calibrateStarted / calibrateFinished and closes the output itself.
        runCalibration();
        return false;
    default:
        // Modes without a sequence (6, above 7, negative) measure nothing.
        break;
    }

    // A run that lost its instrument is the last of a "Measure ALL" chain too: nothing is left
    // to show the output for.
    if (closePatternAfterRun() || m_instrumentLost)
        stopPatternOnGui();
    return result;
}
