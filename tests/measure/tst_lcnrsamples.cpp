// LCNR samples: the XML sample file written and read back, the codes of the levels, the nine
// tables expanded from the samples, and the "lcnr1.txt" table file. Levels that would index
// outside the tables are refused before anything is built.

#include "measure/lcnrsamples.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(QVector<int>)
Q_DECLARE_METATYPE(QVector<double>)

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Sample i gets level levels[i] and component c the value 100 c + i, so every number of a
// written file tells where it came from.
void fill(DCS& dcs, const QVector<double>& levels)
{
    dcs.count = levels.size();
    for (int i = 0; i < levels.size(); ++i) {
        dcs.level[i] = levels[i];
        for (int c = 0; c < DCS::ComponentCount; ++c)
            dcs.sample[c][i] = 100.0 * c + i;
    }
}

QByteArray levelFile(const QByteArray& levelText)
{
    return "<LCNR>\n    <LEVEL>" + levelText + "</LEVEL>\n</LCNR>\n";
}

const double notANumber = std::numeric_limits<double>::quiet_NaN();

} // namespace

class TestLcnrSamples : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void codesOfLevels_data();
    void codesOfLevels();
    void tablesInterpolateBetweenTheCodes_data();
    void tablesInterpolateBetweenTheCodes();
    void refusedLevelsBuildNothing_data();
    void refusedLevelsBuildNothing();
    void tableFileLayout();

    void sampleFileLayout_data();
    void sampleFileLayout();
    void samplesRoundTrip();
    void levelTextRead_data();
    void levelTextRead();
    void refusedFilesChangeNothing_data();
    void refusedFilesChangeNothing();
    void otherElementsAreSkippedWhole();
    void loadingAppendsUpToSixtyFour_data();
    void loadingAppendsUpToSixtyFour();
    void unwritableFilesAreReported();

private:
    QTemporaryDir* dir = nullptr;
    QString previousDir;
};

void TestLcnrSamples::init()
{
    // buildTables() writes "lcnr1.txt" into the working directory: give each case its own.
    dir = new QTemporaryDir;
    QVERIFY(dir->isValid());
    previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir->path()));
}

void TestLcnrSamples::cleanup()
{
    QDir::setCurrent(previousDir);
    delete dir;
    dir = nullptr;
}

void TestLcnrSamples::codesOfLevels_data()
{
    QTest::addColumn<QVector<double>>("levels");
    QTest::addColumn<QVector<int>>("codes");

    QTest::newRow("0, 0.5, 1 give 0, 512, 1023") << QVector<double>{0, 0.5, 1}
                                               << QVector<int>{0, 512, 1023};
    QTest::newRow("scaled by the last level") << QVector<double>{0, 50, 100}
                                              << QVector<int>{0, 512, 1023};
    QTest::newRow("one sample is code 1023") << QVector<double>{0.7} << QVector<int>{1023};
    QTest::newRow("half rounds up") << QVector<double>{0, 0.5 / 1023, 1}
                                    << QVector<int>{0, 1, 1023};
    QTest::newRow("just below a half rounds down") << QVector<double>{0, 0.49 / 1023, 1}
                                                   << QVector<int>{0, 0, 1023};
    QTest::newRow("first code above 0") << QVector<double>{0.25, 1} << QVector<int>{256, 1023};
    QTest::newRow("a falling middle stays within the tables")
        << QVector<double>{0, 0.8, 0.5, 1} << QVector<int>{0, 818, 512, 1023};
}

void TestLcnrSamples::codesOfLevels()
{
    QFETCH(QVector<double>, levels);
    QFETCH(QVector<int>, codes);
    QVector<int> got(levels.size(), -7);
    QString error;
    QVERIFY2(DCS::sampleCodes(levels.size(), levels.constData(), got.data(), &error),
             qPrintable(error));
    QCOMPARE(got, codes);
}

