// Sensor profiles: the ".alg" bytes, the engine saving and loading them, and every damaged file
// refused with the driver, its type and its serial left as they were.

#include "countingsensor.h"
#include "measure/measure.h"
#include "measure/measurethread.h"
#include "measure/sensorprofile.h"
#include "messagerecorder.h"
#include "testenv.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// The matrix of the golden profile: a few exact doubles.
Matrix goldenMatrix()
{
    const double v[9] = {1.0, 0.5, 0.0, 0.0, -2.0, 0.0, 0.0, 0.0, 1.0};
    return Matrix(v, 3, 3);
}

// Type 4 (K-10), serial "AB", goldenMatrix(): 96 + 4 bytes.
const char kGoldenHex[] =
    "12345678" "01000002" "00000004"
    "00000004" "00410042"
    "00000003" "00000003"
    "3ff0000000000000" "3fe0000000000000" "0000000000000000"
    "0000000000000000" "c000000000000000" "0000000000000000"
    "0000000000000000" "0000000000000000" "3ff0000000000000";

QByteArray golden()
{
    return QByteArray::fromHex(kGoldenHex);
}

QByteArray withBytes(QByteArray bytes, int at, const char* hex)
{
    const QByteArray b = QByteArray::fromHex(hex);
    bytes.replace(at, b.size(), b);
    return bytes;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestSensorProfile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void savedBytesAreTheLayout();
    void nullSerialIsNinetySixBytesAndLoadsIntoAnEmptySerial_data();
    void nullSerialIsNinetySixBytesAndLoadsIntoAnEmptySerial();
    void loadInstallsTheMatrixOfTheSameSerial();
    void serialMismatchKeepsTheDriverButTakesTypeAndSerial();
    void damagedProfilesAreRefusedWithNothingChanged_data();
    void damagedProfilesAreRefusedWithNothingChanged();
    void savingTwiceReplacesTheFile();
    void unwritableTargetsAreReported_data();
    void unwritableTargetsAreReported();
    void withoutADriverNothingIsReadOrWritten();

private:
    Measure* engine() const { return m_thread->measure(); }
    // Opens a counting K-10 whose serial number is `serial`, with goldenMatrix() as correction.
    void openK10(const QString& serial);

    QTemporaryDir m_dir;
    MessageRecorder m_boxes;
    SensorCounters m_counters;
    std::unique_ptr<MeasureThread> m_thread;
};

void TestSensorProfile::init()
{
    testenv::clearSettings();
    m_boxes.clear();
    m_counters = SensorCounters();
    m_thread = std::make_unique<MeasureThread>();
}

void TestSensorProfile::cleanup()
{
    m_thread.reset();
}

void TestSensorProfile::openK10(const QString& serial)
{
    engine()->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default,
                                         [this, serial](SigAdapter*) {
                                             return new CountingSensor(&m_counters, SensorModel::K10,
                                                                       true, serial);
                                         });
    QVERIFY(engine()->openSensor(SensorModel::K10));
    engine()->sensor()->correction = goldenMatrix();
}

void TestSensorProfile::savedBytesAreTheLayout()
{
    openK10("AB");
    const QString path = m_dir.filePath("golden.alg");
    QString error;
    QVERIFY2(engine()->saveProfile(path, &error), qPrintable(error));
    QCOMPARE(readFile(path).toHex(), golden().toHex());
    QCOMPARE(readFile(path).size(), 96 + 4);
    QCOMPARE(m_boxes.count(), 0);
}

void TestSensorProfile::nullSerialIsNinetySixBytesAndLoadsIntoAnEmptySerial_data()
{
    QTest::addColumn<bool>("emptyNotNull");
    QTest::newRow("driver serial null") << false;
    QTest::newRow("driver serial empty") << true;
}

