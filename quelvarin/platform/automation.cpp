#include "platform/automation.h"

#include "platform/logging.h"

#include <QDebug>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

#include <atomic>

namespace platform {
namespace {

QMutex registryMutex;

QHash<QString, AutomationFactory>& classes()
{
    static QHash<QString, AutomationFactory> table;
    return table;
}

std::optional<QVector<DetectorEntry>>& detectorList()
{
    static std::optional<QVector<DetectorEntry>> list;
    return list;
}

QString classKey(const QString& id)
{
    return id.trimmed().toLower();
}

std::atomic<long> threadResult{0};
thread_local int threadDepth = 0;

// The COM-style success test: results with the top bit clear succeeded.
bool succeeded(long result)
{
    return (static_cast<unsigned long>(result) & 0x80000000UL) == 0;
}

int parameterType(const QString& name)
{
    static const QHash<QString, int> types = {
        {QStringLiteral("bool"), QMetaType::Bool},       {QStringLiteral("int"), QMetaType::Int},
        {QStringLiteral("uint"), QMetaType::UInt},       {QStringLiteral("long"), QMetaType::Int},
        {QStringLiteral("short"), QMetaType::Int},       {QStringLiteral("double"), QMetaType::Double},
        {QStringLiteral("float"), QMetaType::Double},    {QStringLiteral("QString"), QMetaType::QString},
        {QStringLiteral("QVariant"), QMetaType::QVariant},
    };
    return types.value(name, QMetaType::UnknownType);
}

// `value` as parameter type `type`; false when it cannot be converted. An invalid value (an
// argument left out) becomes the type's default.
bool convertArgument(QVariant& value, int type)
{
    if (type == QMetaType::QVariant)
        return true;
    if (!value.isValid()) {
        value = QVariant(type, nullptr);
        return true;
    }
    if (value.userType() == type)
        return true;
    QVariant converted = value;
    if (!converted.convert(type))
        return false;
    value = converted;
    return true;
}

} // namespace

AutomationServer::AutomationServer() = default;
AutomationServer::~AutomationServer() = default;

AutomationSignature AutomationSignature::parse(const QString& text)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    AutomationSignature sig;
    const QString s = text.trimmed();
    const int open = s.indexOf(QLatin1Char('('));
    if (open < 0) {
        sig.name = s;
        sig.valid = identifier.match(s).hasMatch();
        return sig;
    }
    if (!s.endsWith(QLatin1Char(')')))
        return sig;
    sig.method = true;
    sig.name = s.left(open).trimmed();
    if (!identifier.match(sig.name).hasMatch())
        return sig;
    const QString inner = s.mid(open + 1, s.size() - open - 2).trimmed();
    if (!inner.isEmpty()) {
        for (QString p : inner.split(QLatin1Char(','))) {
            p = p.simplified();
            Parameter param;
            bool isConst = false;
            if (p.startsWith(QLatin1String("const "))) {
                isConst = true;
                p = p.mid(6).trimmed();
            }
            const bool reference = p.endsWith(QLatin1Char('&'));
            if (reference)
                p.chop(1);
            p = p.trimmed();
            param.type = parameterType(p);
            param.out = reference && !isConst;
            if (param.type == QMetaType::UnknownType)
                return sig;
            sig.parameters.append(param);
        }
    }
    sig.valid = true;
    return sig;
}

AutomationObject::AutomationObject(QObject* parent)
    : QObject(parent)
{
}

AutomationObject::AutomationObject(const QString& control, QObject* parent)
    : QObject(parent)
{
    setControl(control);
}

AutomationObject::~AutomationObject()
{
    clear();
}

bool AutomationObject::setControl(const QString& control)
{
    clear();
    m_control = control;
    AutomationServerPtr server = createAutomationServer(control);
    if (!server) {
        qCWarning(platformLog).noquote()
            << QStringLiteral("Automation: no server is registered for \"%1\"").arg(control);
        return false;
    }
    bind(std::move(server));
    return true;
}

bool AutomationObject::setReference(const QVariant& reference)
{
    clear();
    if (!reference.canConvert<AutomationReference>())
        return false;
    AutomationServerPtr server = reference.value<AutomationReference>().server;
    if (!server)
        return false;
    bind(std::move(server));
    return true;
}

void AutomationObject::bind(AutomationServerPtr server)
{
    m_server = std::move(server);
    // Forwarded on the thread that raises them, so a receiver connected directly learns of an
    // exception before the failing call returns to it.
    m_connections << connect(m_server.get(), &AutomationServer::exception, this,
                             &AutomationObject::exception, Qt::DirectConnection);
    m_connections << connect(m_server.get(), &AutomationServer::serverEvent, this,
                             &AutomationObject::serverEvent, Qt::DirectConnection);
}

void AutomationObject::clear()
{
    for (const QMetaObject::Connection& c : qAsConst(m_connections))
        disconnect(c);
    m_connections.clear();
    m_server.reset();
}

