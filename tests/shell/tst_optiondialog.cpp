// The Options dialog and its pages: which pages by the mask, loading on opening, saving on OK and
// nothing on Cancel, and each page's keys.

#include "shell/optiondialog.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "platform/settings.h"
#include "sensors/crsensor.h"
#include "sensors/sensor.h"
#include "shell/displaypage.h"
#include "shell/languagepage.h"
#include "shell/measurepage.h"
#include "shell/referencepage.h"
#include "shell/sensorpage.h"

#include "apptestmain.h"
#include "countingsensor.h"
#include "cremulator.h"
#include "logcapture.h"
#include "serialemulator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>

namespace {

// A driver with the Spyder 4/5 driver's monitor slots, recording what reaches them.
class MonitorChoiceSensor : public CSensor
{
    Q_OBJECT

public:
    explicit MonitorChoiceSensor(int model) { name = sensorModelName(model); }
    QList<QPair<QString, int>> calls;

public slots:
    void setGammut(int m) { calls << qMakePair(QString("gammut"), m); }
    void setBackLight(int n) { calls << qMakePair(QString("backlight"), n); }
};

QStringList tabTitles(const OptionDialog& d)
{
    QStringList out;
    if (d.tabWidget)
        for (int i = 0; i < d.tabWidget->count(); ++i)
            out << d.tabWidget->tabText(i);
    return out;
}

// Every key of the store with its value.
QMap<QString, QString> allSettings()
{
    QSettings s = platform::kwSettings();
    QMap<QString, QString> out;
    for (const QString& k : s.allKeys())
        out.insert(k, s.value(k).toString());
    return out;
}

QStringList comboItems(const QComboBox* combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

// A CR-100/CR-250 driver connected to the emulated instrument on COM1, its connection exchange
// cleared from the log. Null when it did not connect.
std::unique_ptr<CRXXXCensor> connectedCr(SerialEmulator& emu, const QByteArray& model,
                                         const QByteArray& syncMode)
{
    emu.bindTo(1);
    cremulator::Options o;
    o.model = model;
    o.syncMode = syncMode;
    cremulator::install(emu, o, {});
    auto sensor = std::make_unique<CRXXXCensor>();
    sensor->timing.readTimeoutMs = 100;
    sensor->timing.replyDeadlineMs = 600;
    sensor->timing.initDeadlineMs = 400;
    if (!sensor->init())
        return nullptr;
    emu.clearLog();
    return sensor;
}

// "field=value" for the driver's current settings.
QString crField(const CRXXXCensor& s, const QString& field)
{
    const QMap<QString, int> values{{"userCalibMode", s.userCalibMode}, {"matrix", s.matrix},
                                    {"match", s.match},                 {"syncMode", s.syncMode},
                                    {"syncFreq", s.syncFreq},           {"speed", s.speed}};
    return field + "=" + (values.contains(field) ? QString::number(values.value(field)) : "?");
}

QStringList tableRow(QTableWidget* t, int row)
{
    return {t->item(row, 0)->text(), t->item(row, 1)->text()};
}

} // namespace

class TestOptionDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pagesByMask_data();
    void pagesByMask();
    void cancelWritesNothing();
    void okWritesEveryPagesKeys_data();
    void okWritesEveryPagesKeys();

    void referencePageOnAnEmptyStore();
    void referenceTableFollowsStandardWhiteAndChart();
    void referenceGammaTextStored_data();
    void referenceGammaTextStored();
    void referenceBt1886KeepsTheStoredExponent();
    void hotKeyWritersChangeOnlyTheirKey_data();
    void hotKeyWritersChangeOnlyTheirKey();

    void measurePageOnAnEmptyStore();
    void measurePageStepChangeEmptiesTheGrayResults_data();
    void measurePageStepChangeEmptiesTheGrayResults();
    void measurePageNativeKeepsTheAddress();

    void sensorPagePort_data();
    void sensorPagePort();
    void sensorPageMonitorRowsByDriver_data();
    void sensorPageMonitorRowsByDriver();
    void sensorPageCrRows_data();
    void sensorPageCrRows();
    void sensorPageCrChoicesReachTheInstrument_data();
    void sensorPageCrChoicesReachTheInstrument();

    void languageAndDisplayPages_data();
    void languageAndDisplayPages();

private:
    Measure* engine() const { return m_thread->measure(); }
    void attachCounting(int model, int caps);

    std::unique_ptr<MeasureThread> m_thread;
    SensorCounters m_counters;
};

void TestOptionDialog::init()
{
    testenv::clearSettings();
    m_counters = SensorCounters();
    m_thread = std::make_unique<MeasureThread>();
}