void TestSensorProfile::nullSerialIsNinetySixBytesAndLoadsIntoAnEmptySerial()
{
    QFETCH(bool, emptyNotNull);
    SensorProfile::Contents c;
    c.sensorType = 10;
    c.correction = goldenMatrix();
    const QByteArray bytes = SensorProfile::encode(c);
    QCOMPARE(bytes.size(), 96);
    QCOMPARE(bytes.mid(12, 4).toHex(), QByteArray("ffffffff"));

    openK10(emptyNotNull ? QStringLiteral("") : QString());
    engine()->sensor()->correction = Matrix::identity(3);
    const QString path = m_dir.filePath("null.alg");
    QVERIFY(writeFile(path, bytes));
    QVERIFY(engine()->loadProfile(path));
    QVERIFY(engine()->sensor()->correction == goldenMatrix());
    QCOMPARE(engine()->sensorType(), 10);
    QCOMPARE(m_boxes.count(), 0);
}

void TestSensorProfile::loadInstallsTheMatrixOfTheSameSerial()
{
    // A profile of another instrument type with the same serial number is taken.
    openK10("AB");
    engine()->sensor()->correction = Matrix::identity(3);
    const QString path = m_dir.filePath("other-type.alg");
    QVERIFY(writeFile(path, withBytes(golden(), 8, "00000007")));

    QVERIFY(engine()->loadProfile(path));
    QVERIFY(engine()->sensor()->correction == goldenMatrix());
    QCOMPARE(engine()->sensorType(), 7);
    QCOMPARE(engine()->profileSerial(), QString("AB"));
    QCOMPARE(m_boxes.count(), 0);
}

void TestSensorProfile::serialMismatchKeepsTheDriverButTakesTypeAndSerial()
{
    openK10("XY");
    engine()->sensor()->correction = Matrix::identity(3);
    const QString path = m_dir.filePath("ab.alg");
    QVERIFY(writeFile(path, withBytes(golden(), 8, "00000002")));

    QVERIFY(!engine()->loadProfile(path));
    QCOMPARE(m_boxes.count(), 1);
    QCOMPARE(m_boxes.last().title, QString("Open profile"));
    QCOMPARE(m_boxes.last().text, QString("Sensor and Profile mismatch"));
    QVERIFY(engine()->sensor()->correction == Matrix::identity(3));
    QCOMPARE(engine()->sensorType(), 2);
    QCOMPARE(engine()->profileSerial(), QString("AB"));

    // A profile saved next records the file's type.
    const QString next = m_dir.filePath("next.alg");
    QVERIFY(engine()->saveProfile(next));
    QCOMPARE(readFile(next).mid(8, 4).toHex(), QByteArray("00000002"));
}

void TestSensorProfile::damagedProfilesAreRefusedWithNothingChanged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QByteArray g = golden();
    const QString bad = "File bad";
    QTest::newRow("empty file") << QByteArray() << bad;
    QTest::newRow("other byte order: refused at the magic") << withBytes(g, 0, "78563412") << bad;
    QTest::newRow("other version") << withBytes(g, 4, "01000001") << "File version mismatch";
    QTest::newRow("ends after the version") << g.left(8) << bad;
    QTest::newRow("ends inside the sensor type") << g.left(10) << bad;
    QTest::newRow("ends inside the serial") << g.left(18) << bad;
    QTest::newRow("odd serial size") << withBytes(g, 12, "00000003") << bad;
    QTest::newRow("serial size beyond the file") << withBytes(g, 12, "7ffffffe") << bad;
    QTest::newRow("ends before the matrix") << g.left(20) << bad;
    QTest::newRow("ends inside the matrix") << g.left(g.size() - 8) << bad;
    QTest::newRow("2 x 2 matrix") << withBytes(g, 20, "0000000200000002").left(20 + 8 + 32) << bad;
    QTest::newRow("3 x 4 matrix") << withBytes(g, 20, "0000000300000004") + QByteArray(24, '\0')
                                  << bad;
    QTest::newRow("huge matrix counts") << withBytes(g, 20, "7fffffff7fffffff") << bad;
    QTest::newRow("NaN element") << withBytes(g, 28 + 8 * 4, "7ff8000000000000") << bad;
    QTest::newRow("infinite element") << withBytes(g, 28, "7ff0000000000000") << bad;
    QTest::newRow("bytes after the matrix") << g + QByteArray(1, '\0') << bad;
    QTest::newRow("far larger than a profile") << g + QByteArray(4096, '\0') << bad;
}