QVariant AutomationObject::dynamicCall(const char* signature, const QVariant& a1, const QVariant& a2,
                                       const QVariant& a3, const QVariant& a4, const QVariant& a5,
                                       const QVariant& a6, const QVariant& a7, const QVariant& a8)
{
    const AutomationSignature sig = AutomationSignature::parse(QString::fromLatin1(signature));
    QList<QVariant> args{a1, a2, a3, a4, a5, a6, a7, a8};
    while (!args.isEmpty() && !args.last().isValid())
        args.removeLast();
    if (sig.valid && args.size() > sig.parameters.size()) {
        qCWarning(platformLog).noquote() << QStringLiteral("Automation: %1 takes %2 arguments, %3 given")
                                    .arg(QLatin1String(signature))
                                    .arg(sig.parameters.size())
                                    .arg(args.size());
        return QVariant();
    }
    while (args.size() < sig.parameters.size())
        args.append(QVariant());
    return call(sig, args);
}

QVariant AutomationObject::dynamicCall(const char* signature, QList<QVariant>& args)
{
    const AutomationSignature sig = AutomationSignature::parse(QString::fromLatin1(signature));
    if (sig.valid && args.size() != sig.parameters.size()) {
        qCWarning(platformLog).noquote() << QStringLiteral("Automation: %1 takes %2 arguments, %3 given")
                                    .arg(QLatin1String(signature))
                                    .arg(sig.parameters.size())
                                    .arg(args.size());
        return QVariant();
    }
    return call(sig, args);
}

QVariant AutomationObject::call(const AutomationSignature& sig, QList<QVariant>& args)
{
    // Held for the call: a slot the call triggers may clear or delete this object.
    const AutomationServerPtr server = m_server;
    if (!server)
        return QVariant();
    if (!sig.valid) {
        qCWarning(platformLog).noquote()
            << QStringLiteral("Automation: cannot read the signature \"%1\"").arg(sig.name);
        return QVariant();
    }
    if (!sig.method)
        return server->readProperty(sig.name);

    QVariantList converted;
    converted.reserve(args.size());
    for (int i = 0; i < args.size(); ++i) {
        QVariant value = args.at(i);
        if (!convertArgument(value, sig.parameters.at(i).type)) {
            qCWarning(platformLog).noquote()
                << QStringLiteral("Automation: argument %1 of %2 has the wrong type")
                       .arg(i + 1)
                       .arg(sig.name);
            return QVariant();
        }
        converted.append(value);
    }
    const QVariant result = server->invoke(sig.name, converted);
    for (int i = 0; i < args.size() && i < converted.size(); ++i) {
        if (!sig.parameters.at(i).out)
            continue;
        QVariant value = converted.at(i);
        if (convertArgument(value, sig.parameters.at(i).type))
            args[i] = value;
        else
            args[i] = converted.at(i);
    }
    return result;
}

AutomationObject* AutomationObject::querySubObject(const char* signature, const QVariant& a1,
                                                   const QVariant& a2, const QVariant& a3,
                                                   const QVariant& a4)
{
    const QVariant result = dynamicCall(signature, a1, a2, a3, a4);
    if (!result.canConvert<AutomationReference>() || !result.value<AutomationReference>().server)
        return nullptr;
    auto* sub = new AutomationObject(this);
    sub->setReference(result);
    sub->m_control = QString::fromLatin1(signature);
    return sub;
}

QVariant AutomationObject::readProperty(const char* name) const
{
    const AutomationServerPtr server = m_server;
    return server ? server->readProperty(QString::fromLatin1(name)) : QVariant();
}

bool AutomationObject::writeProperty(const char* name, const QVariant& value)
{
    const AutomationServerPtr server = m_server;
    return server && server->writeProperty(QString::fromLatin1(name), value);
}

void registerAutomationClass(const QStringList& ids, AutomationFactory factory)
{
    QMutexLocker lock(&registryMutex);
    for (const QString& id : ids)
        classes().insert(classKey(id), factory);
}

void unregisterAutomationClass(const QStringList& ids)
{
    QMutexLocker lock(&registryMutex);
    for (const QString& id : ids)
        classes().remove(classKey(id));
}

AutomationServerPtr createAutomationServer(const QString& id)
{
    AutomationFactory factory;
    {
        QMutexLocker lock(&registryMutex);
        factory = classes().value(classKey(id));
    }
    // Built outside the lock: a server may create further objects through the registry.
    return factory ? factory() : nullptr;
}

long enterAutomationThread()
{
    const long result = threadResult.load();
    if (!succeeded(result))
        return result;
    return threadDepth++ == 0 ? result : 1;
}

void leaveAutomationThread()
{
    if (threadDepth > 0)
        --threadDepth;
}

void setAutomationThreadResult(long result)
{
    threadResult.store(result);
}

std::optional<QVector<DetectorEntry>> installedDetectors()
{
    QMutexLocker lock(&registryMutex);
    return detectorList();
}

void setInstalledDetectors(std::optional<QVector<DetectorEntry>> detectors)
{
    QMutexLocker lock(&registryMutex);
    detectorList() = std::move(detectors);
}

} // namespace platform
