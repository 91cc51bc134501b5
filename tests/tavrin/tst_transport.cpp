// The two transports over a scripted platform: the bridge's exact-match receive polling, its
// statuses with bit 31, the scan-file walk with index selection, partial transfers continued,
// failed and timed-out attempts retried; whether a bridge device is still attached; and the swap
// of the provider. (The provider the library starts with is tried on an emulated USB bus,
// tests/usb.)
#include "fakeplatform.h"
#include "testenv.h"
#include "transport.h"

#include <QtTest>

using namespace tavrin;
using tavrinemu::FakePlatform;
using tavrinemu::ScopedPlatform;

typedef QList<quint32> U32List;
typedef QList<QPair<int, quint32>> Script;  // {ScanResult, moved at most}
Q_DECLARE_METATYPE(Script)

namespace {

void* const kBridgeHandle = reinterpret_cast<void*>(uintptr_t(0x100));

template<typename T>
QList<quint32> toList(const std::vector<T>& v)
{
    QList<quint32> out;
    for (T x : v)
        out << quint32(x);
    return out;
}

} // namespace

class TestTransport : public QObject
{
    Q_OBJECT

private slots:
    void bridgeReadPolling_data()
    {
        QTest::addColumn<U32List>("queue");
        QTest::addColumn<quint32>("retries");
        QTest::addColumn<quint32>("result");
        QTest::addColumn<int>("polls");
        QTest::addColumn<int>("reads");
        QTest::newRow("whole reply at the first look") << U32List{4} << 0u << 0u << 1 << 1;
        QTest::newRow("arrives at the third poll") << U32List{0, 2, 4} << 99u << 0u << 3 << 1;
        QTest::newRow("retry 0: one look, not there yet") << U32List{0, 4} << 0u << 8u << 1 << 0;
        QTest::newRow("surplus bytes never match") << U32List{6} << 3u << 8u << 4 << 0;
        QTest::newRow("short reply: retries + 1 polls") << U32List{2} << 5u << 8u << 6 << 0;
    }
    void bridgeReadPolling()
    {
        QFETCH(U32List, queue);
        QFETCH(quint32, retries);
        QFETCH(quint32, result);
        QFETCH(int, polls);
        QFETCH(int, reads);
        FakePlatform fake;
        fake.queueCounts.assign(queue.begin(), queue.end());
        fake.readData = {1, 2, 3, 4};
        ScopedPlatform scoped(&fake);
        uint8_t buffer[4] = {};
        QCOMPARE(siUsbRead(kBridgeHandle, buffer, 4, retries), ERRORCODE(result));
        QCOMPARE(fake.polls, polls);
        QCOMPARE(fake.reads, reads);
        // One 1 ms pause after every poll that did not match.
        QCOMPARE(int(fake.sleeps.size()), polls - reads);
        for (uint32_t s : fake.sleeps)
            QCOMPARE(s, 1u);
        if (result == 0)
            QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), 4), QByteArray::fromHex("01020304"));
    }

    void bridgeStatuses_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<quint32>("status");
        QTest::addColumn<quint32>("result");
        QTest::newRow("read status") << "read" << 0x04u << 0x80000004u;
        QTest::newRow("queue poll status") << "queue" << 0x02u << 0x80000002u;
        QTest::newRow("write status") << "write" << 0x10u << 0x80000010u;
        QTest::newRow("count status") << "count" << 0xFFu << 0x800000FFu;
        QTest::newRow("open status") << "open" << 0x02u << 0x80000002u;
        QTest::newRow("close status") << "close" << 0x01u << 0x80000001u;
        // A status that already has bit 31 must not wrap round to success.
        QTest::newRow("status with bit 31 stays a failure") << "write" << 0x80000000u << 0x80000000u;
    }
    void bridgeStatuses()
    {
        QFETCH(QString, call);
        QFETCH(quint32, status);
        QFETCH(quint32, result);
        FakePlatform fake;
        fake.deviceCount = 1;
        fake.queueCounts = {4};
        ScopedPlatform scoped(&fake);
        uint8_t buffer[4] = {};
        uint32_t count = 0;
        void* handle = nullptr;
        ERRORCODE rc = 0;
        if (call == "read") {
            fake.readStatus = status;
            rc = siUsbRead(kBridgeHandle, buffer, 4, 0);
        } else if (call == "queue") {
            fake.queueCallStatus = status;
            rc = siUsbRead(kBridgeHandle, buffer, 4, 10);
            QCOMPARE(fake.polls, 1);  // a failing poll is not retried
        } else if (call == "write") {
            fake.writeStatus = status;
            rc = siUsbWrite(kBridgeHandle, buffer, 4, 0);
        } else if (call == "count") {
            fake.countStatus = status;
            rc = siUsbCountDevices(&count);
        } else if (call == "open") {
            fake.openStatus = status;
            rc = siUsbOpen(0, &handle);
            QVERIFY(!handle);
        } else {
            fake.closeStatus = status;
            rc = siUsbClose(kBridgeHandle);
        }
        QCOMPARE(rc, ERRORCODE(result));
    }

    void bridgeShortTransfersFail_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("moved");
        QTest::newRow("write accepted in part") << true << 3;
        QTest::newRow("read returned fewer bytes") << false << 2;
    }
    void bridgeShortTransfersFail()
    {
        QFETCH(bool, write);
        QFETCH(int, moved);
        FakePlatform fake;
        fake.queueCounts = {4};
        (write ? fake.writeAccepted : fake.readReturned) = moved;
        ScopedPlatform scoped(&fake);
        uint8_t buffer[4] = {1, 2, 3, 4};
        const ERRORCODE rc = write ? siUsbWrite(kBridgeHandle, buffer, 4, 0)
                                   : siUsbRead(kBridgeHandle, buffer, 4, 0);
        QCOMPARE(rc, ERRORCODE(EC_TransferFailed));
    }

    void bridgeOpenAndCount()
    {
        FakePlatform fake;
        fake.deviceCount = 2;
        ScopedPlatform scoped(&fake);
        uint32_t count = 0;
        QCOMPARE(siUsbCountDevices(&count), ERRORCODE(EC_Success));
        QCOMPARE(count, 2u);
        void* handle = nullptr;
        QCOMPARE(siUsbOpen(1, &handle), ERRORCODE(EC_Success));
        QCOMPARE(handle, reinterpret_cast<void*>(uintptr_t(0x101)));
        // An index at or beyond the amount: the bridge's status with bit 31.
        QCOMPARE(siUsbOpen(2, &handle), ERRORCODE(0x800000FFu));
        QVERIFY(!handle);
        QCOMPARE(siUsbWrite(nullptr, &count, 4, 0), ERRORCODE(EC_NoDevice));
        QCOMPARE(siUsbRead(nullptr, &count, 4, 0), ERRORCODE(EC_NoDevice));
    }

    // The bridge API has no question for one handle: the count of bridge devices (which includes
    // the open ones) answers it, and only a count of none says the device is gone.
    void bridgeAttached_data()
    {
        QTest::addColumn<quint32>("devices");
        QTest::addColumn<quint32>("countStatus");
        QTest::addColumn<quint32>("result");
        QTest::addColumn<quint32>("attached");  // 9: left as it was
        QTest::newRow("the device still counted") << 1u << 0u << 0u << 1u;
        QTest::newRow("no bridge device left: gone") << 0u << 0u << 0u << 0u;
        QTest::newRow("a count that fails tells nothing") << 0u << 0x04u << 0x80000004u << 9u;
    }
    void bridgeAttached()
    {
        QFETCH(quint32, devices);
        QFETCH(quint32, countStatus);
        QFETCH(quint32, result);
        QFETCH(quint32, attached);
        FakePlatform fake;
        fake.deviceCount = devices;
        fake.countStatus = countStatus;
        ScopedPlatform scoped(&fake);
        uint32_t answer = 9;
        QCOMPARE(siUsbAttached(kBridgeHandle, &answer), ERRORCODE(result));
        QCOMPARE(answer, attached);
        QCOMPARE(fake.polls + fake.reads + fake.writes, 0);  // nothing went to the device
        QCOMPARE(siUsbAttached(nullptr, &answer), ERRORCODE(EC_NoDevice));
        QCOMPARE(siUsbAttached(kBridgeHandle, nullptr), ERRORCODE(EC_NullArgument));
    }

    void scanWalk_data()
    {
        QTest::addColumn<quint32>("index");
        QTest::addColumn<quint32>("result");
        QTest::addColumn<int>("file");  // the file kept open, -1 none
        QTest::addColumn<U32List>("probed");
        QTest::addColumn<U32List>("claimed");  // files whose device the walk tried to claim
        QTest::addColumn<bool>("claimRefused");
        QTest::newRow("first match") << 0u << 0u << 3 << U32List{0, 2, 3} << U32List{3} << false;
        QTest::newRow("second match") << 1u << 0u << 7 << U32List{0, 2, 3, 5, 7} << U32List{7} << false;
        QTest::newRow("match at the last number probed")
            << 2u << 0u << 128 << U32List{0, 2, 3, 5, 7, 128} << U32List{128} << false;
        QTest::newRow("no such index: 7, every file closed, none claimed")
            << 3u << quint32(EC_NoDevice) << -1 << U32List{0, 2, 3, 5, 7, 128} << U32List{} << false;
        // The next match does not take its place: an index names the same device either way.
        QTest::newRow("the match cannot be claimed: 7, closed")
            << 1u << quint32(EC_NoDevice) << -1 << U32List{0, 2, 3, 5, 7} << U32List{7} << true;
    }
    void scanWalk()
    {
        QFETCH(quint32, index);
        QFETCH(quint32, result);
        QFETCH(int, file);
        QFETCH(U32List, probed);
        QFETCH(U32List, claimed);
        QFETCH(bool, claimRefused);
        FakePlatform fake;
        fake.claimRefused = claimRefused;
        fake.files[0] = {0x1234, 0x0001};  // another vendor's device
        fake.files[2] = {0x10C4, 0xEA61};  // a kind-0 id seen as a scan file: not a match
        fake.files[3] = {0x0638, 0x0AAC};
        fake.files[5] = {0x0638, 0x0AAC};  // its descriptor times out: not a match
        fake.descriptorFails = {5};
        fake.files[7] = {0x0638, 0x0AAC};
        fake.files[128] = {0x0638, 0x0AAC};
        fake.files[129] = {0x0638, 0x0AAC};  // beyond the walk
        ScopedPlatform scoped(&fake);
        void* handle = reinterpret_cast<void*>(uintptr_t(0xBAD));
        QCOMPARE(usbScanOpen(index, &handle), ERRORCODE(result));
        if (file < 0) {
            QVERIFY(!handle);
            QCOMPARE(fake.openFiles, 0);
        } else {
            QCOMPARE(handle, FakePlatform::fileHandle(uint32_t(file)));
            QCOMPARE(fake.openFiles, 1);  // only the chosen one stays open
        }
        QCOMPARE(toList(fake.opened), probed);
        QCOMPARE(toList(fake.claimed), claimed);
        QCOMPARE(fake.lastTimeout, 60000u);
    }

    void scanCount()
    {
        FakePlatform fake;
        fake.files[0] = {0x1234, 0x0001};
        fake.files[1] = {0x0638, 0x0AAC};
        fake.files[64] = {0x0638, 0x0AAC};
        fake.files[128] = {0x0638, 0x0AAC};
        fake.files[200] = {0x0638, 0x0AAC};
        ScopedPlatform scoped(&fake);
        uint32_t count = 99;
        QCOMPARE(usbScanCountDevices(&count), ERRORCODE(EC_Success));
        QCOMPARE(count, 3u);
        QCOMPARE(fake.openFiles, 0);
        QVERIFY(fake.claimed.empty());  // looking at a device does not take it
    }

    void scanTransfers_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<quint32>("retries");
        QTest::addColumn<Script>("script");
        QTest::addColumn<quint32>("result");
        QTest::addColumn<U32List>("asked");
        const int done = int(ScanResult::Completed), failed = int(ScanResult::Failed),
                  late = int(ScanResult::TimedOut), gone = int(ScanResult::Gone);
        QTest::newRow("partial completions continue at once")
            << false << 0u << Script{{done, 3}, {done, 2}, {done, 99}} << 0u << U32List{8, 5, 3};
        QTest::newRow("a failure at once is retried with the whole length")
            << false << 1u << Script{{failed, 0}, {done, 99}} << 0u << U32List{8, 8};
        QTest::newRow("a retry continues with what remains")
            << false << 1u << Script{{done, 3}, {failed, 0}, {done, 99}} << 0u << U32List{8, 5, 5};
        QTest::newRow("retries + 1 failed attempts: 8")
            << false << 2u << Script{{failed, 0}, {failed, 0}, {failed, 0}} << 8u << U32List{8, 8, 8};
        // Waiting again would only wait as long again: retries are for failures at once.
        QTest::newRow("a time-out ends the read, retries left or not")
            << false << 99u << Script{{late, 0}, {done, 99}} << 8u << U32List{8};
        QTest::newRow("a time-out after part of the bytes ends it too")
            << false << 99u << Script{{done, 3}, {late, 0}, {done, 99}} << 8u << U32List{8, 5};
        QTest::newRow("a time-out after a failed attempt ends it")
            << true << 99u << Script{{failed, 0}, {late, 0}, {done, 99}} << 8u << U32List{8, 8};
        QTest::newRow("a device gone ends it at once")
            << false << 99u << Script{{gone, 0}, {done, 99}} << 8u << U32List{8};
        QTest::newRow("retry 0: one attempt") << true << 0u << Script{{failed, 0}} << 8u << U32List{8};
        QTest::newRow("write continued after a partial completion")
            << true << 0u << Script{{done, 6}, {done, 99}} << 0u << U32List{8, 2};
        // A completion that moves nothing would otherwise be issued for ever.
        QTest::newRow("a completion of 0 bytes ends the attempt")
            << false << 1u << Script{{done, 0}, {done, 0}} << 8u << U32List{8, 8};
    }
    void scanTransfers()
    {
        QFETCH(bool, write);
        QFETCH(quint32, retries);
        QFETCH(Script, script);
        QFETCH(quint32, result);
        QFETCH(U32List, asked);
        FakePlatform fake;
        for (const auto& step : script)
            fake.transferScript.push_back({ScanResult(step.first), step.second});
        fake.readData = {10, 11, 12, 13, 14, 15, 16, 17};
        ScopedPlatform scoped(&fake);
        uint8_t buffer[8] = {10, 11, 12, 13, 14, 15, 16, 17};
        void* file = FakePlatform::fileHandle(1);
        const ERRORCODE rc = write ? usbScanWrite(file, buffer, 8, retries)
                                   : usbScanRead(file, buffer, 8, retries);
        QCOMPARE(rc, ERRORCODE(result));
        QCOMPARE(toList(fake.transferLengths), asked);
        QCOMPARE(fake.lastTimeout, 60000u);
        if (result == 0) {
            // Every byte in its place, once.
            const QByteArray expected = QByteArray::fromHex("0a0b0c0d0e0f1011");
            QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), 8), expected);
            if (write)
                QCOMPARE(QByteArray(reinterpret_cast<char*>(fake.written.data()), int(fake.written.size())), expected);
        }
    }

    void transportTables()
    {
        const Transport* bridge = transportForKind(0);
        const Transport* scan = transportForKind(1);
        QVERIFY(bridge && scan);
        QVERIFY(!transportForKind(2));
        QVERIFY(bridge->open == &siUsbOpen);
        QVERIFY(scan->read == &usbScanRead);
        QVERIFY(bridge->attached == &siUsbAttached);
        QVERIFY(scan->attached == &usbScanAttached);
        QCOMPARE(bridge->romWriteChunk, 64u);
        QCOMPARE(bridge->romReadChunk, 512u);
        QCOMPARE(bridge->moduleEraseStep, 4096u);
        QCOMPARE(scan->romWriteChunk, 4096u);
        QCOMPARE(scan->romReadChunk, 4096u);
        QCOMPARE(scan->moduleEraseStep, 4096u);
    }

    void providerSwap()
    {
        Platform* original = platform();
        FakePlatform fake;
        Platform* previous = setPlatform(&fake);
        QCOMPARE(previous, original);
        QCOMPARE(platform(), static_cast<Platform*>(&fake));
        setPlatform(nullptr);
        QCOMPARE(platform(), original);
    }
};

QV_TEST_MAIN_CORE(TestTransport)
#include "tst_transport.moc"