void TestSensorProfile::damagedProfilesAreRefusedWithNothingChanged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    openK10("AB");
    const Matrix before = engine()->sensor()->correction;
    engine()->setProfileSerial("kept");
    const int typeBefore = engine()->sensorType();
    const QString path = m_dir.filePath("damaged.alg");
    QVERIFY(writeFile(path, bytes));

    QVERIFY(!engine()->loadProfile(path));
    QCOMPARE(m_boxes.count(), 1);
    QCOMPARE(m_boxes.last().title, QString("Open profile"));
    QCOMPARE(m_boxes.last().text, text);
    QVERIFY(engine()->sensor()->correction == before);
    QCOMPARE(engine()->sensor()->correction.rows(), 3);
    QCOMPARE(engine()->sensorType(), typeBefore);
    QCOMPARE(engine()->profileSerial(), QString("kept"));

    // The decoder names where the damage is.
    SensorProfile::Contents out;
    QString error;
    QVERIFY(SensorProfile::decode(bytes, &out, &error) != SensorProfile::Status::Ok);
    QVERIFY2(error.startsWith("at byte "), qPrintable(error));
}

void TestSensorProfile::savingTwiceReplacesTheFile()
{
    openK10("AB");
    const QString path = m_dir.filePath("twice.alg");
    QVERIFY(writeFile(path, QByteArray(500, 'x')));
    QVERIFY(engine()->saveProfile(path));
    engine()->sensor()->correction = Matrix::identity(3);
    QVERIFY(engine()->saveProfile(path));

    SensorProfile::Contents read;
    QCOMPARE(SensorProfile::load(path, &read), SensorProfile::Status::Ok);
    QVERIFY(read.correction == Matrix::identity(3));
    QCOMPARE(readFile(path).size(), 100);
    QVERIFY(!QFile::exists(path + ".tmp"));
}

void TestSensorProfile::unwritableTargetsAreReported_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("read-only file") << "read-only";
    QTest::newRow("folder that does not exist") << "no folder";
    QTest::newRow("target is a folder") << "folder";
}

void TestSensorProfile::unwritableTargetsAreReported()
{
    QFETCH(QString, kind);
    openK10("AB");
    QString path;
    const QByteArray before("earlier content");
    if (kind == "read-only") {
        path = m_dir.filePath("locked.alg");
        QVERIFY(writeFile(path, before));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser));
    } else if (kind == "no folder") {
        path = m_dir.filePath("missing/profile.alg");
    } else {
        path = m_dir.filePath("a-folder.alg");
        QVERIFY(QDir(m_dir.path()).mkdir("a-folder.alg"));
    }

    QString error;
    QVERIFY(!engine()->saveProfile(path, &error));
    QVERIFY2(error.contains(path), qPrintable(error));
    if (kind == "read-only") {
        QVERIFY(error.contains("read-only"));
        QCOMPARE(readFile(path), before);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }
}

void TestSensorProfile::withoutADriverNothingIsReadOrWritten()
{
    engine()->detachSensor();
    const QString path = m_dir.filePath("none.alg");
    QVERIFY(!engine()->saveProfile(path));
    QVERIFY(!QFile::exists(path));
    QVERIFY(writeFile(path, golden()));
    QVERIFY(!engine()->loadProfile(path));
    QCOMPARE(engine()->sensorType(), 10);
}

QV_TEST_MAIN_WIDGETS(TestSensorProfile)
#include "tst_sensorprofile.moc"
