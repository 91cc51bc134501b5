// The two LUT file formats: the ".cube" text (its lines, numbers and reader, and what
// OpenColorIO makes of it) and the ".3dlut" binary (checked byte by byte by a reader of its own
// here, independent of the writer).

#include "colour/lut3d.h"
#include "measure/cubefile.h"
#include "measure/file3dlut.h"
#include "opencolorio.h"
#include "testenv.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

void fillCurved(Lut3d& lut)
{
    const double s = lut.size - 1;
    for (int r = 0; r < lut.size; ++r)
        for (int g = 0; g < lut.size; ++g)
            for (int b = 0; b < lut.size; ++b) {
                double* n = lut.grid[r][g][b];
                n[0] = std::pow(r / s, 2.2) * 0.98 + 0.01 * (g / s);
                n[1] = 0.5 * (g / s) + 0.5 * (b / s) * (r / s);
                n[2] = std::sqrt(b / s) * 0.9 + 0.05;
            }
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An independent reader of the ".3dlut" layout: little-endian integers at fixed offsets and the
// node (r, g, b) at 16384 + 6 ((r 256 + g) 256 + b), samples blue, green, red.
struct Lut3dlFile
{
    QFile file;
    explicit Lut3dlFile(const QString& path) : file(path) { file.open(QIODevice::ReadOnly); }
    QByteArray bytes(qint64 at, int n)
    {
        file.seek(at);
        return file.read(n);
    }
    quint64 integer(qint64 at, int n)
    {
        const QByteArray b = bytes(at, n);
        quint64 v = 0;
        for (int i = n - 1; i >= 0; --i)
            v = (v << 8) | quint8(b[i]);
        return v;
    }
    // red, green, blue levels of a node
    void node(int r, int g, int b, double out[3])
    {
        const qint64 at = 16384 + 6 * ((qint64(r) * 256 + g) * 256 + b);
        out[2] = integer(at, 2) / 65535.0;
        out[1] = integer(at + 2, 2) / 65535.0;
        out[0] = integer(at + 4, 2) / 65535.0;
    }
};

} // namespace

class TestLutFiles : public QObject
{
    Q_OBJECT

    // The ".3dlut" of an identity table, written once: every file resamples the table to 2^24
    // nodes, which takes seconds in the checked build, and two tests read the same file.
    QTemporaryDir m_shared;
    QString m_identity3dlut;

private slots:
    void initTestCase()
    {
        QVERIFY(m_shared.isValid());
        Lut3d lut(17);
        QVERIFY(lut.allocate());
        m_identity3dlut = m_shared.filePath("HDTV.3dlut");
        QCOMPARE(File3dLut().dump(m_identity3dlut, &lut), 1);
    }