void TestOptionDialog::cleanup()
{
    m_thread.reset();
}

void TestOptionDialog::attachCounting(int model, int caps)
{
    engine()->sensorFactory().setCreator(model, SensorLink::Default, [this, model, caps](SigAdapter*) {
        auto* s = new CountingSensor(&m_counters, model, true, "SN-42");
        s->caps = caps;
        return s;
    });
    QVERIFY(engine()->openSensor(model));
}

void TestOptionDialog::pagesByMask_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<bool>("sensor");
    QTest::addColumn<QStringList>("tabs"); // empty: no tab widget
    QTest::addColumn<QString>("only");     // the one page shown without tabs
    QTest::newRow("11 with an instrument") << 11 << true << QStringList{"Reference", "K-10", "Measure"} << "";
    QTest::newRow("11 without an instrument") << 11 << false << QStringList{"Reference", "Measure"} << "";
    QTest::newRow("one bit: the page alone") << 1 << true << QStringList() << "reference";
    QTest::newRow("2 without an instrument: no page") << 2 << false << QStringList() << "";
    QTest::newRow("all five") << 31 << true
                              << QStringList{"Reference", "K-10", "Measure", "Language", "Display"}
                              << "";
}

void TestOptionDialog::pagesByMask()
{
    QFETCH(int, mask);
    QFETCH(bool, sensor);
    QFETCH(QStringList, tabs);
    QFETCH(QString, only);
    if (sensor)
        attachCounting(SensorModel::K10, 0);
    OptionDialog d(mask, engine(), 0, nullptr);
    QCOMPARE(d.windowTitle(), QString("Options"));
    QCOMPARE(tabTitles(d), tabs);
    QCOMPARE(bool(d.tabWidget), !tabs.isEmpty());
    QCOMPARE(bool(d.sensorPage), sensor && (mask & 2));
    if (only == "reference") {
        QVERIFY(d.referencePage);
        QCOMPARE(d.referencePage->parentWidget(), &d);
    }
    if (mask == 2 && !sensor)
        QVERIFY(!d.referencePage && !d.measurePage && !d.sensorPage && !d.languagePage
                && !d.displayPage);
}

void TestOptionDialog::cancelWritesNothing()
{
    attachCounting(SensorModel::K10, SensorCaps::SerialPort);
    platform::writeSetting("measure", "steps", 20);
    const QMap<QString, QString> before = allSettings();
    OptionDialog d(31, engine(), 2, nullptr);
    d.referencePage->standardCombo->setCurrentIndex(0);
    d.referencePage->gammaTypeCombo->setCurrentIndex(1);
    d.referencePage->cie1976Button->click();
    d.measurePage->stepsSpin->setValue(50);
    d.measurePage->tcpButton->click();
    d.sensorPage->portCombo->setCurrentIndex(4);
    d.languagePage->languageList->setCurrentRow(1);
    d.displayPage->screenCombo->setCurrentIndex(1);
    d.reject();
    QCOMPARE(allSettings(), before);
}

void TestOptionDialog::okWritesEveryPagesKeys_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value"); // empty: not written
    QTest::newRow("reference/colorspace") << "reference/colorspace" << "0";
    QTest::newRow("reference/whitetarget") << "reference/whitetarget" << "6";
    QTest::newRow("reference/gammatype") << "reference/gammatype" << "0";
    QTest::newRow("reference/gamma") << "reference/gamma" << "2.4";
    QTest::newRow("reference/ciechart") << "reference/ciechart" << "1";
    QTest::newRow("measure/steps") << "measure/steps" << "33";
    QTest::newRow("measure/warmtime") << "measure/warmtime" << "250";
    QTest::newRow("measure/colortype") << "measure/colortype" << "1";
    QTest::newRow("measure/sigtype") << "measure/sigtype" << "1";
    QTest::newRow("measure/ipadd") << "measure/ipadd" << "10.0.0.7";
    QTest::newRow("sensor/lastport") << "sensor/lastport" << "4";
    QTest::newRow("global/language") << "global/language" << "zh_CN";
    QTest::newRow("display/index never") << "display/index" << "";
}

