#pragma once
// Automation objects: the layer through which drivers reach instruments that their makers serve
// as automation (COM-style) servers. A driver holds an AutomationObject bound to a class by its
// programmatic identifier ("Maker.Class") or class id ("{...}") and talks to it by name:
//
//   AutomationObject server("CA200Srvr.Ca200");      // bound when the class is registered
//   server.dynamicCall("SetSyncMode(double)", 3.0);   // a method, by its signature
//   QList<QVariant> out{0, 0};
//   server.dynamicCall("GetChipSize(int&, int&)", out);  // out-parameters written back to `out`
//   AutomationObject* probe = server.querySubObject("SingleProbe()");  // an object it hands out
//   probe->readProperty("X");  probe->writeProperty("RemoteMode", 0);
//
// and listens to its signals: exception(code, source, description, help) when the server reports
// a failure, and serverEvent(name, arguments) for the events the server fires.
//
// Classes are found in a process-wide registry of AutomationServer factories. This platform has
// no system registry of such servers, so the registry starts empty: binding fails, calls on an
// unbound object do nothing and return an invalid QVariant, and each driver reports its
// instrument as missing. Tests register fake servers.
//
// Threads: a bound object may be called from any thread (the engine reads instruments on its
// worker thread); the server behind it must be safe for that. Binding and releasing happen while
// no other thread calls. Signals are emitted on the thread where the server raises them;
// receivers choose their connection type.

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

namespace platform {

class AutomationServer;
using AutomationServerPtr = std::shared_ptr<AutomationServer>;

// A server object handed out inside a QVariant: the result of a method or property that returns
// an object, or an event argument that carries one. AutomationObject::setReference binds to it.
struct AutomationReference
{
    AutomationServerPtr server;
};

// One server object: what a registered class creates and what a reference carries. Arguments
// arrive already converted to the types of the signature the caller named.
class AutomationServer : public QObject
{
    Q_OBJECT

public:
    AutomationServer();
    ~AutomationServer() override;

    // Method `name` with `args` (one per parameter of the caller's signature). Out-parameters are
    // written into `args`. Returns the method's result: invalid for a method without one, an
    // AutomationReference for one that returns an object. A failing method emits exception() and
    // returns an invalid QVariant.
    virtual QVariant invoke(const QString& name, QVariantList& args) = 0;
    // A property value; invalid when there is no such property.
    virtual QVariant readProperty(const QString& name) = 0;
    // False when the property does not exist or refuses the value.
    virtual bool writeProperty(const QString& name, const QVariant& value) = 0;

signals:
    void exception(int code, const QString& source, const QString& description, const QString& help);
    // An event with its arguments in the event's own order.
    void serverEvent(const QString& name, const QVariantList& args);
};

// The signature of a method as callers write it: "Name(type, type&, const QVariant&)".
struct AutomationSignature
{
    struct Parameter
    {
        int type = QMetaType::UnknownType; // QMetaType id the argument is converted to
        bool out = false;                  // written back by the server ("type&", not "const type&")
    };
    QString name;
    QVector<Parameter> parameters;
    bool method = false; // with parentheses; without them the name is a property
    bool valid = false;

    // Accepts the types bool, int, uint, long, short, double, float, QString and QVariant (long
    // and short travel as int, float as double), each optionally const and/or a reference.
    static AutomationSignature parse(const QString& signature);
};

class AutomationObject : public QObject
{
    Q_OBJECT

public:
    explicit AutomationObject(QObject* parent = nullptr);
    // Binds to `control` at once (see setControl).
    explicit AutomationObject(const QString& control, QObject* parent = nullptr);
    ~AutomationObject() override;

    // Binds to a new object of the class registered as `control` (ProgID or class id, compared
    // without regard to case). False, with a warning in the log, when no such class is
    // registered; the object is then null.
    bool setControl(const QString& control);
    // Binds to the object `reference` carries (an AutomationReference). False when it carries none.
    bool setReference(const QVariant& reference);
    QString control() const { return m_control; }
    bool isNull() const { return !m_server; }
    // Releases the server object.
    void clear();

    // Calls a method (signature with parentheses) or reads a property (a bare name). Arguments
    // beyond the signature's parameters must be invalid (left out); missing ones are the
    // parameter type's default. Invalid result when the object is null or the call failed.
    QVariant dynamicCall(const char* signature, const QVariant& a1 = QVariant(),
                         const QVariant& a2 = QVariant(), const QVariant& a3 = QVariant(),
                         const QVariant& a4 = QVariant(), const QVariant& a5 = QVariant(),
                         const QVariant& a6 = QVariant(), const QVariant& a7 = QVariant(),
                         const QVariant& a8 = QVariant());
    // As above with exactly one argument per parameter in `args`; out-parameters are written
    // back into it (in-parameters stay as given).
    QVariant dynamicCall(const char* signature, QList<QVariant>& args);

    // The object a method or property returns, bound in a new AutomationObject whose Qt parent is
    // this one (deleting it earlier is fine). Null when the object is null, the call failed or
    // the result is not an object.
    AutomationObject* querySubObject(const char* signature, const QVariant& a1 = QVariant(),
                                     const QVariant& a2 = QVariant(), const QVariant& a3 = QVariant(),
                                     const QVariant& a4 = QVariant());

    // Invalid when the object is null or has no such property.
    QVariant readProperty(const char* name) const;
    bool writeProperty(const char* name, const QVariant& value);

signals:
    void exception(int code, const QString& source, const QString& description, const QString& help);
    void serverEvent(const QString& name, const QVariantList& args);

private:
    void bind(AutomationServerPtr server);
    QVariant call(const AutomationSignature& signature, QList<QVariant>& args);

    AutomationServerPtr m_server;
    QString m_control;
    QList<QMetaObject::Connection> m_connections;
};

// The registry of automation classes. Empty on this platform; tests register fakes.
using AutomationFactory = std::function<AutomationServerPtr()>;
// Registers one class under all of `ids` (its ProgID and class id); a later registration of an
// id replaces the earlier one.
void registerAutomationClass(const QStringList& ids, AutomationFactory factory);
void unregisterAutomationClass(const QStringList& ids);
// A new object of the class, or null when none is registered (or its factory made none).
AutomationServerPtr createAutomationServer(const QString& id);

// Prepares the calling thread for automation calls, like the COM library's per-thread start:
// 0 ready, 1 ready already, anything else an error code (then the thread cannot use servers).
// Every result below 0x80000000 is a success and must be balanced by leaveAutomationThread().
long enterAutomationThread();
void leaveAutomationThread();
// The result the next enterAutomationThread() calls give (tests make it fail); 0 restores.
void setAutomationThreadResult(long result);

// The detectors installed for the CCD spectrometer's server, as the machine's list of them holds
// them: one entry per key with the key's name, its "szName" value and whether it can be opened.
// No list at all (std::nullopt) when the server's maker has installed nothing, which is the
// state on this platform; tests install one.
struct DetectorEntry
{
    QString key;
    QString displayName;
    bool readable = true;
};
std::optional<QVector<DetectorEntry>> installedDetectors();
void setInstalledDetectors(std::optional<QVector<DetectorEntry>> detectors);

} // namespace platform

Q_DECLARE_METATYPE(platform::AutomationReference)