void TestLcnrSamples::tablesInterpolateBetweenTheCodes_data()
{
    QTest::addColumn<QVector<double>>("levels");
    QTest::addColumn<QVector<double>>("rx");
    QTest::addColumn<QVector<int>>("entries");
    QTest::addColumn<QVector<double>>("expected");

    QTest::newRow("0..1023 over the whole range is the index")
        << QVector<double>{0, 1} << QVector<double>{0, 1023}
        << QVector<int>{0, 1, 2, 511, 512, 1000, 1022, 1023}
        << QVector<double>{0, 1, 2, 511, 512, 1000, 1022, 1023};
    QTest::newRow("three knots, two slopes")
        << QVector<double>{0, 0.5, 1} << QVector<double>{0, 1024, 0}
        << QVector<int>{0, 256, 511, 512, 513, 1023}
        << QVector<double>{0, 512, 1022, 1024, double(float(1024 + double(float(-1024.0 / 511)))), 0};
    QTest::newRow("the later of two samples of one code wins")
        << QVector<double>{0, 0.5, 0.5001, 1} << QVector<double>{0, 5, 9, 9}
        << QVector<int>{512, 513} << QVector<double>{9, 9};
    QTest::newRow("values rounded to single precision")
        << QVector<double>{0, 1} << QVector<double>{0.1, 0.2}
        << QVector<int>{0, 1, 1023}
        << QVector<double>{double(0.1f), double(float(0.1 + double(float((0.2 - 0.1) / 1023)))), 0.2};
    QTest::newRow("first code above 0: entries from code - first code, the rest 0")
        << QVector<double>{0.5, 1} << QVector<double>{10, 20}
        << QVector<int>{0, 511, 512, 1023}
        << QVector<double>{10, 20, 0, 0};
    QTest::newRow("one sample fills entry 0 only")
        << QVector<double>{1} << QVector<double>{42} << QVector<int>{0, 1}
        << QVector<double>{42, 0};
}

void TestLcnrSamples::tablesInterpolateBetweenTheCodes()
{
    QFETCH(QVector<double>, levels);
    QFETCH(QVector<double>, rx);
    QFETCH(QVector<int>, entries);
    QFETCH(QVector<double>, expected);

    DCS dcs;
    fill(dcs, levels);
    for (int i = 0; i < rx.size(); ++i)
        dcs.sample[DCS::RX][i] = rx[i];
    // Stale entries from an earlier build must not survive where no segment reaches.
    for (double& e : dcs.table[DCS::RX])
        e = -1;
    QCOMPARE(dcs.buildTables(), 0);
    for (int k = 0; k < entries.size(); ++k)
        QCOMPARE(dcs.table[DCS::RX][entries[k]], expected[k]);
    // Every component is expanded, each from its own samples: the last knot lands exactly.
    const int lastEntry = [&] {
        int codes[DCS::maxSamples];
        DCS::sampleCodes(levels.size(), levels.constData(), codes);
        return codes[levels.size() - 1] - codes[0];
    }();
    for (int c = DCS::RY; c < DCS::ComponentCount; ++c)
        QCOMPARE(dcs.table[c][lastEntry], 100.0 * c + levels.size() - 1);
}

void TestLcnrSamples::refusedLevelsBuildNothing_data()
{
    QTest::addColumn<QVector<double>>("levels");
    QTest::addColumn<QString>("reason");

    QTest::newRow("last level 0") << QVector<double>{0, 0} << "last sample's level 0 ";
    QTest::newRow("last level negative") << QVector<double>{0, -1} << "last sample's level -1 ";
    QTest::newRow("a level below 0") << QVector<double>{-0.5, 1} << "outside 0..1023";
    QTest::newRow("a level above the last") << QVector<double>{0, 2, 1} << "outside 0..1023";
    QTest::newRow("a code below the first sample's")
        << QVector<double>{0.5, 0.2, 1} << "below the first";
    QTest::newRow("last level not a number") << QVector<double>{0, notANumber} << "last sample's level nan ";
    QTest::newRow("a level not a number") << QVector<double>{notANumber, 1} << "outside 0..1023";
    QTest::newRow("last level infinite")
        << QVector<double>{0, std::numeric_limits<double>::infinity()} << "last sample's level inf ";
    QTest::newRow("last level too small to scale")
        << QVector<double>{0, std::numeric_limits<double>::denorm_min()} << "too small";
    QTest::newRow("no samples") << QVector<double>{} << "no sample";
}