void TestOptionDialog::okWritesEveryPagesKeys()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    attachCounting(SensorModel::K10, SensorCaps::SerialPort);
    OptionDialog d(31, engine(), 3, nullptr);
    d.referencePage->standardCombo->setCurrentIndex(0);
    d.referencePage->whiteTargetCheck->click();
    d.referencePage->whiteTargetCombo->setCurrentIndex(6);
    d.referencePage->gammaEdit->setText("2.4");
    d.referencePage->cie1976Button->click();
    d.measurePage->stepsSpin->setValue(33);
    d.measurePage->warmTimeSpin->setValue(250);
    d.measurePage->ebuButton->click();
    d.measurePage->tcpButton->click();
    d.measurePage->ipEdit->setText("10.0.0.7");
    d.sensorPage->portCombo->setCurrentIndex(4);
    d.languagePage->languageList->setCurrentRow(1);
    d.displayPage->screenCombo->setCurrentIndex(2);
    d.accept();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QSettings s = platform::kwSettings();
    if (value.isEmpty())
        QVERIFY(!s.contains(key));
    else
        QCOMPARE(s.value(key).toString(), value);
}

void TestOptionDialog::referencePageOnAnEmptyStore()
{
    ReferencePage p(nullptr);
    p.LoadReference();
    QCOMPARE(p.standardCombo->currentText(), QString("HDTV rec709"));
    QVERIFY(!p.whiteTargetCheck->isChecked());
    QVERIFY(!p.whiteTargetCombo->isEnabled());
    QCOMPARE(p.whiteTargetCombo->currentText(), QString("D65"));
    QCOMPARE(p.gammaTypeCombo->currentText(), QString("Power"));
    QCOMPARE(p.gammaEdit->text(), QString("2.22222"));
    QVERIFY(p.gammaEdit->isEnabled());
    QVERIFY(p.cie1931Button->isChecked());
    QCOMPARE(tableRow(p.valueTable, 0), (QStringList{"0.64", "0.33"}));
    QCOMPARE(tableRow(p.valueTable, 1), (QStringList{"0.3", "0.6"}));
    QCOMPARE(tableRow(p.valueTable, 2), (QStringList{"0.15", "0.06"}));
    QCOMPARE(tableRow(p.valueTable, 3), (QStringList{"0.312712", "0.329008"}));
    QVERIFY(!p.valueTable->isEnabled());

    // OK with the text untouched stores the exponent as shown.
    p.SaveReference();
    QCOMPARE(platform::readSetting("reference", "gamma").toDouble(), 2.22222);
    QCOMPARE(platform::readSetting("reference", "whitetarget").toInt(), -1);
}

void TestOptionDialog::referenceTableFollowsStandardWhiteAndChart()
{
    ReferencePage p(nullptr);
    p.LoadReference();
    p.standardCombo->setCurrentIndex(5);
    QCOMPARE(p.whiteTargetCombo->currentText(), QString("Dcip3"));
    QCOMPARE(tableRow(p.valueTable, 3), (QStringList{"0.314", "0.351"}));
    p.standardCombo->setCurrentIndex(0);
    QCOMPARE(p.whiteTargetCombo->currentText(), QString("D65"));

    p.cie1976Button->click();
    QCOMPARE(p.valueTable->horizontalHeaderItem(0)->text(), QString("u'"));
    QCOMPARE(tableRow(p.valueTable, 0), (QStringList{"0.450704", "0.522887"}));
    QCOMPARE(tableRow(p.valueTable, 3), (QStringList{"0.197835", "0.468326"}));

    // An explicit white changes the white row only; the gamma never changes the table.
    const QStringList red = tableRow(p.valueTable, 0);
    p.whiteTargetCheck->click();
    QVERIFY(p.whiteTargetCombo->isEnabled());
    p.whiteTargetCombo->setCurrentIndex(6);
    QCOMPARE(tableRow(p.valueTable, 0), red);
    QVERIFY(tableRow(p.valueTable, 3) != (QStringList{"0.197835", "0.468326"}));
    const QStringList white = tableRow(p.valueTable, 3);
    p.gammaTypeCombo->setCurrentIndex(1);
    p.gammaEdit->setText("1.8");
    QCOMPARE(tableRow(p.valueTable, 3), white);
    p.SaveReference();
    QCOMPARE(platform::readSetting("reference", "whitetarget").toInt(), 6);
}

void TestOptionDialog::referenceGammaTextStored_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("stored");
    const double fallback = 2.2222222222222223;
    QTest::newRow("a number") << "2.35" << 2.35;
    QTest::newRow("not a number") << "abc" << fallback;
    QTest::newRow("decimal comma is not a number") << "1,8" << fallback;
    QTest::newRow("empty") << "" << fallback;
    QTest::newRow("zero") << "0" << fallback;
    QTest::newRow("negative") << "-2.2" << fallback;
    QTest::newRow("upper limit 10 kept") << "10" << 10.0;
    QTest::newRow("above 10") << "10.5" << fallback;
    QTest::newRow("infinite") << "inf" << fallback;
    QTest::newRow("not a number NaN") << "nan" << fallback;
}