    void numberFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("one") << 1.0 << "1";
        QTest::newRow("half") << 0.5 << "0.5";
        QTest::newRow("1/99") << 1.0 / 99 << "0.010101";
        QTest::newRow("16/99") << 16.0 / 99 << "0.161616";
        QTest::newRow("below 1e-4 takes an exponent") << 0.00005 << "5e-05";
        QTest::newRow("1e-4 stays fixed") << 0.0001 << "0.0001";
        QTest::newRow("a million takes an exponent") << 1e6 << "1e+06";
        QTest::newRow("six digits, rounded") << 0.123456789 << "0.123457";
    }
    void numberFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(cubefile::formatNumber(value), text);
    }

    void identityCubeLines()
    {
        Lut3d lut(17);
        QVERIFY(lut.allocate());
        const QList<QByteArray> lines = cubefile::format(lut).split('\n');
        QCOMPARE(lines.size(), 4915);  // 4914 lines, each ending with a line end
        QCOMPARE(lines.last(), QByteArray());
        QCOMPARE(lines[0], QByteArray("LUT_3D_SIZE 17"));
        QCOMPARE(lines[1], QByteArray("0 0 0"));           // node (0, 0, 0)
        QCOMPARE(lines[2], QByteArray("0.0625 0 0"));      // red fastest
        QCOMPARE(lines[18], QByteArray("0 0.0625 0"));     // line 19: node (0, 1, 0)
        QCOMPARE(lines[290], QByteArray("0 0 0.0625"));    // line 291: node (0, 0, 1)
        QCOMPARE(lines[4913], QByteArray("1 1 1"));
    }

    void cubeReadBack()
    {
        Lut3d lut(17);
        QVERIFY(lut.allocate());
        fillCurved(lut);
        Lut3d back(2);
        QString error;
        QVERIFY2(cubefile::read(cubefile::format(lut), "x.cube", &back, &error), qPrintable(error));
        QCOMPARE(back.size, 17);
        for (int r = 0; r < 17; r += 3)
            for (int g = 0; g < 17; g += 5)
                for (int b = 0; b < 17; ++b)
                    for (int k = 0; k < 3; ++k)
                        QCOMPARE(back.grid[r][g][b][k],
                                 cubefile::formatNumber(lut.grid[r][g][b][k]).toDouble());
    }

    void cubeReadErrors_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("where");
        const QByteArray nodes8 = "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
        QTest::newRow("no size line") << QByteArray("0 0 0\n") << "line 1";
        QTest::newRow("size 1") << QByteArray("LUT_3D_SIZE 1\n0 0 0\n") << "line 1";
        QTest::newRow("size 130") << QByteArray("LUT_3D_SIZE 130\n") << "line 1";
        QTest::newRow("size not a number") << QByteArray("LUT_3D_SIZE x\n") << "line 1";
        QTest::newRow("a node too few") << QByteArray("LUT_3D_SIZE 2\n" + nodes8.left(nodes8.size() - 6)) << "7 nodes";
        QTest::newRow("a node too many") << QByteArray("LUT_3D_SIZE 2\n" + nodes8 + "0 0 0\n") << "line 10";
        QTest::newRow("two numbers") << QByteArray("LUT_3D_SIZE 2\n# c\n0 0\n") << "line 3";
        QTest::newRow("not a number") << QByteArray("LUT_3D_SIZE 2\n0 0 zz\n") << "line 2";
        QTest::newRow("infinite") << QByteArray("LUT_3D_SIZE 2\n0 0 inf\n") << "line 2";
        QTest::newRow("domain other than 0..1") << QByteArray("LUT_3D_SIZE 2\nDOMAIN_MAX 2 2 2\n") << "line 2";
        QTest::newRow("second size") << QByteArray("LUT_3D_SIZE 2\nLUT_3D_SIZE 2\n") << "line 2";
    }
    void cubeReadErrors()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, where);
        Lut3d lut(3);
        QVERIFY(lut.allocate());
        double** * const* const before = lut.grid;
        QString error;
        QVERIFY(!cubefile::read(text, "bad.cube", &lut, &error));
        QVERIFY2(error.contains("bad.cube") && error.contains(where), qPrintable(error));
        // The caller's table is left as it was.
        QCOMPARE(lut.grid, before);
        QCOMPARE(lut.size, 3);
    }

    void cubeReadAcceptsTheUsualExtras()
    {
        const QByteArray text = "# made elsewhere\r\nTITLE \"x\"\r\nDOMAIN_MIN 0 0 0\r\nDOMAIN_MAX 1 1 1\r\n"
                                "LUT_3D_SIZE 2\r\n\r\n0 0 0\r\n1 0 0\r\n0 1 0\r\n1 1 0\r\n0 0 1\r\n"
                                "1 0 1\r\n0 1 1\r\n0.25 0.5 0.75\r\n";
        Lut3d lut(2);
        QString error;
        QVERIFY2(cubefile::read(text, "crlf.cube", &lut, &error), qPrintable(error));
        QCOMPARE(lut.grid[1][1][1][2], 0.75);
        QCOMPARE(lut.grid[1][0][0][0], 1.0);
    }

    // OpenColorIO reads the file as a 3-D LUT and, with trilinear interpolation, agrees with the
    // program's own lookup at the nodes and between them.
    void cubeReadByOpenColorIO()
    {
        QTemporaryDir dir;
        Lut3d lut(17);
        QVERIFY(lut.allocate());
        fillCurved(lut);
        const QString path = dir.filePath("HDTV.cube");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QString error;
        QVERIFY(cubefile::write(&f, lut, &error));
        f.close();
        // The file's own values (six digits) are what both sides interpolate.
        Lut3d fromFile(2);
        QVERIFY(cubefile::read(readAll(path), path, &fromFile, &error));

        QVector<LutRgb> probes;
        for (int i = 0; i <= 16; i += 4)
            probes << LutRgb(i / 16.0, (16 - i) / 16.0, (i % 8) / 16.0);
        probes << LutRgb(0.1, 0.2, 0.3) << LutRgb(0.33, 0.66, 0.99) << LutRgb(0.5, 0.5, 0.5)
               << LutRgb(0.03, 0.97, 0.51) << LutRgb(1.0, 1.0, 1.0) << LutRgb(0.0, 0.0, 0.0);
        QVector<LutRgb> theirs;
        QVERIFY2(opencolorio::apply(path, probes, &theirs, &error), qPrintable(error));
        for (int i = 0; i < probes.size(); ++i) {
            LutRgb ours = probes[i];
            fromFile.lookup(&ours);
            for (int k = 0; k < 3; ++k) {
                // OpenColorIO computes in single precision.
                QVERIFY2(std::fabs(theirs[i].rgb[k] - ours.rgb[k]) < 2e-6,
                         qPrintable(QString("probe %1 component %2: %3 vs %4").arg(i).arg(k).arg(theirs[i].rgb[k]).arg(ours.rgb[k])));
            }
        }
    }

    void sample_data()
    {
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("sample");
        QTest::newRow("0") << 0.0 << 0;
        QTest::newRow("1") << 1.0 << 65535;
        QTest::newRow("half rounds away from zero") << 0.5 << 32768;
        QTest::newRow("1/257") << 1.0 / 257 << 255;
        QTest::newRow("below 0 clamps") << -0.25 << 0;
        QTest::newRow("above 1 clamps") << 1.5 << 65535;
        QTest::newRow("NaN gives 0") << std::nan("") << 0;
    }
    void sample()
    {
        QFETCH(double, level);
        QFETCH(int, sample);
        QCOMPARE(int(File3dLut::sample(level)), sample);
    }

    void identity3dlutBytes()
    {
        Lut3dlFile in(m_identity3dlut);
        QCOMPARE(in.file.size(), qint64(100679680));
        QCOMPARE(in.bytes(0, 4), QByteArray("3DLT"));
        QCOMPARE(in.bytes(4, 4), QByteArray::fromHex("01000000"));
        QCOMPARE(in.bytes(8, 32), QByteArray("Dravello") + QByteArray(24, '\0'));
        QCOMPARE(in.bytes(40, 8), QByteArray(8, '\0'));
        QCOMPARE(in.bytes(48, 12), QByteArray::fromHex("080000000800000008000000"));
        QCOMPARE(in.bytes(60, 4), QByteArray(4, '\0'));
        QCOMPARE(in.bytes(64, 4), QByteArray::fromHex("10000000"));
        QCOMPARE(in.bytes(68, 4), QByteArray(4, '\0'));
        QCOMPARE(in.bytes(72, 4), QByteArray::fromHex("00020000"));
        QCOMPARE(in.bytes(76, 4), QByteArray::fromHex("83000000"));
        QCOMPARE(in.bytes(80, 4), QByteArray::fromHex("00400000"));
        QCOMPARE(in.bytes(84, 4), QByteArray(4, '\0'));
        QCOMPARE(in.bytes(88, 4), QByteArray::fromHex("00000006"));
        QCOMPARE(in.bytes(92, 4), QByteArray::fromHex("00000006"));
        QCOMPARE(in.bytes(96, 416), QByteArray(416, '\0'));
        QCOMPARE(in.bytes(512, 131),
                 QByteArray("Input_Primaries 0.640064 0.329972 0.299983 0.600010 0.150010 "
                            "0.060008 0.312700 0.329000\r\nInput_Range 16 235\r\nOutput_Range 100 150\r\n"));
        QCOMPARE(in.bytes(641, 2), QByteArray("\r\n"));
        QCOMPARE(in.bytes(643, 16384 - 643), QByteArray(16384 - 643, '\0'));
        QCOMPARE(in.bytes(16384, 12), QByteArray::fromHex("000000000000" "010100000000"));
        QCOMPARE(in.bytes(100679680 - 6, 6), QByteArray(6, char(0xFF)));
        // Node (r, g, b) holds b 257, g 257, r 257.
        double v[3];
        in.node(200, 17, 3, v);
        QCOMPARE(v[0], 200 * 257 / 65535.0);
        QCOMPARE(v[1], 17 * 257 / 65535.0);
        QCOMPARE(v[2], 3 * 257 / 65535.0);

        QString error;
        in.file.seek(0);
        QVERIFY2(File3dLut::validate(&in.file, &error), qPrintable(error));
    }

    // The resampled samples agree with the ".cube" of the same table, read back, at nodes of
    // both grids and between them.
    void curved3dlutAgreesWithCube()
    {
        QTemporaryDir dir;
        Lut3d lut(17);
        QVERIFY(lut.allocate());
        fillCurved(lut);
        const QString path = dir.filePath("DCIP3.3dlut");
        QCOMPARE(File3dLut().dump(path, &lut), 1);
        Lut3d cube(2);
        QString error;
        QVERIFY(cubefile::read(cubefile::format(lut), "DCIP3.cube", &cube, &error));

        Lut3dlFile in(path);
        const int codes[] = {0, 1, 16, 17, 100, 127, 128, 200, 239, 254, 255};
        for (int r : codes)
            for (int g : codes)
                for (int b : {0, 15, 64, 129, 255}) {
                    double v[3];
                    in.node(r, g, b, v);
                    LutRgb want(r / 255.0, g / 255.0, b / 255.0);
                    cube.lookup(&want);
                    for (int k = 0; k < 3; ++k)
                        QVERIFY2(std::fabs(v[k] - want.rgb[k]) <= 0.5 / 65535 + 1e-6,
                                 qPrintable(QString("node %1 %2 %3").arg(r).arg(g).arg(b)));
                }
    }

    void validateNamesTheFirstDifference()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("x.3dlut");
        QVERIFY(QFile::copy(m_identity3dlut, path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(77);
            f.write("\x01", 1);
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QString error;
        QVERIFY(!File3dLut::validate(&f, &error));
        QVERIFY2(error.contains("byte 77"), qPrintable(error));
    }

    void dumpIntoMissingDirectory()
    {
        QTemporaryDir dir;
        Lut3d lut(17);
        QVERIFY(lut.allocate());
        const QString path = dir.filePath("missing/UHDTV.3dlut");
        QCOMPARE(File3dLut().dump(path, &lut), 0);
        QVERIFY(!QFile::exists(path));
    }
};

QV_TEST_MAIN_CORE(TestLutFiles)
#include "tst_lutfiles.moc"
