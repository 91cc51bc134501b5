// The measurement data file: exact bytes of the format, round trips, and damaged files that must
// be refused without touching what the caller holds.

#include "measure/measuredatafile.h"
#include "testenv.h"

#include <QDataStream>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

CColor colour(double X, double Y, double Z, double r, double g, double b)
{
    CColor c(X, Y, Z);
    c.levelR = r;
    c.levelG = g;
    c.levelB = b;
    return c;
}

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// Big-endian bytes of a double, as the format stores it.
QByteArray doubleBytes(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    QByteArray out(8, '\0');
    for (int i = 0; i < 8; ++i)
        out[i] = char(bits >> (56 - 8 * i));
    return out;
}

// The file written for empty lists, assembled by hand from the layout.
QByteArray emptyFileBytes()
{
    return hex("12345678 FF000001"
               "0000000E 00470052004100590043004E0054 00000000"                 // GRAYCNT
               "00000010 00470041004D005500540043004E0054 00000000"             // GAMUTCNT
               "00000016 0043004F004C004F005200430048004B0043004E0054 00000000"     // COLORCHKCNT
               "00000016 0043004F004C004F00520045004200550043004E0054 00000000" // COLOREBUCNT
               "00000018 0043004F004C004F0052004C0055004D00410043004E0054 00000000" // COLORLUMACNT
               "00000016 0053004100540043004F004C004F0052 0043004E0054 00000000" // SATCOLORCNT
               "00000018 0046005200450045 0043004F004C004F0052 0043004E0054 00000000"); // FREECOLORCNT
}

// A small fixture: one gray colour with levels, two free colours (whose levels are not stored).
MeasureDataFile::Contents smallFixture()
{
    MeasureDataFile::Contents c;
    c[MeasureDataFile::GraySection] << colour(1.0, 2.0, 3.0, 0.5, 0.25, 1.0);
    c[MeasureDataFile::FreeSection] << colour(0.5, 0.25, 3.0, 0.7, 0.7, 0.7)
                                    << colour(-2.0, 0.0, 1.0, 0.1, 0.2, 0.3);
    return c;
}

QByteArray smallFixtureBytes()
{
    QByteArray b = emptyFileBytes();
    // Gray: count 1 (bytes 26..29), then X Y Z levelR levelG levelB.
    const int grayCount = 8 + 4 + 14;
    QByteArray gray = hex("00000001") + doubleBytes(1.0) + doubleBytes(2.0) + doubleBytes(3.0)
                      + doubleBytes(0.5) + doubleBytes(0.25) + doubleBytes(1.0);
    b.replace(grayCount, 4, gray);
    // Free: the last section; count 2 then X Y Z twice.
    b.chop(4);
    b += hex("00000002") + doubleBytes(0.5) + doubleBytes(0.25) + doubleBytes(3.0)
         + doubleBytes(-2.0) + doubleBytes(0.0) + doubleBytes(1.0);
    return b;
}

// Contents that stand for "what the caller held before": a failed read must leave them alone.
MeasureDataFile::Contents sentinel()
{
    MeasureDataFile::Contents c;
    for (int s = 0; s < MeasureDataFile::SectionCount; ++s)
        c.lists[s] << colour(7.0 + s, 8.0, 9.0, 0.1, 0.2, 0.3);
    return c;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameContents(const MeasureDataFile::Contents& a, const MeasureDataFile::Contents& b,
                  bool withFreeLevels)
{
    for (int s = 0; s < MeasureDataFile::SectionCount; ++s) {
        if (a.lists[s].size() != b.lists[s].size())
            return false;
        const bool levels = s != MeasureDataFile::FreeSection || withFreeLevels;
        for (int i = 0; i < a.lists[s].size(); ++i) {
            const CColor& x = a.lists[s][i];
            const CColor& y = b.lists[s][i];
            if (!sameBits(x[0], y[0]) || !sameBits(x[1], y[1]) || !sameBits(x[2], y[2]))
                return false;
            if (levels && (!sameBits(x.levelR, y.levelR) || !sameBits(x.levelG, y.levelG)
                           || !sameBits(x.levelB, y.levelB)))
                return false;
        }
    }
    return true;
}

} // namespace