void TestOptionDialog::referenceGammaTextStored()
{
    QFETCH(QString, text);
    QFETCH(double, stored);
    ReferencePage p(nullptr);
    p.LoadReference();
    p.gammaEdit->setText(text);
    p.SaveReference();
    QCOMPARE(platform::readSetting("reference", "gamma").toDouble(), stored);
    QCOMPARE(platform::readSetting("reference", "gammatype").toInt(), 0);
}

void TestOptionDialog::referenceBt1886KeepsTheStoredExponent()
{
    platform::writeSetting("reference", "gamma", 2.6);
    ReferencePage p(nullptr);
    p.LoadReference();
    QCOMPARE(p.gammaEdit->text(), QString("2.6"));
    p.gammaTypeCombo->setCurrentIndex(1);
    QCOMPARE(p.gammaEdit->text(), QString("2.4"));
    QVERIFY(!p.gammaEdit->isEnabled());
    p.SaveReference();
    QCOMPARE(platform::readSetting("reference", "gammatype").toInt(), 1);
    QCOMPARE(platform::readSetting("reference", "gamma").toDouble(), 2.6);
    // Back to Power shows the stored exponent again, not what was typed.
    p.gammaTypeCombo->setCurrentIndex(0);
    QCOMPARE(p.gammaEdit->text(), QString("2.6"));
}

void TestOptionDialog::hotKeyWritersChangeOnlyTheirKey_data()
{
    QTest::addColumn<int>("writer");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");
    QTest::newRow("F5 CIE 1931") << 0 << "ciechart" << 0;
    QTest::newRow("F6 CIE 1976") << 1 << "ciechart" << 1;
    QTest::newRow("F9 HDTV Rec709") << 2 << "colorspace" << 2;
    QTest::newRow("F10 DCI P3") << 3 << "colorspace" << 5;
}

void TestOptionDialog::hotKeyWritersChangeOnlyTheirKey()
{
    QFETCH(int, writer);
    QFETCH(QString, key);
    QFETCH(int, value);
    platform::writeSetting("reference", "colorspace", 3);
    platform::writeSetting("reference", "ciechart", 7);
    platform::writeSetting("reference", "whitetarget", 6);
    platform::writeSetting("reference", "gamma", 1.8);
    QMap<QString, QString> expected = allSettings();
    expected.insert("reference/" + key, QString::number(value));
    void (*const writers[])() = {&ReferencePage::saveCieChart1931, &ReferencePage::saveCieChart1976,
                                 &ReferencePage::saveColorSpace2, &ReferencePage::saveColorSpace5};
    writers[writer]();
    QCOMPARE(allSettings(), expected);
}

void TestOptionDialog::measurePageOnAnEmptyStore()
{
    MeasurePage p(nullptr, engine());
    p.LoadReference();
    QCOMPARE(p.stepsSpin->value(), 20);
    QCOMPARE(p.warmTimeSpin->value(), 1000);
    QVERIFY(p.colorCheckerButton->isChecked());
    QVERIFY(p.nativeButton->isChecked());
    QCOMPARE(p.ipEdit->text(), QString("127.0.0.1"));
    QVERIFY(!p.ipEdit->isEnabled());
    p.tcpButton->click();
    QVERIFY(p.ipEdit->isEnabled());
    p.nativeButton->click();
    QVERIFY(!p.ipEdit->isEnabled());
}

void TestOptionDialog::measurePageStepChangeEmptiesTheGrayResults_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("storedAfter");
    QTest::addColumn<bool>("grayKept");
    QTest::newRow("unchanged keeps the results") << 20 << 20 << 20 << true;
    QTest::newRow("20 to 21 empties them") << 20 << 21 << 21 << false;
    QTest::newRow("stored 5 comes back as 8, stored as 8") << 5 << -1 << 8 << false;
    QTest::newRow("stored 200 comes back as 128") << 200 << -1 << 128 << false;
}

void TestOptionDialog::measurePageStepChangeEmptiesTheGrayResults()
{
    QFETCH(int, stored);
    QFETCH(int, chosen);
    QFETCH(int, storedAfter);
    QFETCH(bool, grayKept);
    platform::writeSetting("measure", "steps", stored);
    engine()->setResults(Measure::GrayResults, {CColor(1, 1, 1), CColor(0, 0, 0)});
    engine()->setResults(Measure::GamutResults, {CColor(1, 1, 1)});
    MeasurePage p(nullptr, engine());
    p.LoadReference();
    if (chosen > 0)
        p.stepsSpin->setValue(chosen);
    p.SaveReference();
    QCOMPARE(platform::readSetting("measure", "steps").toInt(), storedAfter);
    QCOMPARE(engine()->grayList().size(), grayKept ? 2 : 0);
    QCOMPARE(engine()->gamutList().size(), 1);
}

