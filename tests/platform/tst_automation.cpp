// The automation-object layer: signatures, calls with conversion and out-parameters, properties,
// sub-objects, exceptions and events, the class registry (empty unless a test registers), the
// per-thread start and the installed detector list.
#include "automationfakes.h"
#include "logcapture.h"
#include "platform/automation.h"
#include "testenv.h"

#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <thread>

using platform::AutomationObject;
using platform::AutomationSignature;

namespace {

const QString kId = QStringLiteral("Test.Server");

} // namespace

class TestAutomation : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_journal = std::make_shared<AutomationJournal>();
        m_fake = std::make_shared<FakeAutomationObject>("obj", m_journal);
        m_class = std::make_unique<ScopedAutomationClass>(QStringList{kId, "{ABCDEF01-0000}"},
                                                          [this] { return m_fake; });
    }
    void cleanup()
    {
        m_class.reset();
        m_fake.reset();
    }

    void signatures_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("method");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<QList<bool>>("outs");

        using L = QList<int>;
        using B = QList<bool>;
        QTest::newRow("no parameters") << "AutoConnect()" << true << true << "AutoConnect" << L{} << B{};
        QTest::newRow("in and out") << "GetDefaultUnits(int, int&, QVariant&)" << true << true
                                    << "GetDefaultUnits" << L{QMetaType::Int, QMetaType::Int, QMetaType::QVariant}
                                    << B{false, true, true};
        QTest::newRow("const reference is in") << "Initialize(const QVariant&, const QVariant &)" << true
                                               << true << "Initialize"
                                               << L{QMetaType::QVariant, QMetaType::QVariant} << B{false, false};
        QTest::newRow("long, short and float travel as int and double")
            << "Get(long, short&, float)" << true << true << "Get"
            << L{QMetaType::Int, QMetaType::Int, QMetaType::Double} << B{false, true, false};
        QTest::newRow("bare name is a property") << "SerialNO" << true << false << "SerialNO" << L{} << B{};
        QTest::newRow("unknown type") << "Set(QWidget*)" << false << true << "Set" << L{} << B{};
        QTest::newRow("unclosed") << "Set(int" << false << false << "" << L{} << B{};
        QTest::newRow("empty parameter") << "Set(int,)" << false << true << "Set" << L{QMetaType::Int} << B{false};
        QTest::newRow("not a name") << "1Set()" << false << true << "1Set" << L{} << B{};
    }
    void signatures()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(bool, method);
        QFETCH(QString, name);
        QFETCH(QList<int>, types);
        QFETCH(QList<bool>, outs);
        const AutomationSignature sig = AutomationSignature::parse(text);
        QCOMPARE(sig.valid, valid);
        QCOMPARE(sig.method, method);
        QCOMPARE(sig.name, name);
        if (!valid)
            return;
        QList<int> gotTypes;
        QList<bool> gotOuts;
        for (const auto& p : sig.parameters) {
            gotTypes << p.type;
            gotOuts << p.out;
        }
        QCOMPARE(gotTypes, types);
        QCOMPARE(gotOuts, outs);
    }

    void argumentsAreConvertedToTheSignature_data()
    {
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QString>("recorded"); // empty: no call reaches the server

        QTest::newRow("int to double") << "SetSyncMode(double)" << QVariantList{3} << "obj.SetSyncMode(3.0)";
        QTest::newRow("text to int") << "SelectADC(int)" << QVariantList{"2"} << "obj.SelectADC(2)";
        QTest::newRow("left-out argument is the default")
            << "DefineAcquisitionFormat(int, long)" << QVariantList{1} << "obj.DefineAcquisitionFormat(1, 0)";
        QTest::newRow("QVariant passes as given")
            << "Initialize(const QVariant&, const QVariant&)" << QVariantList{false, "x"}
            << "obj.Initialize(false, \"x\")";
        QTest::newRow("bool from int") << "DoAcquisition(bool)" << QVariantList{1} << "obj.DoAcquisition(true)";
        QTest::newRow("too many arguments") << "AutoConnect()" << QVariantList{1} << "";
        QTest::newRow("text that is no number") << "SelectADC(int)" << QVariantList{"two"} << "";
        QTest::newRow("unreadable signature") << "Select ADC(int)" << QVariantList{2} << "";
    }
    void argumentsAreConvertedToTheSignature()
    {
        QFETCH(QString, signature);
        QFETCH(QVariantList, args);
        QFETCH(QString, recorded);
        AutomationObject object(kId);
        LogCapture log;
        const QByteArray sig = signature.toLatin1();
        QVariant a[2];
        for (int i = 0; i < args.size(); ++i)
            a[i] = args.at(i);
        const QVariant result = object.dynamicCall(sig.constData(), a[0], a[1]);
        QVERIFY(!result.isValid());
        if (recorded.isEmpty()) {
            QVERIFY(m_journal->lines().isEmpty());
            QCOMPARE(log.messages(QtWarningMsg).size(), 1);
        } else {
            QCOMPARE(m_journal->lines(), QStringList{recorded});
            QVERIFY(log.messages(QtWarningMsg).isEmpty());
        }
    }

    void outParametersAreWrittenBack()
    {
        m_fake->onCall("GetDefaultUnits", [](QVariantList& args) {
            args[0] = 99;           // an in-parameter: the caller's stays
            args[1] = QString("13"); // converted back to int
            args[2] = QStringList{"nm"};
            return QVariant(0);
        });
        AutomationObject object(kId);
        QList<QVariant> args{3, 0, QVariant()};
        const QVariant status = object.dynamicCall("GetDefaultUnits(int, int&, QVariant&)", args);
        QCOMPARE(status, QVariant(0));
        QCOMPARE(args.at(0), QVariant(3));
        QCOMPARE(args.at(1).userType(), int(QMetaType::Int));
        QCOMPARE(args.at(1).toInt(), 13);
        QCOMPARE(args.at(2).toStringList(), QStringList{"nm"});
        QCOMPARE(m_journal->lines(), QStringList{"obj.GetDefaultUnits(3, 0, <none>)"});
    }

    void listCallNeedsOneArgumentPerParameter()
    {
        AutomationObject object(kId);
        LogCapture log;
        QList<QVariant> args{0};
        QVERIFY(!object.dynamicCall("GetChipSize(int&, int&)", args).isValid());
        QVERIFY(m_journal->lines().isEmpty());
        QCOMPARE(args, QList<QVariant>{0});
        QCOMPARE(log.messages(QtWarningMsg).size(), 1);
    }

    void propertiesReadAndWrite()
    {
        m_fake->setValue("SerialNO", "A123");
        m_fake->refuseWrites("Locked");
        AutomationObject object(kId);
        QCOMPARE(object.readProperty("SerialNO"), QVariant("A123"));
        QCOMPARE(object.dynamicCall("SerialNO"), QVariant("A123")); // a bare name reads too
        QVERIFY(!object.readProperty("Missing").isValid());
        QVERIFY(object.writeProperty("RemoteMode", 0));
        QVERIFY(!object.writeProperty("Locked", 1));
        QCOMPARE(m_fake->value("RemoteMode"), QVariant(0));
        QCOMPARE(m_journal->lines(),
                 (QStringList{"obj.SerialNO?", "obj.SerialNO?", "obj.Missing?", "obj.RemoteMode=0", "obj.Locked=1"}));
    }

    void unregisteredClassGivesANullObject_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("bound");
        QTest::newRow("ProgID") << kId << true;
        QTest::newRow("class id in other case") << "{abcdef01-0000}" << true;
        QTest::newRow("unknown ProgID") << "CA200Srvr.Ca200" << false;
        QTest::newRow("empty") << "" << false;
    }
    void unregisteredClassGivesANullObject()
    {
        QFETCH(QString, control);
        QFETCH(bool, bound);
        LogCapture log;
        AutomationObject object;
        QCOMPARE(object.setControl(control), bound);
        QCOMPARE(object.isNull(), !bound);
        QCOMPARE(object.control(), control);
        if (bound)
            return;
        QCOMPARE(log.messages(QtWarningMsg), QStringList{QString("Automation: no server is registered for \"%1\"").arg(control)});
        QList<QVariant> out{0, 0};
        QVERIFY(!object.dynamicCall("GetChipSize(int&, int&)", out).isValid());
        QCOMPARE(out, (QList<QVariant>{0, 0}));
        QVERIFY(!object.readProperty("X").isValid());
        QVERIFY(!object.writeProperty("X", 1));
        QVERIFY(!object.querySubObject("SingleCa()"));
    }

    void nothingIsRegisteredOnThisPlatform()
    {
        m_class.reset();
        for (const char* id : {"CA200Srvr.Ca200", "JYCCD.JYMCD", "{16826aeb-f9e9-423a-b403-cdfb867ce458}"})
            QVERIFY(!platform::createAutomationServer(id));
        QVERIFY(!platform::createAutomationServer(kId)); // gone with its registration
        QVERIFY(!platform::installedDetectors().has_value());
    }

    void subObjectsAreChildren()
    {
        auto child = std::make_shared<FakeAutomationObject>("child", m_journal);
        child->setValue("X", 1.5);
        m_fake->onCall("SingleCa", [child](QVariantList&) { return FakeAutomationObject::reference(child); });
        m_fake->onCall("Plain", [](QVariantList&) { return QVariant(4); });
        auto* parent = new AutomationObject(kId);
        AutomationObject* sub = parent->querySubObject("SingleCa()");
        QVERIFY(sub);
        QCOMPARE(sub->parent(), parent);
        QCOMPARE(sub->readProperty("X"), QVariant(1.5));
        QVERIFY(!parent->querySubObject("Plain()"));
        QVERIFY(!parent->querySubObject("Missing()"));
        QPointer<AutomationObject> watch(sub);
        delete parent;
        QVERIFY(watch.isNull());
    }

    void referenceBindsOnlyToAnObject()
    {
        AutomationObject object;
        QVERIFY(!object.setReference(QVariant(5)));
        QVERIFY(!object.setReference(QVariant::fromValue(platform::AutomationReference{})));
        QVERIFY(object.isNull());
        QVERIFY(object.setReference(FakeAutomationObject::reference(m_fake)));
        QVERIFY(!object.isNull());
    }

    void exceptionArrivesBeforeTheFailingCallReturns()
    {
        m_fake->onCall("Measure", [this](QVariantList&) {
            m_fake->raise(7, "src", "desc", "help");
            return QVariant();
        });
        AutomationObject object(kId);
        QStringList seen;
        connect(&object, &AutomationObject::exception, this,
                [&](int code, const QString& s, const QString& d, const QString& h) {
                    seen << QString("%1 %2 %3 %4").arg(code).arg(s, d, h);
                },
                Qt::DirectConnection);
        std::thread worker([&] { object.dynamicCall("Measure()"); });
        worker.join();
        QCOMPARE(seen, QStringList{"7 src desc help"});
    }

    void eventsCarryTheirArguments()
    {
        AutomationObject object(kId);
        QSignalSpy spy(&object, &AutomationObject::serverEvent);
        m_fake->fire("Update", {100, FakeAutomationObject::reference(m_fake)});
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QString("Update"));
        const QVariantList args = spy.at(0).at(1).toList();
        QCOMPARE(args.size(), 2);
        QCOMPARE(args.at(0), QVariant(100));
        AutomationObject carried;
        QVERIFY(carried.setReference(args.at(1)));

        // A released object hears nothing more.
        object.clear();
        m_fake->fire("Update", {100});
        QCOMPARE(spy.size(), 1);
    }

    void threadStart()
    {
        QCOMPARE(platform::enterAutomationThread(), 0L);
        QCOMPARE(platform::enterAutomationThread(), 1L); // already started
        platform::leaveAutomationThread();
        platform::leaveAutomationThread();
        QCOMPARE(platform::enterAutomationThread(), 0L);
        platform::leaveAutomationThread();

        platform::setAutomationThreadResult(long(0x80004005L));
        QCOMPARE(platform::enterAutomationThread(), long(0x80004005L));
        platform::setAutomationThreadResult(0);
        QCOMPARE(platform::enterAutomationThread(), 0L);
        platform::leaveAutomationThread();
    }

    void detectorList()
    {
        QVERIFY(!platform::installedDetectors().has_value());
        platform::setInstalledDetectors(QVector<platform::DetectorEntry>{{"CCD1", "one", true}});
        QCOMPARE(platform::installedDetectors()->size(), 1);
        QCOMPARE(platform::installedDetectors()->first().key, QString("CCD1"));
        platform::setInstalledDetectors(QVector<platform::DetectorEntry>{});
        QVERIFY(platform::installedDetectors().has_value());
        QVERIFY(platform::installedDetectors()->isEmpty());
        platform::setInstalledDetectors(std::nullopt);
        QVERIFY(!platform::installedDetectors().has_value());
    }

private:
    std::shared_ptr<AutomationJournal> m_journal;
    std::shared_ptr<FakeAutomationObject> m_fake;
    std::unique_ptr<ScopedAutomationClass> m_class;
};

QV_TEST_MAIN_CORE(TestAutomation)
#include "tst_automation.moc"
