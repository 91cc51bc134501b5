// Command tables of both kinds: the bytes every record sends, its reply and delay, the time
// codes, the encoders and decoders on their own, the table copy, and the command executor.
#include "commandtable.h"
#include "fakeplatform.h"
#include "testenv.h"

#include <tavrin/device.h>

#include <QtTest>

#include <cstring>

using namespace tavrin;
using tavrinemu::FakePlatform;
using tavrinemu::ScopedPlatform;

typedef QVector<quint64> Args;
Q_DECLARE_METATYPE(Args)

namespace {

QByteArray bytes(const uint8_t* p, uint32_t n)
{
    return QByteArray(reinterpret_cast<const char*>(p), int(n));
}

// A transport that records what it is asked and answers as told.
struct RecordingTransport {
    static inline std::vector<std::string> log;
    static inline QByteArray sent;
    static inline QByteArray reply;
    static inline ERRORCODE writeResult = 0;
    static inline ERRORCODE readResult = 0;
    static inline uint32_t lastRetries = 99;

    static void reset()
    {
        log.clear();
        sent.clear();
        reply.clear();
        writeResult = readResult = 0;
        lastRetries = 99;
    }
    static ERRORCODE open(uint32_t, void**) { return 0; }
    static ERRORCODE close(void*) { return 0; }
    static ERRORCODE read(void*, void* buffer, uint32_t length, uint32_t retries)
    {
        log.push_back("read " + std::to_string(length));
        lastRetries = retries;
        if (readResult)
            return readResult;
        std::memcpy(buffer, reply.constData(), std::min<size_t>(length, size_t(reply.size())));
        return 0;
    }
    static ERRORCODE write(void*, const void* buffer, uint32_t length, uint32_t retries)
    {
        log.push_back("write " + std::to_string(length));
        lastRetries = retries;
        sent.append(static_cast<const char*>(buffer), int(length));
        return writeResult;
    }
    static ERRORCODE count(uint32_t* c)
    {
        *c = 0;
        return 0;
    }
};

const Transport kRecording = {RecordingTransport::open, RecordingTransport::close,
                              RecordingTransport::read, RecordingTransport::write,
                              RecordingTransport::count, 64, 512, 512, 4096, nullptr};

void* const kHandle = reinterpret_cast<void*>(uintptr_t(0x1234));

} // namespace

class TestCommandTable : public QObject
{
    Q_OBJECT

private slots:
    void transmitBytes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("index");
        QTest::addColumn<Args>("args");
        QTest::addColumn<QByteArray>("tx");
        QTest::addColumn<int>("rxLength");
        QTest::addColumn<int>("decoded");
        QTest::addColumn<int>("delay");