void TestOptionDialog::measurePageNativeKeepsTheAddress()
{
    platform::writeSetting("measure", "ipadd", "192.168.1.9");
    platform::writeSetting("measure", "sigtype", 1);
    MeasurePage p(nullptr, engine());
    p.LoadReference();
    QVERIFY(p.tcpButton->isChecked());
    QCOMPARE(p.ipEdit->text(), QString("192.168.1.9"));
    p.ipEdit->setText("1.2.3.4");
    p.nativeButton->click();
    p.SaveReference();
    QCOMPARE(platform::readSetting("measure", "sigtype").toInt(), 0);
    QCOMPARE(platform::readSetting("measure", "ipadd").toString(), QString("192.168.1.9"));
}

void TestOptionDialog::sensorPagePort_data()
{
    QTest::addColumn<int>("caps");
    QTest::addColumn<int>("storedPort");
    QTest::addColumn<int>("shown");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("chosen"); // -1: left as shown
    QTest::addColumn<int>("storedAfter");
    QTest::newRow("USB instrument: disabled on COM1, stores 0") << 2 << 5 << 0 << false << -1 << 0;
    QTest::newRow("serial instrument on COM4, COM2 chosen") << 1 << 3 << 3 << true << 1 << 1;
    QTest::newRow("serial, stored port outside the list: nothing stored")
        << 1 << 12 << -1 << true << -1 << 12;
}

void TestOptionDialog::sensorPagePort()
{
    QFETCH(int, caps);
    QFETCH(int, storedPort);
    QFETCH(int, shown);
    QFETCH(bool, enabled);
    QFETCH(int, chosen);
    QFETCH(int, storedAfter);
    attachCounting(SensorModel::K10, caps);
    platform::writeSetting("sensor", "lastport", storedPort);
    SensorPage p(engine(), engine()->sensor(), engine()->sensorType(), nullptr);
    p.LoadReference();
    QCOMPARE(p.snEdit->text(), QString("SN-42"));
    QVERIFY(p.snEdit->isReadOnly());
    QCOMPARE(p.portCombo->currentIndex(), shown);
    QCOMPARE(p.portCombo->isEnabled(), enabled);
    if (chosen >= 0)
        p.portCombo->setCurrentIndex(chosen);
    p.SaveReference();
    QCOMPARE(platform::readSetting("sensor", "lastport").toInt(), storedAfter);
}

void TestOptionDialog::sensorPageMonitorRowsByDriver_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<int>("recordedType");
    QTest::addColumn<bool>("monitorRows");
    QTest::newRow("Spyder 4") << "monitor slots" << 1 << true;
    QTest::newRow("Spyder 5 has no monitor features") << "monitor slots as Spyder 5" << 2 << false;
    QTest::newRow("type 1 recorded by a profile, another driver attached")
        << "counting" << 1 << false;
}

void TestOptionDialog::sensorPageMonitorRowsByDriver()
{
    QFETCH(QString, driver);
    QFETCH(int, recordedType);
    QFETCH(bool, monitorRows);
    platform::writeSetting("gammut", "gammutNum", 2);
    platform::writeSetting("gammut", "backlightNum", 3);
    std::unique_ptr<CSensor> sensor;
    MonitorChoiceSensor* spyder = nullptr;
    if (driver == "counting") {
        sensor = std::make_unique<CountingSensor>(&m_counters, SensorModel::K10);
    } else {
        spyder = new MonitorChoiceSensor(driver == "monitor slots" ? SensorModel::Spyder4
                                                                   : SensorModel::Spyder5);
        sensor.reset(spyder);
    }
    SensorPage p(engine(), sensor.get(), recordedType, nullptr);
    p.LoadReference();
    QCOMPARE(bool(p.gammutCombo), monitorRows);
    QCOMPARE(bool(p.backlightCombo), monitorRows);
    if (!monitorRows)
        return;
    // The stored choices are shown; building the page sent nothing to the driver.
    QCOMPARE(p.gammutCombo->currentText(), QString("Wide Gammut"));
    QCOMPARE(p.backlightCombo->currentText(), QString("RGBLED"));
    QVERIFY(spyder->calls.isEmpty());
    p.gammutCombo->setCurrentIndex(1);
    p.backlightCombo->setCurrentIndex(4);
    QCOMPARE(spyder->calls, (QList<QPair<QString, int>>{{"gammut", 1}, {"backlight", 4}}));
    // The page itself stores neither choice.
    p.SaveReference();
    QCOMPARE(platform::readSetting("gammut", "gammutNum").toInt(), 2);
}

