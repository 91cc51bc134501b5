// Record layouts shared with the application library, and the value codecs of the wire and ROM
// data (little-endian, fixed-point pairs, ROM decimals, packed dates) against golden vectors.
#include "romcodec.h"
#include "romimage.h"
#include "testenv.h"

#include <tavrin/device.h>

#include <QtTest>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

using namespace tavrin;

// The application library reads these records by field position: any move is an interface break.
constexpr size_t P = sizeof(void*);
static_assert(offsetof(SpectrometerDevice, deviceIndex) == 0);
static_assert(offsetof(SpectrometerDevice, lastIntegrationTime) == 4);
static_assert(offsetof(SpectrometerDevice, windowPixelCount) == 8);
static_assert(offsetof(SpectrometerDevice, windowStartPixel) == 12);
static_assert(offsetof(SpectrometerDevice, transportHandle) == 16);
static_assert(offsetof(SpectrometerDevice, spectrometerInformation) == 16 + P);
static_assert(offsetof(SpectrometerDevice, intensityCalibration) == 16 + 6 * P);
static_assert(offsetof(SpectrometerDevice, windowWavelengths) == 16 + 7 * P);
static_assert(offsetof(SpectrometerDevice, frameWavelengths) == 16 + 8 * P);
static_assert(offsetof(SpectrometerDevice, rawFrame) == 16 + 9 * P);
static_assert(offsetof(SpectrometerDevice, spectrometerInformationStatus) == 16 + 10 * P);
static_assert(offsetof(SpectrometerDevice, intensityCalibrationStatus) == 16 + 10 * P + 20);
static_assert(offsetof(SpectrometerDevice, kind) == 16 + 10 * P + 24);
static_assert(offsetof(SpectrometerDevice, transport) == (16 + 10 * P + 28 + P - 1) / P * P);
static_assert(offsetof(SpectrometerDevice, commands) == offsetof(SpectrometerDevice, transport) + P);
static_assert(offsetof(SpectrometerDevice, romLayout) == offsetof(SpectrometerDevice, transport) + 2 * P);
static_assert(sizeof(SpectrometerDevice) == offsetof(SpectrometerDevice, transport) + 3 * P);

// A field's value holds an address on every platform.
static_assert(sizeof(CommandField::value) == sizeof(void*));
static_assert(offsetof(CommandField, length) == 0);
static_assert(offsetof(CommandField, value) == P);

static_assert(offsetof(CommandRecord, txBuffer) == 0);
static_assert(offsetof(CommandRecord, txLength) == P);
static_assert(offsetof(CommandRecord, encoder) == 2 * P);
static_assert(offsetof(CommandRecord, encoderFieldCount) == 3 * P);
static_assert(offsetof(CommandRecord, encoderFields) == 4 * P);
static_assert(offsetof(CommandRecord, rxBuffer) == 5 * P);
static_assert(offsetof(CommandRecord, rxLength) == 6 * P);
static_assert(offsetof(CommandRecord, decoder) == 7 * P);
static_assert(offsetof(CommandRecord, decoderFieldCount) == 8 * P);
static_assert(offsetof(CommandRecord, decoderFields) == 9 * P);
static_assert(offsetof(CommandRecord, delayMs) == 10 * P);

static_assert(offsetof(Transport, countDevices) == 4 * P);
static_assert(offsetof(Transport, romWriteChunk) == 5 * P);
static_assert(offsetof(Transport, moduleEraseStep) == 5 * P + 12);
static_assert(sizeof(RomLayout) == 7 * 4);
static_assert(sizeof(DeviceType) == 8);

namespace {

QByteArray bytes(const uint8_t* p, int n) { return QByteArray(reinterpret_cast<const char*>(p), n); }

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

private slots:
    void littleEndian()
    {
        uint8_t b[4];
        writeLe16(b, 0xA1B2);
        QCOMPARE(bytes(b, 2), QByteArray::fromHex("b2a1"));
        QCOMPARE(readLe16(b), uint16_t(0xA1B2));
        writeLe32(b, 0x80000001u);
        QCOMPARE(bytes(b, 4), QByteArray::fromHex("01000080"));
        QCOMPARE(readLe32(b), 0x80000001u);
    }

