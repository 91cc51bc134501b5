#include "automationfakes.h"

#include <QMetaObject>
#include <QMutexLocker>

void AutomationJournal::add(const QString& line)
{
    QMutexLocker lock(&m_mutex);
    m_lines << line;
}

QStringList AutomationJournal::lines() const
{
    QMutexLocker lock(&m_mutex);
    return m_lines;
}

QStringList AutomationJournal::linesOf(const QString& prefix) const
{
    QMutexLocker lock(&m_mutex);
    QStringList out;
    for (const QString& l : m_lines)
        if (l.startsWith(prefix))
            out << l;
    return out;
}

void AutomationJournal::clear()
{
    QMutexLocker lock(&m_mutex);
    m_lines.clear();
}

QString AutomationJournal::format(const QVariant& value)
{
    if (!value.isValid())
        return QStringLiteral("<none>");
    switch (value.userType()) {
    case QMetaType::QString:
        return '"' + value.toString() + '"';
    case QMetaType::Double: {
        QString s = QString::number(value.toDouble(), 'g', 12);
        if (!s.contains('.') && !s.contains('e') && !s.contains("n"))
            s += QStringLiteral(".0");
        return s;
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        if (value.canConvert<platform::AutomationReference>())
            return QStringLiteral("<object>");
        return value.toString();
    }
}

FakeAutomationObject::FakeAutomationObject(const QString& label, std::shared_ptr<AutomationJournal> journal)
    : label(label)
    , m_journal(std::move(journal))
{
}

void FakeAutomationObject::onCall(const QString& name, Method method)
{
    QMutexLocker lock(&m_mutex);
    m_methods.insert(name, std::move(method));
}

void FakeAutomationObject::setValue(const QString& property, const QVariant& value)
{
    QMutexLocker lock(&m_mutex);
    m_values.insert(property, value);
}

QVariant FakeAutomationObject::value(const QString& property) const
{
    QMutexLocker lock(&m_mutex);
    return m_values.value(property);
}

void FakeAutomationObject::refuseWrites(const QString& property)
{
    QMutexLocker lock(&m_mutex);
    m_refused << property;
}

void FakeAutomationObject::raise(int code, const QString& source, const QString& description,
                                 const QString& help)
{
    emit exception(code, source, description, help);
}

void FakeAutomationObject::fire(const QString& name, const QVariantList& args)
{
    emit serverEvent(name, args);
}

void FakeAutomationObject::post(const QString& name, const QVariantList& args)
{
    QMetaObject::invokeMethod(this, [this, name, args] { emit serverEvent(name, args); },
                              Qt::QueuedConnection);
}

QVariant FakeAutomationObject::reference(const std::shared_ptr<FakeAutomationObject>& object)
{
    return QVariant::fromValue(platform::AutomationReference{object});
}

QVariant FakeAutomationObject::invoke(const QString& name, QVariantList& args)
{
    QStringList shown;
    for (const QVariant& a : args)
        shown << AutomationJournal::format(a);
    m_journal->add(QStringLiteral("%1.%2(%3)").arg(label, name, shown.join(", ")));
    Method method;
    {
        QMutexLocker lock(&m_mutex);
        method = m_methods.value(name);
    }
    return method ? method(args) : QVariant();
}

QVariant FakeAutomationObject::readProperty(const QString& name)
{
    m_journal->add(QStringLiteral("%1.%2?").arg(label, name));
    QMutexLocker lock(&m_mutex);
    return m_values.value(name);
}

bool FakeAutomationObject::writeProperty(const QString& name, const QVariant& value)
{
    m_journal->add(QStringLiteral("%1.%2=%3").arg(label, name, AutomationJournal::format(value)));
    QMutexLocker lock(&m_mutex);
    if (m_refused.contains(name))
        return false;
    m_values.insert(name, value);
    return true;
}

ScopedAutomationClass::ScopedAutomationClass(const QStringList& ids, platform::AutomationFactory factory)
    : m_ids(ids)
{
    platform::registerAutomationClass(ids, std::move(factory));
}

ScopedAutomationClass::~ScopedAutomationClass()
{
    platform::unregisterAutomationClass(m_ids);
}

// --- CA-210 ------------------------------------------------------------------------------------

FakeCa200Server::FakeCa200Server()
    : journal(std::make_shared<AutomationJournal>())
    , server(std::make_shared<FakeAutomationObject>("server", journal))
    , singleCa(std::make_shared<FakeAutomationObject>("singleCa", journal))
    , probe(std::make_shared<FakeAutomationObject>("probe", journal))
    , memory(std::make_shared<FakeAutomationObject>("memory", journal))
    , m_class({QStringLiteral("CA200Srvr.Ca200")}, [this] {
        QMutexLocker lock(&m_mutex);
        ++m_creations;
        return server;
    })
{
    server->onCall("AutoConnect", [this](QVariantList&) {
        if (connectException)
            server->raise(connectException, "CA200Srvr", "Probe not connected", "");
        return QVariant();
    });
    server->onCall("SingleCa", [this](QVariantList&) { return FakeAutomationObject::reference(singleCa); });
    singleCa->onCall("SingleProbe", [this](QVariantList&) { return FakeAutomationObject::reference(probe); });
    singleCa->onCall("Memory", [this](QVariantList&) { return FakeAutomationObject::reference(memory); });
    singleCa->onCall("Measure", [this](QVariantList&) {
        measure();
        return QVariant();
    });
    probe->setValue("SerialNO", "12345678");
    measure(); // the probe holds the first reading before any Measure()
    QMutexLocker lock(&m_mutex);
    m_measures = 0;
}

void FakeCa200Server::measure()
{
    int n = 0;
    CColor c;
    {
        QMutexLocker lock(&m_mutex);
        n = ++m_measures;
        c = readings.isEmpty() ? CColor(0.0, 0.0, 0.0) : readings.at(qMin(n, readings.size()) - 1);
    }
    probe->setValue("X", c[0]);
    probe->setValue("Y", c[1]);
    probe->setValue("Z", c[2]);
    if (failingMeasures.contains(n))
        singleCa->raise(5000 + n, "CA200Srvr", "Measurement failed", "");
}

int FakeCa200Server::measures() const
{
    QMutexLocker lock(&m_mutex);
    return m_measures;
}

int FakeCa200Server::creations() const
{
    QMutexLocker lock(&m_mutex);
    return m_creations;
}

// --- Chroma 5 ----------------------------------------------------------------------------------

FakeChroma5Server::FakeChroma5Server()
    : journal(std::make_shared<AutomationJournal>())
    , probe(std::make_shared<FakeAutomationObject>("c5", journal))
    , m_class({QStringLiteral("{16826AEB-F9E9-423A-B403-CDFB867CE458}")}, [this] { return probe; })
{
    probe->onCall("OpenProbe", [this](QVariantList& args) {
        if (!args.isEmpty())
            args[0] = QStringLiteral("C5 2.1");
        return QVariant(openStatus);
    });
    probe->onCall("CloseProbe", [](QVariantList&) { return QVariant(0); });
    probe->onCall("GetMeasurement", [this](QVariantList& args) {
        Reading r{0, 0, 0, 1};
        {
            QMutexLocker lock(&m_mutex);
            if (!readings.isEmpty())
                r = readings.at(qMin(m_next++, readings.size() - 1));
        }
        if (args.size() == 4) {
            args[0] = r.x;
            args[1] = r.y;
            args[2] = r.Y;
            args[3] = 6504;
        }
        return QVariant(r.status);
    });
}

// --- CCD ---------------------------------------------------------------------------------------

FakeCcdServer::FakeCcdServer()
    : journal(std::make_shared<AutomationJournal>())
    , device(std::make_shared<FakeAutomationObject>("ccd", journal))
    , acquisition(std::make_shared<FakeAutomationObject>("acquisition", journal))
    , result(std::make_shared<FakeAutomationObject>("result", journal))
    , data(std::make_shared<FakeAutomationObject>("data", journal))
    , m_class({QStringLiteral("JYCCD.JYMCD")}, [this] { return device; })
{
    platform::setInstalledDetectors(QVector<platform::DetectorEntry>{{"CCD1", "Synapse CCD", true}});
    for (int i = 0; i < 1024; ++i)
        values << i;
    device->setValue("FirmwareVersion", "2.04");
    device->setValue("Description", "Back-illuminated CCD");
    device->setValue("Name", "CCD detector");
    device->setValue("SerialNumber", "SYN-0012345678");
    device->setValue("ReadyForAcquisition", true);
    device->onCall("Initialize", [this](QVariantList&) {
        device->post("Initialize", {initStatus});
        return QVariant();
    });
    device->onCall("GetChipSize", [this](QVariantList& args) {
        if (args.size() == 2) {
            args[0] = chipWidth;
            args[1] = chipHeight;
        }
        return QVariant();
    });
    auto gain = std::make_shared<int>(0);
    device->onCall("GetFirstGain", [this, gain](QVariantList& args) {
        *gain = 0;
        if (gains.isEmpty())
            return QVariant(-1);
        args[0] = gains.first();
        return QVariant(0);
    });
    device->onCall("GetNextGain", [this, gain](QVariantList& args) {
        if (++*gain >= gains.size())
            return QVariant(-1);
        args[0] = gains.at(*gain);
        return QVariant(*gain);
    });
    device->onCall("GetFirstADC", [](QVariantList& args) {
        args[0] = QStringLiteral("Fast");
        return QVariant(0);
    });
    device->onCall("GetNextADC", [](QVariantList&) { return QVariant(-1); });
    device->onCall("IsOperatingModeSupported", [](QVariantList&) { return QVariant(true); });
    device->onCall("DoAcquisition", [this](QVariantList&) {
        device->post("Update", {updateStatus, FakeAutomationObject::reference(acquisition)});
        return QVariant();
    });
    acquisition->onCall("GetResult", [this](QVariantList&) {
        return withResult ? FakeAutomationObject::reference(result) : QVariant();
    });
    result->onCall("GetFirstDataObject", [this](QVariantList&) {
        return withDataObject ? FakeAutomationObject::reference(data) : QVariant();
    });
    data->onCall("GetDataAsArray", [this](QVariantList& args) {
        if (!args.isEmpty())
            args[0] = values;
        return QVariant();
    });
}

FakeCcdServer::~FakeCcdServer()
{
    platform::setInstalledDetectors(std::nullopt);
}