void TestOptionDialog::sensorPageCrRows_data()
{
    QTest::addColumn<QByteArray>("model"); // "K-10": a driver of another class
    QTest::addColumn<QByteArray>("syncMode");
    QTest::addColumn<int>("recordedType");
    QTest::addColumn<int>("syncIndex"); // -1: no CR rows
    QTest::addColumn<QString>("freqText");
    QTest::addColumn<bool>("freqReadOnly");
    QTest::addColumn<QStringList>("calibModes"); // empty: no calibration rows
    QTest::addColumn<int>("calibMode");
    QTest::addColumn<QStringList>("calibValues");
    QTest::addColumn<int>("calibValue");
    QTest::addColumn<QStringList>("speeds"); // empty: no speed row
    QTest::addColumn<int>("speed");
    const QStringList none;
    QTest::newRow("CR-250 in manual sync: sync rows with its frequency, speed")
        << QByteArray("CR-250") << QByteArray("Manual") << 9 << 2 << "60" << false << none << -1
        << none << -1 << QStringList{"Slow", "Normal", "Fast"} << 1;
    QTest::newRow("CR-100 in auto sync: empty read-only frequency, calibration rows")
        << QByteArray("CR-100") << QByteArray("Auto") << 9 << 1 << "" << true
        << QStringList{"None", "Matrix", "Match"} << 1 << QStringList{"MatA", "MatB"} << 1 << none
        << -1;
    QTest::newRow("another CR model: the sync rows alone")
        << QByteArray("CR-1000") << QByteArray("None") << 9 << 0 << "" << true << none << -1
        << none << -1 << none << -1;
    QTest::newRow("type 1 recorded by a profile, a CR-250 attached")
        << QByteArray("CR-250") << QByteArray("Auto") << 1 << 1 << "" << true << none << -1
        << none << -1 << QStringList{"Slow", "Normal", "Fast"} << 1;
    QTest::newRow("type 9 recorded by a profile, another driver attached")
        << QByteArray("K-10") << QByteArray() << 9 << -1 << "" << true << none << -1 << none << -1
        << none << -1;
}

void TestOptionDialog::sensorPageCrRows()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, syncMode);
    QFETCH(int, recordedType);
    QFETCH(int, syncIndex);
    QFETCH(QString, freqText);
    QFETCH(bool, freqReadOnly);
    QFETCH(QStringList, calibModes);
    QFETCH(int, calibMode);
    QFETCH(QStringList, calibValues);
    QFETCH(int, calibValue);
    QFETCH(QStringList, speeds);
    QFETCH(int, speed);

    SerialEmulator emu;
    std::unique_ptr<CSensor> sensor;
    if (model == "K-10") {
        sensor = std::make_unique<CountingSensor>(&m_counters, SensorModel::K10);
    } else {
        sensor = connectedCr(emu, model, syncMode);
        QVERIFY2(sensor, qPrintable(emu.logText()));
    }
    SensorPage p(engine(), sensor.get(), recordedType, nullptr);
    p.LoadReference();
    // Opening the page sends nothing to the instrument.
    QCOMPARE(emu.received(), QByteArray());
    QVERIFY(!p.gammutCombo && !p.backlightCombo);

    QCOMPARE(bool(p.syncModeCombo), syncIndex >= 0);
    QCOMPARE(bool(p.freqEdit), syncIndex >= 0);
    QCOMPARE(bool(p.calibModeCombo), !calibModes.isEmpty());
    QCOMPARE(bool(p.calibValueCombo), !calibModes.isEmpty());
    QCOMPARE(bool(p.speedCombo), !speeds.isEmpty());
    if (syncIndex < 0)
        return;
    QCOMPARE(comboItems(p.syncModeCombo), (QStringList{"None", "Auto", "Manual"}));
    QCOMPARE(p.syncModeCombo->currentIndex(), syncIndex);
    QCOMPARE(p.freqEdit->text(), freqText);
    QCOMPARE(p.freqEdit->isReadOnly(), freqReadOnly);
    if (p.calibModeCombo) {
        QCOMPARE(comboItems(p.calibModeCombo), calibModes);
        QCOMPARE(p.calibModeCombo->currentIndex(), calibMode);
        QCOMPARE(comboItems(p.calibValueCombo), calibValues);
        QCOMPARE(p.calibValueCombo->currentIndex(), calibValue);
    }
    if (p.speedCombo) {
        QCOMPARE(comboItems(p.speedCombo), speeds);
        QCOMPARE(p.speedCombo->currentIndex(), speed);
    }
    if (recordedType == SensorModel::CR100) {
        p.resize(420, 360);
        const QPixmap shot = p.grab();
        QVERIFY(!shot.isNull());
        QVERIFY(shot.save(QDir(testenv::artifactDir()).filePath("sensor_page_" + model + ".png")));
    }
}

