#pragma once
// Fake automation servers: scriptable objects that record every call, property read and write in
// one journal shared by the objects of a server, so a test can check the order and the arguments.
// Journal lines read "object.Method(arg, arg)", "object.Property?" (read) and
// "object.Property=value" (write); strings are quoted, doubles always show a decimal point
// ("3.0"), so a number sent as the wrong type is visible.
//
// The three instrument fakes build the object trees their drivers expect and register their class
// while they live (FakeCa200Server, FakeChroma5Server, FakeCcdServer).

#include "colour/color.h"
#include "platform/automation.h"

#include <QHash>
#include <QMutex>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class AutomationJournal
{
public:
    void add(const QString& line);
    QStringList lines() const;
    // The lines that begin with `prefix` (e.g. "probe.").
    QStringList linesOf(const QString& prefix) const;
    void clear();

    static QString format(const QVariant& value);

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
};

class FakeAutomationObject : public platform::AutomationServer
{
public:
    using Method = std::function<QVariant(QVariantList& args)>;

    FakeAutomationObject(const QString& label, std::shared_ptr<AutomationJournal> journal);

    // What a call of `name` does (it is recorded either way); a method without a handler returns
    // an invalid QVariant.
    void onCall(const QString& name, Method method);
    // A readable (and writable) property. Unknown properties read as invalid but accept writes.
    void setValue(const QString& property, const QVariant& value);
    QVariant value(const QString& property) const;
    // Makes writes of `property` fail.
    void refuseWrites(const QString& property);

    // Reports an exception now, on the calling thread.
    void raise(int code, const QString& source, const QString& description, const QString& help);
    // Fires an event now, on the calling thread.
    void fire(const QString& name, const QVariantList& args);
    // Fires an event later, from the event loop of the thread this object lives in.
    void post(const QString& name, const QVariantList& args);

    // `object` as a call result or event argument.
    static QVariant reference(const std::shared_ptr<FakeAutomationObject>& object);

    QVariant invoke(const QString& name, QVariantList& args) override;
    QVariant readProperty(const QString& name) override;
    bool writeProperty(const QString& name, const QVariant& value) override;

    const QString label;

private:
    std::shared_ptr<AutomationJournal> m_journal;
    mutable QMutex m_mutex;
    QHash<QString, Method> m_methods;
    QHash<QString, QVariant> m_values;
    QStringList m_refused;
};

// Registers a class while it lives.
class ScopedAutomationClass
{
public:
    ScopedAutomationClass(const QStringList& ids, platform::AutomationFactory factory);
    ~ScopedAutomationClass();

private:
    QStringList m_ids;
};

// The CA-210 server "CA200Srvr.Ca200": server -> SingleCa() -> SingleProbe() / Memory(). Each
// Measure() takes the next of `readings` (the last one repeats) for the probe's X, Y, Z.
class FakeCa200Server
{
public:
    FakeCa200Server();

    std::shared_ptr<AutomationJournal> journal;
    std::shared_ptr<FakeAutomationObject> server, singleCa, probe, memory;
    QList<CColor> readings{CColor(95.0, 100.0, 108.0)};
    // Code of the exception AutoConnect() reports at once; 0 for none.
    int connectException = 0;
    // Measure() calls that report an exception (1 = the first).
    QList<int> failingMeasures;
    int measures() const;
    int creations() const;

private:
    void measure();
    mutable QMutex m_mutex;
    int m_measures = 0;
    int m_creations = 0;
    ScopedAutomationClass m_class;
};

// The Chroma 5 server, registered under its class id. GetMeasurement answers the next of
// `readings` (x, y, Y and a status; the last one repeats).
class FakeChroma5Server
{
public:
    struct Reading
    {
        double x, y, Y;
        int status;
    };
    FakeChroma5Server();

    std::shared_ptr<AutomationJournal> journal;
    std::shared_ptr<FakeAutomationObject> probe;
    int openStatus = 0;
    QList<Reading> readings{{0.3127, 0.3290, 100.0, 0}};

private:
    QMutex m_mutex;
    int m_next = 0;
    ScopedAutomationClass m_class;
};

// The CCD server "JYCCD.JYMCD" with an installed detector list. Initialize(...) posts the event
// "Initialize" with `initStatus`; DoAcquisition(true) posts "Update" with `updateStatus` and a
// reference to the acquisition, whose GetResult() -> GetFirstDataObject() ->
// GetDataAsArray(QVariant&) delivers `data`.
class FakeCcdServer
{
public:
    FakeCcdServer();
    ~FakeCcdServer();

    std::shared_ptr<AutomationJournal> journal;
    std::shared_ptr<FakeAutomationObject> device, acquisition, result, data;
    int chipWidth = 1024;
    int chipHeight = 256;
    int initStatus = 0;
    int updateStatus = 100;
    bool withResult = true;      // GetResult() hands out an object
    bool withDataObject = true;  // GetFirstDataObject() hands out an object
    QVariantList values;         // the data array
    QStringList gains{"Low", "High"};

private:
    ScopedAutomationClass m_class;
};
