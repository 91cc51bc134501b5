// The sensor selection dialog: the USB/COM choice by instrument type, the keys it stores and
// when, and what it hands to its opener.

#include "shell/initdialog.h"

#include "platform/settings.h"
#include "sensors/sensor.h"

#include "apptestmain.h"

#include <QComboBox>
#include <QRadioButton>

namespace {

void store(int lastSensor, bool usb, bool com)
{
    platform::writeSetting("sensor", "lastsensor", lastSensor);
    platform::writeSetting("PortSelect", "USBSele", usb);
    platform::writeSetting("PortSelect", "COMSele", com);
}

// The operator picks entry `index` of the instrument list.
void pick(InitDialog& d, int index)
{
    d.sensorCombo->setCurrentIndex(index);
    emit d.sensorCombo->activated(index);
}

} // namespace

class TestInitDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void lists();
    void openingState_data();
    void openingState();
    void pickingAnInstrumentSetsTheLink_data();
    void pickingAnInstrumentSetsTheLink();
    void linkClickIsStoredAtOnceAndKeptOnCancel();
    void usbClickDisablesThePortListAndComOffersItAgain();
    void acceptStoresTheChoicesAndHandsTheType();
};

void TestInitDialog::init()
{
    testenv::clearSettings();
}

void TestInitDialog::lists()
{
    InitDialog d(nullptr);
    QCOMPARE(d.sensorCombo->count(), 11);
    for (int i = 0; i < 11; ++i)
        QCOMPARE(d.sensorCombo->itemText(i), sensorModelNames.at(i));
    QCOMPARE(d.portCombo->count(), 9);
    QCOMPARE(d.portCombo->itemText(0), QString("COM1"));
    QCOMPARE(d.portCombo->itemText(8), QString("COM9"));
    QCOMPARE(d.windowTitle(), QString("Select sensor"));
    // Dark ground and white text for every widget; how the markers look is tested beside the
    // other dark dialogs' markers.
    QVERIFY(d.styleSheet().startsWith("* {background-color:#202020;color:#ffffff}"));
}

void TestInitDialog::openingState_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<int>("lastSensor");
    QTest::addColumn<bool>("usbStored");
    QTest::addColumn<bool>("comStored");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("usbChecked");
    QTest::addColumn<bool>("usbEnabled");
    QTest::addColumn<bool>("comChecked");
    QTest::addColumn<bool>("comEnabled");
    QTest::newRow("empty store: Spyder 3 over USB")
        << false << 0 << true << false << 0 << true << true << false << false;
    QTest::newRow("CA-210 starts on USB whatever is stored")
        << true << 6 << false << true << 6 << true << true << false << true;
    QTest::newRow("simulator shows the stored link, both selectable")
        << true << 10 << false << true << 10 << false << true << true << true;
    QTest::newRow("K-10 is serial") << true << 4 << true << false << 4 << false << false << true
                                    << true;
    QTest::newRow("CS-200 is USB") << true << 7 << false << true << 7 << true << true << false
                                   << false;
    QTest::newRow("stored type outside the list: no entry, link unchanged")
        << true << 42 << true << false << -1 << true << true << false << true;
}

void TestInitDialog::openingState()
{
    QFETCH(bool, stored);
    QFETCH(int, lastSensor);
    QFETCH(bool, usbStored);
    QFETCH(bool, comStored);
    QFETCH(int, index);
    QFETCH(bool, usbChecked);
    QFETCH(bool, usbEnabled);
    QFETCH(bool, comChecked);
    QFETCH(bool, comEnabled);
    if (stored)
        store(lastSensor, usbStored, comStored);
    InitDialog d(nullptr);
    QCOMPARE(d.sensorCombo->currentIndex(), index);
    QCOMPARE(d.portCombo->currentIndex(), 0);
    QVERIFY(d.portCombo->isEnabled());
    QCOMPARE(d.usbButton->isChecked(), usbChecked);
    QCOMPARE(d.usbButton->isEnabled(), usbEnabled);
    QCOMPARE(d.comButton->isChecked(), comChecked);
    QCOMPARE(d.comButton->isEnabled(), comEnabled);
}

void TestInitDialog::pickingAnInstrumentSetsTheLink_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("usbChecked");
    QTest::addColumn<bool>("usbEnabled");
    QTest::addColumn<bool>("comChecked");
    QTest::addColumn<bool>("comEnabled");
    QTest::newRow("serial to USB instrument") << 4 << 1 << true << true << false << false;
    QTest::newRow("USB to serial instrument") << 0 << 9 << false << false << true << true;
    QTest::newRow("simulator changes nothing") << 4 << 10 << false << false << true << true;
    // PortSelect holds COM (stored below), which the CA-210 takes up when picked.
    QTest::newRow("CA-210 takes the stored link") << 0 << 6 << false << true << true << true;
}

void TestInitDialog::pickingAnInstrumentSetsTheLink()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, usbChecked);
    QFETCH(bool, usbEnabled);
    QFETCH(bool, comChecked);
    QFETCH(bool, comEnabled);
    store(from, true, false);
    InitDialog d(nullptr);
    platform::writeSetting("PortSelect", "USBSele", false);
    platform::writeSetting("PortSelect", "COMSele", true);
    pick(d, to);
    QCOMPARE(d.sensorIndex, to);
    QCOMPARE(d.usbButton->isChecked(), usbChecked);
    QCOMPARE(d.usbButton->isEnabled(), usbEnabled);
    QCOMPARE(d.comButton->isChecked(), comChecked);
    QCOMPARE(d.comButton->isEnabled(), comEnabled);
}

void TestInitDialog::linkClickIsStoredAtOnceAndKeptOnCancel()
{
    store(6, true, false);
    platform::writeSetting("sensor", "lastport", 2);
    {
        InitDialog d(nullptr);
        d.sensorCombo->setCurrentIndex(3);
        d.portCombo->setCurrentIndex(5);
        d.comButton->click();
        QCOMPARE(platform::readSetting("PortSelect", "COMSele").toBool(), true);
        QCOMPARE(platform::readSetting("PortSelect", "USBSele").toBool(), false);
        d.reject();
    }
    QCOMPARE(platform::readSetting("PortSelect", "COMSele").toBool(), true);
    QCOMPARE(platform::readSetting("sensor", "lastsensor").toInt(), 6);
    QCOMPARE(platform::readSetting("sensor", "lastport").toInt(), 2);
}

void TestInitDialog::usbClickDisablesThePortListAndComOffersItAgain()
{
    store(6, true, false);
    InitDialog d(nullptr);
    d.usbButton->click();
    QVERIFY(!d.portCombo->isEnabled());
    d.comButton->click();
    QVERIFY(d.portCombo->isEnabled());
    // Picking a serial instrument after a USB click offers its port again.
    d.usbButton->click();
    pick(d, 5);
    QVERIFY(d.portCombo->isEnabled());
}

void TestInitDialog::acceptStoresTheChoicesAndHandsTheType()
{
    InitDialog d(nullptr);
    pick(d, 8);
    d.portCombo->setCurrentIndex(3);
    d.accept();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.lastSensor, 8);
    QCOMPARE(d.lastPort, 3);
    QCOMPARE(platform::readSetting("sensor", "lastsensor").toInt(), 8);
    QCOMPARE(platform::readSetting("sensor", "lastport").toInt(), 3);
    QCOMPARE(platform::readSetting("PortSelect", "USBSele").toBool(), false);
    QCOMPARE(platform::readSetting("PortSelect", "COMSele").toBool(), true);
}

QV_TEST_MAIN_APPLICATION(TestInitDialog)
#include "tst_initdialog.moc"