void TestOptionDialog::sensorPageCrChoicesReachTheInstrument_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("syncMode");
    QTest::addColumn<QByteArray>("refused"); // a command the instrument answers with an error
    // "combo=index" selects an entry, "freqType=text" types into the selected frequency one key
    // at a time, "freqText=text" replaces the text at once.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("driverAfter");
    QTest::addColumn<QStringList>("calibValuesAfter"); // CR-100 only
    QTest::addColumn<bool>("freqReadOnlyAfter");

    const QByteArray freqRange = "RC MinSyncFreq\rRC MaxSyncFreq\r";
    const QStringList mats{"MatA", "MatB"};
    QTest::newRow("CR-250 speed")
        << QByteArray("CR-250") << QByteArray("Manual") << QByteArray() << QStringList{"speed=2"}
        << QByteArray("SM Speed 2\r") << "speed=2" << QStringList() << false;
    QTest::newRow("refused: the list keeps the choice, the driver its value")
        << QByteArray("CR-250") << QByteArray("Manual") << QByteArray("SM Speed 2\r")
        << QStringList{"speed=2"} << QByteArray("SM Speed 2\r") << "speed=1" << QStringList()
        << false;
    QTest::newRow("CR-100 calibration mode None empties the values")
        << QByteArray("CR-100") << QByteArray("Auto") << QByteArray() << QStringList{"calibMode=0"}
        << QByteArray("SM UserCalibMode 0\r") << "userCalibMode=0" << QStringList() << true;
    QTest::newRow("back to Matrix: the driver's matrix goes along, the refill sends nothing")
        << QByteArray("CR-100") << QByteArray("Auto") << QByteArray()
        << QStringList{"calibMode=0", "calibMode=1"}
        << QByteArray("SM UserCalibMode 0\rSM UserCalibMode 1\rSM Matrix 1\r") << "matrix=1" << mats
        << true;
    QTest::newRow("Match when the instrument reports none")
        << QByteArray("CR-100") << QByteArray("Auto") << QByteArray() << QStringList{"calibMode=2"}
        << QByteArray("SM UserCalibMode 2\rSM Match 0\r") << "userCalibMode=2" << QStringList()
        << true;
    QTest::newRow("a matrix chosen in the Matrix mode")
        << QByteArray("CR-100") << QByteArray("Auto") << QByteArray() << QStringList{"calibValue=0"}
        << QByteArray("SM Matrix 0\r") << "matrix=0" << mats << true;
    QTest::newRow("manual sync with an empty frequency sends 0, clamped")
        << QByteArray("CR-100") << QByteArray("Auto") << QByteArray() << QStringList{"syncMode=2"}
        << QByteArray("SM SyncMode 2\r" + freqRange + "SM SyncFreq 10\r") << "syncFreq=10" << mats
        << false;
    QTest::newRow("away from manual sync: the frequency is read-only")
        << QByteArray("CR-250") << QByteArray("Manual") << QByteArray() << QStringList{"syncMode=1"}
        << QByteArray("SM SyncMode 1\r") << "syncMode=1" << QStringList() << true;
    QTest::newRow("the frequency is sent at every keystroke")
        << QByteArray("CR-250") << QByteArray("Manual") << QByteArray()
        << QStringList{"freqType=50"}
        << QByteArray(freqRange + "SM SyncFreq 10\r" + freqRange + "SM SyncFreq 50\r")
        << "syncFreq=50" << QStringList() << false;
    QTest::newRow("a frequency above the range is clamped")
        << QByteArray("CR-250") << QByteArray("Manual") << QByteArray()
        << QStringList{"freqText=500"} << QByteArray(freqRange + "SM SyncFreq 240\r")
        << "syncFreq=240" << QStringList() << false;
    QTest::newRow("a frequency that is not a number is sent as 0")
        << QByteArray("CR-250") << QByteArray("Manual") << QByteArray()
        << QStringList{"freqText=6O"} << QByteArray(freqRange + "SM SyncFreq 10\r")
        << "syncFreq=10" << QStringList() << false;
}