void TestLcnrSamples::refusedLevelsBuildNothing()
{
    QFETCH(QVector<double>, levels);
    QFETCH(QString, reason);

    DCS dcs;
    fill(dcs, levels);
    for (int c = 0; c < DCS::ComponentCount; ++c)
        std::fill(std::begin(dcs.table[c]), std::end(dcs.table[c]), 3.5);
    QCOMPARE(dcs.buildTables(), -1);
    QVERIFY2(dcs.errorString().contains(reason), qPrintable(dcs.errorString()));
    QVERIFY(!QFile::exists("lcnr1.txt"));
    for (int c = 0; c < DCS::ComponentCount; ++c)
        for (double e : dcs.table[c])
            QCOMPARE(e, 3.5);
}

void TestLcnrSamples::tableFileLayout()
{
    DCS dcs;
    fill(dcs, {0, 1});
    dcs.sample[DCS::RX][1] = 1023;           // RX: the index
    dcs.sample[DCS::RY][0] = 0.5;            // RY: 0.5 throughout
    dcs.sample[DCS::RY][1] = 0.5;
    dcs.sample[DCS::BZ][0] = 1.2345e-5;      // BZ: small numbers in scientific notation
    dcs.sample[DCS::BZ][1] = 1.2345e-5;
    QCOMPARE(dcs.buildTables(), 0);

    const QByteArray text = readAll(QDir(dir->path()).filePath("lcnr1.txt"));
    const QList<QByteArray> lines = text.split('\n');
    QCOMPARE(lines.size(), 1 + 1024 + 1); // header, 1024 rows, nothing after the last line end
    QCOMPARE(lines.last(), QByteArray());
    // Nine blanks before every line end: it goes through the same 10-wide field.
    QCOMPARE(lines[0], QByteArray("        RX        RY        RZ        GX        GY        GZ"
                                  "        BX        BY        BZ         "));
    QCOMPARE(lines[1], QByteArray("         0       0.5       200       300       400       500"
                                  "       600       7001.2345e-05         "));
    QCOMPARE(lines[1024].left(20), QByteArray("      1023       0.5"));
    for (int r = 1; r <= 1024; ++r)
        QCOMPARE(lines[r].size(), 10 * DCS::ComponentCount + 9);
    QCOMPARE(text, dcs.tablesText());
}

void TestLcnrSamples::sampleFileLayout_data()
{
    QTest::addColumn<QVector<double>>("levels");
    QTest::addColumn<QByteArray>("file");

    QTest::newRow("no samples: an empty root") << QVector<double>{} << QByteArray("\n<LCNR/>");
    QTest::newRow("two samples")
        << QVector<double>{0, 0.5}
        << QByteArray("\n<LCNR>\n"
                      "    <LEVEL>0.000000, 0.000000, 100.000000, 200.000000, 300.000000, "
                      "400.000000, 500.000000, 600.000000, 700.000000, 800.000000</LEVEL>\n"
                      "    <LEVEL>0.500000, 1.000000, 101.000000, 201.000000, 301.000000, "
                      "401.000000, 501.000000, 601.000000, 701.000000, 801.000000</LEVEL>\n"
                      "</LCNR>");
}

void TestLcnrSamples::sampleFileLayout()
{
    QFETCH(QVector<double>, levels);
    QFETCH(QByteArray, file);
    DCS dcs;
    fill(dcs, levels);
    QVERIFY(dcs.saveSample("s.xml"));
    QCOMPARE(readAll("s.xml"), file);
}