class TestMeasureDataFile : public QObject
{
    Q_OBJECT

private slots:
    void emptyFileIsTheHeaderAndSevenEmptySections()
    {
        const QByteArray bytes = MeasureDataFile::encode(MeasureDataFile::Contents());
        QCOMPARE(bytes.size(), 208);
        QCOMPARE(bytes.toHex(' '), emptyFileBytes().toHex(' '));
        // The empty gray section: key length 14, "GRAYCNT" in UTF-16BE, a count of 0.
        QCOMPARE(bytes.mid(8, 22).toHex(), QByteArray("0000000e0047005200410059"
                                                      "0043004e005400000000"));
    }

    void smallFixtureByteForByte()
    {
        const QByteArray bytes = MeasureDataFile::encode(smallFixture());
        QCOMPARE(bytes.toHex(' '), smallFixtureBytes().toHex(' '));
        // The free section: 28 key and length bytes, the count, two 24-byte colours.
        QCOMPARE(bytes.size(), 208 + 48 + 48);
    }

    void roundTripKeepsEveryBit_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("ordinary") << 95.123456789012345;
        QTest::newRow("negative zero") << -0.0;
        QTest::newRow("denormal") << 4.9e-324;
        QTest::newRow("largest") << std::numeric_limits<double>::max();
        QTest::newRow("null colour mark") << -99999.99;
    }

    void roundTripKeepsEveryBit()
    {
        QFETCH(double, value);
        MeasureDataFile::Contents in;
        for (int s = 0; s < MeasureDataFile::SectionCount; ++s)
            for (int i = 0; i <= s; ++i)
                in.lists[s] << colour(value, i + 0.125, -value, 0.1 * i, value, 1.0 / 3.0);
        const QByteArray bytes = MeasureDataFile::encode(in);

        MeasureDataFile::Contents out;
        QString error;
        QCOMPARE(MeasureDataFile::decode(bytes, &out, &error), MeasureDataFile::Status::Ok);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(sameContents(in, out, false));
        for (const CColor& c : out[MeasureDataFile::FreeSection]) {
            QCOMPARE(c.levelR, 0.0);
            QCOMPARE(c.levelB, 0.0);
        }
        QCOMPARE(MeasureDataFile::encode(out), bytes);
    }

    void negativeCountIsAnEmptyList()
    {
        QByteArray bytes = emptyFileBytes();
        bytes.replace(26, 4, hex("FFFFFFFE"));
        MeasureDataFile::Contents out = sentinel();
        QCOMPARE(MeasureDataFile::decode(bytes, &out), MeasureDataFile::Status::Ok);
        QVERIFY(out[MeasureDataFile::GraySection].isEmpty());
        QVERIFY(out[MeasureDataFile::FreeSection].isEmpty());
    }

    void damagedFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("errorMentions");
        const auto version = int(MeasureDataFile::Status::VersionError);
        const auto data = int(MeasureDataFile::Status::DataError);
        const QByteArray good = smallFixtureBytes();

        QTest::newRow("empty file") << QByteArray() << version << "header";
        QTest::newRow("truncated inside the header") << good.left(6) << version << "header";
        QTest::newRow("truncated after the header") << good.left(8) << data << "GRAYCNT";
        QTest::newRow("truncated inside a key") << good.left(15) << data << "inside the section key";
        QTest::newRow("truncated before a count") << good.left(26) << data << "record count";
        QTest::newRow("truncated inside a record") << good.left(40) << data << "needs 48 bytes";
        QTest::newRow("truncated inside the last section")
            << good.left(good.size() - 1) << data << "FREECOLORCNT";
        QTest::newRow("wrong magic") << QByteArray(good).replace(0, 4, hex("12345679")) << version
                                     << "magic";
        QTest::newRow("wrong version") << QByteArray(good).replace(4, 4, hex("FF000002")) << version
                                       << "version";
        QTest::newRow("huge count") << QByteArray(good).replace(26, 4, hex("7FFFFFFF")) << data
                                    << "count 2147483647";
        QTest::newRow("count one too many") << QByteArray(good).replace(26, 4, hex("00000002"))
                                            << data << "GAMUTCNT";
        QTest::newRow("odd key length") << QByteArray(good).replace(8, 4, hex("0000000D")) << data
                                        << "odd key length 13";
        QTest::newRow("huge key length") << QByteArray(good).replace(8, 4, hex("7FFFFFFE")) << data
                                         << "exceeds";
        QTest::newRow("null key") << QByteArray(good).replace(8, 4, hex("FFFFFFFF")) << data
                                  << "null key";
        QTest::newRow("key in other letter case")
            << QByteArray(good).replace(15, 1, "r") << data << "\"GrAYCNT\"";
        QByteArray gamutDamaged = good;
        const int gamutKey = 8 + 22 + 48 + 4 + 2; // first character of "GAMUTCNT"
        gamutDamaged[gamutKey + 1] = 'X';
        QTest::newRow("damaged gamut key") << gamutDamaged << data << "GAMUTCNT";
    }

    void damagedFileChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(QString, errorMentions);

        const MeasureDataFile::Contents before = sentinel();
        MeasureDataFile::Contents held = before;
        QString error;
        QCOMPARE(int(MeasureDataFile::decode(bytes, &held, &error)), status);
        QVERIFY2(error.contains(errorMentions), qPrintable(error));
        QVERIFY(error.contains(QLatin1String("at byte")));
        QVERIFY(sameContents(before, held, true));
    }

    // A value that is not a finite number is refused like any other damage, with the offset of
    // the value itself: no list, table or chart can show it.
    void nonFiniteValueChangesNothing_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("errorMentions");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        const int grayRecord = 8 + 4 + 14 + 4; // header, key length, "GRAYCNT", count
        const int freeRecords = smallFixtureBytes().size() - 48;
        QTest::newRow("NaN as gray X") << grayRecord << nan << "at byte 30, section \"GRAYCNT\"";
        QTest::newRow("+inf as gray Y") << grayRecord + 8 << inf << "at byte 38, section \"GRAYCNT\"";
        QTest::newRow("-inf as gray Z") << grayRecord + 16 << -inf << "at byte 46, section \"GRAYCNT\"";
        QTest::newRow("NaN as a gray level") << grayRecord + 24 << nan << "at byte 54, section \"GRAYCNT\"";
        QTest::newRow("+inf as a gray level") << grayRecord + 32 << inf << "at byte 62, section \"GRAYCNT\"";
        QTest::newRow("-inf as a gray level") << grayRecord + 40 << -inf << "at byte 70, section \"GRAYCNT\"";
        QTest::newRow("NaN as free X") << freeRecords << nan
                                       << QString("at byte %1, section \"FREECOLORCNT\"").arg(freeRecords);
        QTest::newRow("-inf as the last free Z") << freeRecords + 40 << -inf
                                                 << QString("at byte %1, section \"FREECOLORCNT\"").arg(freeRecords + 40);
        QTest::newRow("negative NaN as the second free Y") << freeRecords + 32 << -nan
                                                << QString("at byte %1, section \"FREECOLORCNT\"").arg(freeRecords + 32);
    }

    void nonFiniteValueChangesNothing()
    {
        QFETCH(int, offset);
        QFETCH(double, value);
        QFETCH(QString, errorMentions);
        const QByteArray bytes = smallFixtureBytes().replace(offset, 8, doubleBytes(value));

        const MeasureDataFile::Contents before = sentinel();
        MeasureDataFile::Contents held = before;
        QString error;
        QCOMPARE(MeasureDataFile::decode(bytes, &held, &error), MeasureDataFile::Status::DataError);
        QVERIFY2(error.contains(errorMentions), qPrintable(error));
        QVERIFY2(error.contains("not a finite number"), qPrintable(error));
        QVERIFY(sameContents(before, held, true));
    }

    void sectionReaderLeavesTheListOnFailure()
    {
        QByteArray bytes = smallFixtureBytes().mid(8, 22 + 48 - 1); // gray section, one byte short
        QDataStream in(bytes);
        MeasureDataFile::setUpStream(in);
        QList<CColor> list = sentinel()[MeasureDataFile::GraySection];
        QString error;
        QVERIFY(!MeasureDataFile::readSection(in, MeasureDataFile::GraySection, &list, &error));
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0][0], 7.0);
        QVERIFY2(error.contains("at byte 18") && error.contains("only 47 are left"), qPrintable(error));
    }
};

QV_TEST_MAIN_CORE(TestMeasureDataFile)
#include "tst_measuredatafile.moc"