void TestOptionDialog::sensorPageCrChoicesReachTheInstrument()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, syncMode);
    QFETCH(QByteArray, refused);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, sent);
    QFETCH(QString, driverAfter);
    QFETCH(QStringList, calibValuesAfter);
    QFETCH(bool, freqReadOnlyAfter);

    SerialEmulator emu;
    std::unique_ptr<CRXXXCensor> sensor = connectedCr(emu, model, syncMode);
    QVERIFY2(sensor, qPrintable(emu.logText()));
    if (!refused.isEmpty())
        emu.once(refused, SerialEmulator::Reply("ER:-100:Refused\r\n"));
    const QMap<QString, QString> storedBefore = allSettings();
    SensorPage p(engine(), sensor.get(), SensorModel::CR100, nullptr);
    p.LoadReference();

    const QMap<QString, QComboBox*> combos{{"speed", p.speedCombo},
                                           {"calibMode", p.calibModeCombo},
                                           {"calibValue", p.calibValueCombo},
                                           {"syncMode", p.syncModeCombo}};
    for (const QString& step : steps) {
        const QString what = step.section('=', 0, 0);
        const QString value = step.section('=', 1);
        if (what == "freqType") {
            p.freqEdit->selectAll();
            QTest::keyClicks(p.freqEdit, value);
        } else if (what == "freqText") {
            p.freqEdit->setText(value);
        } else {
            QComboBox* combo = combos.value(what);
            QVERIFY2(combo, qPrintable(step));
            combo->setCurrentIndex(value.toInt());
            // The list shows the operator's choice, whatever the instrument answered.
            QCOMPARE(combo->currentIndex(), value.toInt());
        }
    }
    QCOMPARE(emu.received(), sent);
    QCOMPARE(crField(*sensor, driverAfter.section('=', 0, 0)), driverAfter);
    if (p.calibValueCombo)
        QCOMPARE(comboItems(p.calibValueCombo), calibValuesAfter);
    QCOMPARE(p.freqEdit->isReadOnly(), freqReadOnlyAfter);
    // Nothing of it goes to the settings.
    QCOMPARE(allSettings(), storedBefore);
}

void TestOptionDialog::languageAndDisplayPages_data()
{
    QTest::addColumn<QString>("storedLanguage"); // empty: none stored
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<int>("screens");
    QTest::addColumn<int>("storedIndex");
    QTest::addColumn<QStringList>("screenItems");
    QTest::addColumn<int>("screenShown");
    QTest::newRow("empty store, no screen count") << "" << 0 << 0 << 2 << QStringList{"Primary monitor"} << 0;
    QTest::newRow("Chinese, one screen") << "zh_CN" << 1 << 1 << 2 << QStringList{"Primary monitor"} << 0;
    QTest::newRow("unknown language, three screens")
        << "fr_FR" << -1 << 3 << 2 << QStringList{"Primary monitor", "mointor 1", "mointor 2"} << 2;
}

void TestOptionDialog::languageAndDisplayPages()
{
    QFETCH(QString, storedLanguage);
    QFETCH(int, currentRow);
    QFETCH(int, screens);
    QFETCH(int, storedIndex);
    QFETCH(QStringList, screenItems);
    QFETCH(int, screenShown);
    if (!storedLanguage.isEmpty())
        platform::writeSetting("global", "language", storedLanguage);
    platform::writeSetting("display", "index", storedIndex);
    LanguagePage lang(nullptr);
    lang.LoadReference();
    QCOMPARE(lang.languageList->currentRow(), currentRow);
    DisplayPage display(screens, nullptr);
    QStringList items;
    for (int i = 0; i < display.screenCombo->count(); ++i)
        items << display.screenCombo->itemText(i);
    QCOMPARE(items, screenItems);
    QCOMPARE(display.screenCombo->currentIndex(), screenShown);

    // OK with no entry current keeps what was stored; choosing English stores it and logs it.
    lang.SaveReference();
    QCOMPARE(platform::readSetting("global", "language", "none").toString(),
             storedLanguage.isEmpty() ? QString("en_US") : storedLanguage);
    LogCapture log;
    lang.languageList->setCurrentRow(0);
    lang.SaveReference();
    QCOMPARE(platform::readSetting("global", "language").toString(), QString("en_US"));
    QVERIFY(log.messages().join("|").contains("lang:"));
}

QV_TEST_MAIN_APPLICATION(TestOptionDialog)
#include "tst_optiondialog.moc"