void TestLcnrSamples::samplesRoundTrip()
{
    DCS out;
    fill(out, {0, 0.125, 0.25, 0.5, 0.75, 1});
    out.sample[DCS::GY][3] = -12.345678; // negative and six decimals survive
    QVERIFY(out.saveSample("s.xml"));

    DCS in;
    QVERIFY2(in.loadSample("s.xml"), qPrintable(in.errorString()));
    QCOMPARE(in.count, out.count);
    for (int i = 0; i < out.count; ++i) {
        QCOMPARE(in.level[i], out.level[i]);
        for (int c = 0; c < DCS::ComponentCount; ++c)
            QCOMPARE(in.sample[c][i], out.sample[c][i]);
    }
    QVERIFY(in.saveSample("again.xml"));
    QCOMPARE(readAll("again.xml"), readAll("s.xml"));
}

void TestLcnrSamples::levelTextRead_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QVector<double>>("numbers"); // level, RX .. BZ

    QTest::newRow("ten numbers") << QByteArray("0.5, 1, 2, 3, 4, 5, 6, 7, 8, 9")
                                 << QVector<double>{0.5, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("short list: missing parts are 0")
        << QByteArray("0.5, 1, 2") << QVector<double>{0.5, 1, 2, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("level only") << QByteArray("0.25")
                                << QVector<double>{0.25, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("empty element") << QByteArray("")
                                   << QVector<double>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("parts after the tenth ignored")
        << QByteArray("1,2,3,4,5,6,7,8,9,10,11,12")
        << QVector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    QTest::newRow("empty parts dropped") << QByteArray("1,,2,,,3")
                                         << QVector<double>{1, 2, 3, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("no number reads 0") << QByteArray("1, abc, 3")
                                       << QVector<double>{1, 0, 3, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("not finite reads 0") << QByteArray("nan, inf, -inf, 1e999, 4")
                                        << QVector<double>{0, 0, 0, 0, 4, 0, 0, 0, 0, 0};
    QTest::newRow("blanks and line breaks around numbers")
        << QByteArray("\n  1 ,\t2\n, 3  ") << QVector<double>{1, 2, 3, 0, 0, 0, 0, 0, 0, 0};
}

void TestLcnrSamples::levelTextRead()
{
    QFETCH(QByteArray, text);
    QFETCH(QVector<double>, numbers);
    QVERIFY(writeAll("s.xml", levelFile(text)));
    DCS dcs;
    QVERIFY2(dcs.loadSample("s.xml"), qPrintable(dcs.errorString()));
    QCOMPARE(dcs.count, 1);
    QCOMPARE(dcs.level[0], numbers[0]);
    for (int c = 0; c < DCS::ComponentCount; ++c)
        QCOMPARE(dcs.sample[c][0], numbers[1 + c]);
}

void TestLcnrSamples::refusedFilesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");

    QTest::newRow("root not LCNR") << QByteArray("<lcnr><LEVEL>1,2</LEVEL></lcnr>")
                                   << "root element \"lcnr\" is not \"LCNR\"";
    QTest::newRow("no element at all") << QByteArray("") << "line 1";
    QTest::newRow("not XML") << QByteArray("1, 2, 3\n4, 5, 6\n") << "line 1";
    QTest::newRow("cut off inside the root")
        << QByteArray("<LCNR>\n    <LEVEL>1, 2</LEVEL>\n    <LEVEL>3") << "line 3";
    QTest::newRow("mismatched end tag")
        << QByteArray("<LCNR>\n<LEVEL>1, 2</LEVEL>\n<LEVEL>1</LEVL>\n</LCNR>") << "line 3";
    QTest::newRow("an element inside LEVEL")
        << QByteArray("<LCNR><LEVEL>1<b>2</b></LEVEL></LCNR>") << "line 1";
    QTest::newRow("a second root after the first")
        << QByteArray("<LCNR><LEVEL>1</LEVEL></LCNR>\n<LCNR/>") << "line 2";
}

void TestLcnrSamples::refusedFilesChangeNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QVERIFY(writeAll("s.xml", file));
    DCS dcs;
    fill(dcs, {0, 1});
    QVERIFY(!dcs.loadSample("s.xml"));
    QVERIFY2(dcs.errorString().startsWith("s.xml: "), qPrintable(dcs.errorString()));
    QVERIFY2(dcs.errorString().contains(message), qPrintable(dcs.errorString()));
    QCOMPARE(dcs.count, 2);
    QCOMPARE(dcs.level[1], 1.0);
    QCOMPARE(dcs.sample[DCS::BZ][1], 801.0);
}

void TestLcnrSamples::otherElementsAreSkippedWhole()
{
    // An empty element of another name among the samples must not end the reading, and the
    // LEVEL elements inside another element are not samples.
    QVERIFY(writeAll("s.xml", "<LCNR>\n"
                              "    <LEVEL>0, 1</LEVEL>\n"
                              "    <note/>\n"
                              "    <group><LEVEL>0.7, 9</LEVEL></group>\n"
                              "    <LEVEL>1, 2</LEVEL>\n"
                              "</LCNR>\n"));
    DCS dcs;
    QVERIFY2(dcs.loadSample("s.xml"), qPrintable(dcs.errorString()));
    QCOMPARE(dcs.count, 2);
    QCOMPARE(dcs.level[1], 1.0);
    QCOMPARE(dcs.sample[DCS::RX][1], 2.0);
}

void TestLcnrSamples::loadingAppendsUpToSixtyFour_data()
{
    QTest::addColumn<int>("held");
    QTest::addColumn<int>("inFile");
    QTest::addColumn<int>("loads");
    QTest::addColumn<int>("after");

    QTest::newRow("loading twice doubles") << 0 << 6 << 2 << 12;
    QTest::newRow("appended after the held ones") << 3 << 5 << 1 << 8;
    QTest::newRow("up to 64 and no further") << 0 << 40 << 2 << 64;
    QTest::newRow("a sixty-fifth LEVEL is dropped") << 0 << 65 << 1 << 64;
    QTest::newRow("full: nothing more") << 64 << 3 << 1 << 64;
}

void TestLcnrSamples::loadingAppendsUpToSixtyFour()
{
    QFETCH(int, held);
    QFETCH(int, inFile);
    QFETCH(int, loads);
    QFETCH(int, after);

    QByteArray file = "<LCNR>\n";
    for (int i = 0; i < inFile; ++i)
        file += "<LEVEL>" + QByteArray::number(1000 + i) + ", 1</LEVEL>\n";
    file += "</LCNR>\n";
    QVERIFY(writeAll("s.xml", file));

    DCS dcs;
    QVector<double> levels;
    for (int i = 0; i < held; ++i)
        levels << i;
    fill(dcs, levels);
    for (int l = 0; l < loads; ++l)
        QVERIFY(dcs.loadSample("s.xml"));
    QCOMPARE(dcs.count, after);
    for (int i = 0; i < held; ++i)
        QCOMPARE(dcs.level[i], double(i));
    for (int i = held; i < after; ++i)
        QCOMPARE(dcs.level[i], double(1000 + (i - held) % inFile));
}

void TestLcnrSamples::unwritableFilesAreReported()
{
    DCS dcs;
    fill(dcs, {0, 1});
    const QString missing = QDir(dir->path()).filePath("no/such/dir/s.xml");
    QVERIFY(!dcs.saveSample(missing));
    QVERIFY(dcs.errorString().startsWith(missing));
    QVERIFY(!dcs.writeTables(missing));
    QVERIFY(!dcs.loadSample(missing));
    QCOMPARE(dcs.count, 2);
    // The table file that cannot be written does not make the build fail.
    QVERIFY(QDir().mkdir("lcnr1.txt"));
    QCOMPARE(dcs.buildTables(), 0);
    QCOMPARE(dcs.table[DCS::RX][1023], 1.0);
}

QV_TEST_MAIN_CORE(TestLcnrSamples)
#include "tst_lcnrsamples.moc"