    void integerPowerValues_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("expected");
        QTest::newRow("any x to 0 is 1") << 7.5 << 0 << 1.0;
        QTest::newRow("10^3") << 10.0 << 3 << 1000.0;
        QTest::newRow("2^10 by squaring") << 2.0 << 10 << 1024.0;
        QTest::newRow("negative power is the reciprocal") << 10.0 << -2 << 0.01;
        QTest::newRow("odd power keeps the sign") << -3.0 << 3 << -27.0;
        QTest::newRow("10^-128 (smallest ROM exponent)") << 10.0 << -128 << 1e-128;
        QTest::newRow("10^127 (largest ROM exponent)") << 10.0 << 127 << 1e127;
    }
    void integerPowerValues()
    {
        QFETCH(double, x);
        QFETCH(int, n);
        QFETCH(double, expected);
        QVERIFY2(std::fabs(integerPower(x, n) - expected) <= 1e-12 * std::fabs(expected),
                 qPrintable(QString::number(integerPower(x, n), 'g', 17)));
    }

    void fixedPointGolden_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("encoded");
        QTest::addColumn<double>("decoded");
        QTest::newRow("380.5: fraction 16383") << 380.5 << QByteArray::fromHex("7c01ff3f") << 380.0 + 16383.0 / 32767;
        QTest::newRow("-0.25: whole 0, fraction -8191") << -0.25 << QByteArray::fromHex("000001e0") << -8191.0 / 32767;
        QTest::newRow("-2.5: both parts negative") << -2.5 << QByteArray::fromHex("feff01c0") << -2.0 - 16383.0 / 32767;
        QTest::newRow("whole number") << 780.0 << QByteArray::fromHex("0c030000") << 780.0;
        QTest::newRow("largest whole") << 32767.0 << QByteArray::fromHex("ff7f0000") << 32767.0;
        QTest::newRow("smallest whole") << -32768.0 << QByteArray::fromHex("00800000") << -32768.0;
    }
    void fixedPointGolden()
    {
        QFETCH(double, value);
        QFETCH(QByteArray, encoded);
        QFETCH(double, decoded);
        uint8_t b[4] = {0xAA, 0xAA, 0xAA, 0xAA};
        QCOMPARE(encodeFixedPoint(value, b), ERRORCODE(EC_Success));
        QCOMPARE(bytes(b, 4), encoded);
        QCOMPARE(decodeFixedPoint(b), decoded);
        // The test support's own encoder writes the same bytes.
        const auto own = romimage::fixedPoint(value);
        QCOMPARE(bytes(own.data(), 4), encoded);
    }

    void fixedPointErasedField()
    {
        const uint8_t erased[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        QCOMPARE(decodeFixedPoint(erased), -1.0 - 1.0 / 32767);
    }

    void fixedPointRefused_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("NaN") << kNaN;
        QTest::newRow("infinity") << kInf;
        QTest::newRow("whole part above 16 bits") << 32768.0;
        QTest::newRow("whole part below 16 bits") << -32769.5;
        QTest::newRow("far beyond 32 bits") << 1e12;
    }
    void fixedPointRefused()
    {
        QFETCH(double, value);
        uint8_t b[4] = {1, 2, 3, 4};
        QCOMPARE(encodeFixedPoint(value, b), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(bytes(b, 4), QByteArray::fromHex("01020304"));  // nothing written
    }

    void romDecimalGolden_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("encoded");  // bytes 0-5
        QTest::newRow("zero encodes as zeros") << 0.0 << QByteArray::fromHex("000000000000");
        // 1234.5: e = 3, c = 1, m = trunc(0.2345 x 2^31) = 503584915 = 0x1E041893
        QTest::newRow("1234.5") << 1234.5 << QByteArray::fromHex("9318041e0103");
        // 0.05: e = -1, c = 0, m = 0.5 x 2^31
        QTest::newRow("0.05") << 0.05 << QByteArray::fromHex("0000004000ff");
        // -7.25: e = 0, c = -7, m = -0.25 x 2^31
        QTest::newRow("-7.25 negative mantissa") << -7.25 << QByteArray::fromHex("000000e0f900");
        QTest::newRow("1 is c = 1 alone") << 1.0 << QByteArray::fromHex("000000000100");
        QTest::newRow("-1 marks no polynomial") << -1.0 << QByteArray::fromHex("00000000ff00");
    }
    void romDecimalGolden()
    {
        QFETCH(double, value);
        QFETCH(QByteArray, encoded);
        uint8_t b[8];
        std::memset(b, 0xFF, sizeof b);
        QCOMPARE(encodeRomDecimal(value, b), ERRORCODE(EC_Success));
        QCOMPARE(bytes(b, 6), encoded);
        QCOMPARE(bytes(b + 6, 2), QByteArray::fromHex("ffff"));  // unused bytes untouched
        QCOMPARE(bytes(romimage::romDecimal(value).data(), 6), encoded);
        const double back = decodeRomDecimal(b);
        QVERIFY2(std::fabs(back - value) <= 1e-9 * std::fabs(value),
                 qPrintable(QString::number(back, 'g', 17)));
    }

    // A value read from the ROM and written back must keep its bytes (a calibration record is
    // often read, changed in one field and written whole).
    void romDecimalRereadKeepsItsBytes_data()
    {
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("step");
        QTest::newRow("reciprocals 1/n") << 1.0 << 0.0;
        QTest::newRow("thousands") << 1000.0 << 0.37;
        QTest::newRow("small negatives") << -1e-7 << -3.3e-9;
    }
    void romDecimalRereadKeepsItsBytes()
    {
        QFETCH(double, first);
        QFETCH(double, step);
        for (int n = 1; n <= 3000; ++n) {
            const double v = step == 0.0 ? first / n : first + step * n;
            uint8_t once[8], twice[8];
            QCOMPARE(encodeRomDecimal(v, once), ERRORCODE(EC_Success));
            QCOMPARE(encodeRomDecimal(decodeRomDecimal(once), twice), ERRORCODE(EC_Success));
            QVERIFY2(std::memcmp(once, twice, 6) == 0, qPrintable(QString::number(v, 'g', 17)));
        }
    }

    void romDecimalRefused_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("NaN") << kNaN;
        QTest::newRow("+infinity") << kInf;
        QTest::newRow("-infinity") << -kInf;
        QTest::newRow("exponent 200 beyond a signed byte") << 1e200;
        QTest::newRow("exponent -130 beyond a signed byte") << 1e-130;
    }
    void romDecimalRefused()
    {
        QFETCH(double, value);
        uint8_t b[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        QCOMPARE(encodeRomDecimal(value, b), ERRORCODE(EC_InvalidArgument));
        QCOMPARE(bytes(b, 8), QByteArray::fromHex("0102030405060708"));
    }

    void romDecimalDecodesErased()
    {
        // An erased coefficient: m = -1, c = -1, e = -1.
        const uint8_t erased[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        QCOMPARE(decodeRomDecimal(erased), 0.1 * (-1.0 - 1.0 / 2147483648.0));
    }

    void packedDates_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("packed");
        QTest::newRow("2024-05-17") << 2024 << 5 << 17 << 0x1CB1;
        QTest::newRow("base year 2010-01-01") << 2010 << 1 << 1 << 0x0021;
        QTest::newRow("last day 2137-12-31") << 2137 << 12 << 31 << 0xFF9F;
    }
    void packedDates()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(int, packed);
        QCOMPARE(int(packDate(year, month, day)), packed);
        QCOMPARE(int(romimage::packedDate(year, month, day)), packed);
        int y = 0, m = 0, d = 0;
        unpackDate(uint16_t(packed), &y, &m, &d);
        QCOMPARE(y, year);
        QCOMPARE(m, month);
        QCOMPARE(d, day);
    }
};

QV_TEST_MAIN_CORE(TestRecords)
#include "tst_records.moc"