        auto row = [](int kind, int index, Args args, const char* hex, int rx, int dec, int delay) {
            QTest::addRow("kind %d record %d", kind, index)
                << kind << index << args << QByteArray::fromHex(hex) << rx << dec << delay;
        };
        // Kind 0: opcode byte, then little-endian fields.
        row(0, 0, {1500000}, "53e803", 0, 0, 10);  // 1.5 s goes out as code 1000
        row(0, 1, {0x1234}, "6f3412", 0, 0, 0);
        row(0, 2, {}, "4f00", 2, 1, 100);
        row(0, 3, {0xAB}, "67ab", 0, 0, 0);
        row(0, 4, {}, "4700", 2, 1, 100);
        row(0, 5, {224, 0x0400}, "52e000000400", 0, 0, 0);
        row(0, 6, {64, 0x1234}, "574000341200", 0, 0, 0);
        row(0, 7, {}, "", 0, 0, 0);
        row(0, 8, {1}, "6501", 0, 0, 0);
        row(0, 9, {}, "45", 2, 1, 100);
        row(0, 10, {}, "56", 2, 1, 100);
        row(0, 11, {}, "42", 4, 1, 100);
        row(0, 12, {300, 0x0200}, "722c01000200", 0, 0, 10);
        row(0, 13, {64, 0x8000}, "774000008000", 0, 0, 0);
        row(0, 14, {}, "61", 0, 0, 0);
        row(0, 15, {0x1000}, "410010", 0, 0, 0);
        row(0, 16, {1, 2}, "690102", 0, 0, 0);
        row(0, 17, {}, "49", 2, 2, 100);
        for (int i = 18; i < 36; ++i)
            row(0, i, {}, "", 0, 0, 0);
        // Kind 1: 0x09 0x4F + letters, then u32 fields; gets wait 5 ms.
        row(1, 0, {}, "094f5351", 0, 0, 5);
        row(1, 1, {}, "094f616f01000000020000000300000004000000", 0, 0, 0);
        row(1, 2, {}, "094f414f", 16, 4, 5);
        row(1, 3, {}, "094f616701000000020000000300000004000000", 0, 0, 0);
        row(1, 4, {}, "094f4147", 16, 4, 5);
        row(1, 5, {0x1000, 0x60000}, "094f52520010000000000600", 0, 0, 5);
        row(1, 6, {0x1000, 0x60000}, "094f77720010000000000600", 0, 0, 0);
        row(1, 7, {}, "094f656d", 0, 0, 0);
        row(1, 8, {1}, "094f657001000000", 0, 0, 0);
        row(1, 9, {}, "094f4550", 4, 1, 5);
        row(1, 10, {}, "094f4656", 4, 1, 5);
        row(1, 11, {}, "094f4642", 4, 1, 5);
        row(1, 12, {300, 0}, "094f524d2c01000000000000", 0, 0, 5);
        row(1, 13, {4096, 0x8000}, "094f776d0010000000800000", 0, 0, 0);
        row(1, 14, {}, "094f6563", 0, 0, 0);
        row(1, 15, {0x1000, 0}, "094f65730010000000000000", 0, 0, 0);
        row(1, 16, {1, 2}, "094f74690100000002000000", 0, 0, 0);
        row(1, 17, {}, "094f5449", 4, 2, 5);
        row(1, 18, {1500000}, "094f697460e31600", 0, 0, 0);
        row(1, 19, {}, "094f4954", 4, 1, 5);
        row(1, 20, {8}, "094f617608000000", 0, 0, 0);
        row(1, 21, {}, "094f4156", 4, 1, 5);
        row(1, 22, {4}, "094f727604000000", 0, 0, 0);
        row(1, 23, {}, "094f5256", 4, 1, 5);
        row(1, 24, {1}, "094f626301000000", 0, 0, 0);
        row(1, 25, {}, "094f4243", 4, 1, 5);
        row(1, 26, {7, 9}, "094f73670700000009000000", 0, 0, 0);
        row(1, 27, {}, "094f5347", 8, 2, 5);
        row(1, 28, {3}, "094f6c6103000000", 0, 0, 0);
        row(1, 29, {}, "094f4c41", 4, 1, 5);
        row(1, 30, {0xFFFFFFFF}, "094f6969ffffffff", 0, 0, 0);
        row(1, 31, {}, "094f4949", 4, 1, 5);
        row(1, 32, {2}, "094f626702000000", 0, 0, 0);
        row(1, 33, {}, "094f4247", 4, 0, 5);
        row(1, 34, {5}, "094f737205000000", 0, 0, 0);
        row(1, 35, {}, "094f5352", 4, 1, 5);
    }
    void transmitBytes()
    {
        QFETCH(int, kind);
        QFETCH(int, index);
        QFETCH(Args, args);
        QFETCH(QByteArray, tx);
        QFETCH(int, rxLength);
        QFETCH(int, decoded);
        QFETCH(int, delay);

        CommandRecord* table = nullptr;
        QCOMPARE(copyCommandTable(&table, uint32_t(kind)), ERRORCODE(EC_Success));
        CommandRecord& r = table[index];
        QCOMPARE(hasCommand(r), !tx.isEmpty());
        QCOMPARE(int(r.txLength), tx.size());
        QCOMPARE(int(r.rxLength), rxLength);
        QCOMPARE(int(r.delayMs), delay);
        QCOMPARE(int(r.decoderFieldCount), decoded);
        QCOMPARE(r.rxBuffer != nullptr, rxLength > 0);

        // ADC setters of kind 1 take the address of four channel values.
        uint32_t channels[4] = {1, 2, 3, 4};
        const bool fromPointer = r.encoder == encodeDwordsFromPointer;
        if (fromPointer)
            r.encoderFields[0].value = reinterpret_cast<uintptr_t>(channels);
        for (int i = 0; i < args.size(); ++i)
            r.encoderFields[i].value = uintptr_t(args[i]);
        if (r.encoder && r.encoder != encodeDwordIfChanged)
            QCOMPARE(r.encoder(r.txBuffer, r.txLength, r.encoderFieldCount, r.encoderFields,
                               nullptr),
                     ERRORCODE(EC_Success));
        if (r.txLength) {
            QCOMPARE(bytes(r.txBuffer, r.txLength), tx);
            // The copy rounds up to whole words; the encoder must leave the slack alone.
            for (uint32_t i = r.txLength; i < (r.txLength + 3) / 4 * 4; ++i)
                QCOMPARE(int(r.txBuffer[i]), 0);
            QCOMPARE(r.encoderFields[r.encoderFieldCount].length, 0u);  // end entry copied
        }
        QCOMPARE(freeCommandTable(table, uint32_t(kind)), ERRORCODE(EC_Success));
    }

    void timeCodes_data()
    {
        QTest::addColumn<quint32>("microseconds");
        QTest::addColumn<int>("code");
        QTest::newRow("0") << 0u << 0;
        QTest::newRow("500 us waits no whole ms") << 500u << 0;
        QTest::newRow("999 us") << 999u << 0;
        QTest::newRow("1 ms") << 1000u << 1;
        QTest::newRow("1 s is still milliseconds") << 1000000u << 1000;
        QTest::newRow("1.5 s is sent as 1 s") << 1500000u << 1000;
        QTest::newRow("1.999999 s") << 1999999u << 1000;
        QTest::newRow("2 s is 1001") << 2000000u << 1001;
        QTest::newRow("60 s") << 60000000u << 1059;
        QTest::newRow("largest u32") << 4294967295u << 5293;
    }
    void timeCodes()
    {
        QFETCH(quint32, microseconds);
        QFETCH(int, code);
        QCOMPARE(int(exposureTimeCode(microseconds)), code);
        // The encoder stores the code back into the field.
        uint8_t tx[3] = {'S', 0, 0};
        CommandField f[2] = {{2, microseconds}, {0, 0}};
        QCOMPARE(encodeBytesMicroseconds(tx, 3, 1, f, nullptr), ERRORCODE(EC_Success));
        QCOMPARE(int(f[0].value), code);
        QCOMPARE(int(tx[1] | tx[2] << 8), code);
    }

    void deviceList()
    {
        uint32_t kind = 77;
        QCOMPARE(findDeviceConfiguration(0x10C4, 0xEA61, &kind), ERRORCODE(EC_Success));
        QCOMPARE(kind, 0u);
        QCOMPARE(findDeviceConfiguration(0x0638, 0x0AAC, &kind), ERRORCODE(EC_Success));
        QCOMPARE(kind, 1u);
        QCOMPARE(findDeviceConfiguration(0x10C4, 0x0AAC, &kind), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(kind, 2u);
        // The 0/0 end entry is not a device.
        QCOMPARE(findDeviceConfiguration(0, 0, &kind), ERRORCODE(EC_InvalidArgument));
    }

    void copyRefusals()
    {
        QCOMPARE(copyCommandTable(nullptr, 0), ERRORCODE(EC_NullArgument));
        CommandRecord* table = reinterpret_cast<CommandRecord*>(uintptr_t(1));
        QCOMPARE(copyCommandTable(&table, 2), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(freeCommandTable(nullptr, 0), ERRORCODE(EC_Success));
    }

    void copiesAreIndependent()
    {
        CommandRecord *a = nullptr, *b = nullptr;
        QCOMPARE(copyCommandTable(&a, 1), ERRORCODE(EC_Success));
        QCOMPARE(copyCommandTable(&b, 1), ERRORCODE(EC_Success));
        QVERIFY(a[CmdReadSpectrometerRom].txBuffer != b[CmdReadSpectrometerRom].txBuffer);
        a[CmdReadSpectrometerRom].encoderFields[0].value = 512;
        QCOMPARE(b[CmdReadSpectrometerRom].encoderFields[0].value, uintptr_t(0));
        QCOMPARE(commandTemplate(1)[CmdReadSpectrometerRom].encoderFields[0].value, uintptr_t(0));
        freeCommandTable(a, 1);
        freeCommandTable(b, 1);
    }

    void encodersStayInsideTheBuffer()
    {
        // A field list longer than the buffer: the encoders stop at the tx length.
        uint8_t tx[8];
        std::memset(tx, 0xCC, sizeof tx);
        tx[0] = 'x';
        CommandField fields[3] = {{2, 0x1111}, {4, 0x22222222}, {0, 0}};
        encodeBytes(tx, 4, 2, fields, nullptr);
        QCOMPARE(bytes(tx, 8), QByteArray::fromHex("781111222ccccccc").left(4) + QByteArray::fromHex("cccccccc"));
        std::memset(tx, 0xCC, sizeof tx);
        encodeDwords(tx, 6, 2, fields, nullptr);  // no room for even one word after the header
        QCOMPARE(bytes(tx + 4, 4), QByteArray::fromHex("cccccccc"));
    }

    void decodeOnlyWhatArrived_data()
    {
        QTest::addColumn<bool>("dwords");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("fields");
        QTest::addColumn<int>("fieldLength");
        QTest::addColumn<Args>("values");
        QTest::newRow("trigger IO kind 1: one word for two fields, the second is 0")
            << true << QByteArray::fromHex("05000000") << 2 << 4 << Args{5, 0};
        QTest::newRow("ADC offsets kind 1: four words")
            << true << QByteArray::fromHex("01000000020000000300000004000080") << 4 << 4
            << Args{1, 2, 3, 0x80000004u};
        QTest::newRow("kind 0 two bytes into one u16") << false << QByteArray::fromHex("3412") << 1 << 2 << Args{0x1234};
        QTest::newRow("kind 0 trigger IO: two u8") << false << QByteArray::fromHex("0102") << 2 << 1 << Args{1, 2};
        QTest::newRow("kind 0 external port: the second reply byte is ignored")
            << false << QByteArray::fromHex("07ff") << 1 << 1 << Args{7};
        QTest::newRow("kind 0 reply shorter than the fields") << false << QByteArray::fromHex("aa") << 1 << 2 << Args{0xAA};
    }
    void decodeOnlyWhatArrived()
    {
        QFETCH(bool, dwords);
        QFETCH(QByteArray, reply);
        QFETCH(int, fields);
        QFETCH(int, fieldLength);
        QFETCH(Args, values);
        std::vector<CommandField> f(size_t(fields) + 1, CommandField{uint32_t(fieldLength), 0xDEAD});
        f.back() = {0, 0};
        const auto* rx = reinterpret_cast<const uint8_t*>(reply.constData());
        QCOMPARE((dwords ? decodeDwords : decodeBytes)(rx, uint32_t(reply.size()), uint32_t(fields), f.data()),
                 ERRORCODE(EC_Success));
        for (int i = 0; i < fields; ++i)
            QCOMPARE(quint64(f[size_t(i)].value), values[i]);
    }

    void channelsFromTheCallersArray()
    {
        uint8_t tx[20] = {0x09, 0x4F, 'a', 'o'};
        CommandField f[5] = {{4, 0}, {4, 0}, {4, 0}, {4, 0}, {0, 0}};
        QCOMPARE(encodeDwordsFromPointer(tx, 20, 4, f, nullptr), ERRORCODE(EC_NullArgument));
        const uint32_t channels[4] = {0xFFFFFFFF, 0, 7, 0x10000};
        f[0].value = reinterpret_cast<uintptr_t>(channels);
        QCOMPARE(encodeDwordsFromPointer(tx, 20, 4, f, nullptr), ERRORCODE(EC_Success));
        QCOMPARE(bytes(tx, 20), QByteArray::fromHex("094f616fffffffff000000000700000000000100"));
        QCOMPARE(f[0].value, uintptr_t(0xFFFFFFFF));  // the values replace the address
    }

    void integrationTimeSentOnlyWhenChanged_data()
    {
        QTest::addColumn<quint32>("last");
        QTest::addColumn<quint32>("time");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("same time: nothing sent") << 200000u << 200000u << QByteArray();
        QTest::newRow("changed: it + the time") << 200000u << 1500000u << QByteArray::fromHex("094f697460e31600");
        QTest::newRow("first after open") << 0u << 100u << QByteArray::fromHex("094f697464000000");
    }
    void integrationTimeSentOnlyWhenChanged()
    {
        QFETCH(quint32, last);
        QFETCH(quint32, time);
        QFETCH(QByteArray, sent);
        RecordingTransport::reset();
        SpectrometerDevice device{};
        device.transport = &kRecording;
        device.transportHandle = kHandle;
        device.lastIntegrationTime = last;
        uint8_t tx[4] = {0x09, 0x4F, 'S', 'Q'};
        CommandField f[2] = {{4, time}, {0, 0}};
        QCOMPARE(encodeDwordIfChanged(tx, 4, 1, f, &device), ERRORCODE(EC_Success));
        QCOMPARE(RecordingTransport::sent, sent);
        if (!sent.isEmpty())
            QCOMPARE(RecordingTransport::lastRetries, 0u);
        QCOMPARE(device.lastIntegrationTime, last);  // acquisition updates it, not the encoder
        QCOMPARE(bytes(tx, 4), QByteArray::fromHex("094f5351"));
        // The shared template of "it" is never written.
        const CommandRecord& it = commandTemplate(1)[CmdSetIntegrationTime];
        QCOMPARE(bytes(it.txBuffer, it.txLength), QByteArray::fromHex("094f697400000000"));
    }

    void integrationTimeWithoutDevice()
    {
        uint8_t tx[4] = {0x09, 0x4F, 'S', 'Q'};
        CommandField f[2] = {{4, 5}, {0, 0}};
        QCOMPARE(encodeDwordIfChanged(tx, 4, 1, f, nullptr), ERRORCODE(EC_NoDevice));
        RecordingTransport::reset();
        RecordingTransport::writeResult = EC_TransferFailed;
        SpectrometerDevice device{};
        device.transport = &kRecording;
        device.transportHandle = kHandle;
        QCOMPARE(encodeDwordIfChanged(tx, 4, 1, f, &device), ERRORCODE(EC_TransferFailed));
    }

    void executorSteps_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("index");
        QTest::addColumn<quint32>("writeResult");
        QTest::addColumn<quint32>("readResult");
        QTest::addColumn<quint32>("result");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<quint32>>("sleeps");
        QTest::newRow("get: write, delay, read")
            << 0 << int(CmdGetFirmwareVersion) << 0u << 0u << 0u
            << QStringList{"write 1", "read 2"} << QList<quint32>{100};
        QTest::newRow("set: write and no read")
            << 0 << int(CmdSetExternalPort) << 0u << 0u << 0u << QStringList{"write 2"}
            << QList<quint32>{0};
        QTest::newRow("failed write ends it")
            << 1 << int(CmdGetFirmwareVersion) << quint32(EC_TransferFailed) << 0u
            << quint32(EC_TransferFailed) << QStringList{"write 4"} << QList<quint32>{};
        QTest::newRow("failed read is returned after the delay")
            << 1 << int(CmdGetAdcGain) << 0u << 0x80000004u << 0x80000004u
            << QStringList{"write 4", "read 16"} << QList<quint32>{5};
    }
    void executorSteps()
    {
        QFETCH(int, kind);
        QFETCH(int, index);
        QFETCH(quint32, writeResult);
        QFETCH(quint32, readResult);
        QFETCH(quint32, result);
        QFETCH(QStringList, steps);
        QFETCH(QList<quint32>, sleeps);
        FakePlatform fake;
        ScopedPlatform scoped(&fake);
        RecordingTransport::reset();
        RecordingTransport::writeResult = writeResult;
        RecordingTransport::readResult = readResult;
        RecordingTransport::reply = QByteArray::fromHex("0302010004030201");
        CommandRecord* table = nullptr;
        copyCommandTable(&table, uint32_t(kind));
        CommandRecord& r = table[index];
        r.decoderFields[0].value = 0xDEAD;
        QCOMPARE(executeCommand(&r, kHandle, &kRecording), ERRORCODE(result));
        QStringList log;
        for (const auto& s : RecordingTransport::log)
            log << QString::fromStdString(s);
        QCOMPARE(log, steps);
        QCOMPARE(QList<quint32>(fake.sleeps.begin(), fake.sleeps.end()), sleeps);
        if (result == 0 && r.rxLength)
            QCOMPARE(r.decoderFields[0].value, uintptr_t(kind == 0 ? 0x0203 : 0x00010203));
        if (result != 0 && r.decoderFieldCount)
            QCOMPARE(r.decoderFields[0].value, uintptr_t(0xDEAD));  // no decode after a failure
        if (!steps.isEmpty())
            QCOMPARE(RecordingTransport::lastRetries, 0u);
        freeCommandTable(table, uint32_t(kind));
    }

    void executorWithoutHandle()
    {
        RecordingTransport::reset();
        CommandRecord* table = nullptr;
        copyCommandTable(&table, 0);
        QCOMPARE(executeCommand(&table[CmdGetFirmwareVersion], nullptr, &kRecording),
                 ERRORCODE(EC_NoDevice));
        QVERIFY(RecordingTransport::log.empty());
        freeCommandTable(table, 0);
    }

    void executorStopsOnEncoderError()
    {
        FakePlatform fake;
        ScopedPlatform scoped(&fake);
        RecordingTransport::reset();
        CommandRecord* table = nullptr;
        copyCommandTable(&table, 1);
        // Kind-1 ADC setter with no channel array: refused before anything is sent.
        table[CmdSetAdcOffset].encoderFields[0].value = 0;
        QCOMPARE(executeCommand(&table[CmdSetAdcOffset], kHandle, &kRecording),
                 ERRORCODE(EC_NullArgument));
        QVERIFY(RecordingTransport::log.empty());
        QVERIFY(fake.sleeps.empty());
        freeCommandTable(table, 1);
    }
};

QV_TEST_MAIN_CORE(TestCommandTable)
#include "tst_commandtable.moc"
