// The signal adapter: the correction chain with and without its table files, damaged files, and
// the two outputs (local window, pattern generator with its acknowledgement).
#include "colour/lut3d.h"
#include "logcapture.h"
#include "messagerecorder.h"
#include "pattern/correctiontables.h"
#include "pattern/patterntcp.h"
#include "pattern/patternwindow.h"
#include "pattern/sigadapter.h"
#include "platform/settings.h"
#include "patterngeneratoremulator.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

namespace {

// Text of a 3-D table whose node (r, g, b) holds f(r, g, b), red fastest.
QByteArray cube(int n, const std::function<QString(double, double, double)>& node)
{
    QByteArray text = QByteArray("LUT_3D ") + QByteArray::number(n) + "\n";
    for (int b = 0; b < n; ++b)
        for (int g = 0; g < n; ++g)
            for (int r = 0; r < n; ++r)
                text += node(double(r) / (n - 1), double(g) / (n - 1), double(b) / (n - 1)).toLatin1() + "\n";
    return text;
}

QString triple(double r, double g, double b)
{
    return QString("%1 %2 %3").arg(r, 0, 'g', 17).arg(g, 0, 'g', 17).arg(b, 0, 'g', 17);
}

QByteArray identityCurves(int n)
{
    QByteArray text = QByteArray("LUT_1D ") + QByteArray::number(n) + "\n";
    for (int i = 0; i < n; ++i)
        text += triple(double(i) / (n - 1), double(i) / (n - 1), double(i) / (n - 1)).toLatin1() + "\n";
    return text;
}

// Runs the test in a fresh working directory holding the given table files.
class WorkingDir
{
public:
    WorkingDir() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~WorkingDir() { QDir::setCurrent(m_previous); }
    void write(const QString& name, const QByteArray& content)
    {
        QFile f(m_dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace

class TestSigAdapter : public QObject
{
    Q_OBJECT

    std::unique_ptr<MessageRecorder> boxes;

    void showLocally(SigAdapter& adapter)
    {
        SigAdapter::setSigType(0);
        QVERIFY(adapter.startPattern());
    }

    // Points the adapter's client at a listening emulator, waits for the connection and chooses
    // the generator output.
    static bool useGenerator(SigAdapter& adapter, PatternGeneratorEmulator& generator)
    {
        if (!generator.listen())
            return false;
        platform::writeSetting("measure", "tcpport", int(generator.port()));
        adapter.tcp->connectToServer();
        if (!QTest::qWaitFor([&] { return adapter.tcp->isConnected(); }, 5000))
            return false;
        SigAdapter::setSigType(1);
        return true;
    }

private slots:
    void init()
    {
        testenv::clearSettings();
        boxes = std::make_unique<MessageRecorder>();
    }
    void cleanup() { boxes.reset(); }

    void withoutTablesLevelsAreScaledAndRounded_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<double>("g");
        QTest::addColumn<double>("b");
        QTest::addColumn<QList<int>>("shown");
        QTest::newRow("halves go up") << 0.5 << 0.25 << 1.0 << QList<int>{128, 64, 255};
        QTest::newRow("black") << 0.0 << 0.0 << 0.0 << QList<int>{0, 0, 0};
        QTest::newRow("above 1 is held at full scale") << 1.5 << 2.0 << 1.0 << QList<int>{255, 255, 255};
        QTest::newRow("below 0 is held at 0") << -0.5 << 0.1 << -1.0 << QList<int>{0, 26, 0};
        QTest::newRow("NaN shows as 0") << std::nan("") << 0.5 << 0.5 << QList<int>{0, 128, 128};
    }
    void withoutTablesLevelsAreScaledAndRounded()
    {
        QFETCH(double, r);
        QFETCH(double, g);
        QFETCH(double, b);
        QFETCH(QList<int>, shown);
        WorkingDir dir;
        QTest::ignoreMessage(QtDebugMsg, "3dcfe file open Error");
        QTest::ignoreMessage(QtDebugMsg, "1dcfe file open Error");
        SigAdapter adapter;
        QVERIFY(!SigAdapter::patternLut);
        QCOMPARE(SigAdapter::curveSize, 0);
        showLocally(adapter);
        QVERIFY(adapter.window->isVisible());
        adapter.chgPattenColor(r, g, b, 1, 40);
        QCOMPARE(adapter.window->red, double(shown[0]));
        QCOMPARE(adapter.window->green, double(shown[1]));
        QCOMPARE(adapter.window->blue, double(shown[2]));
        QCOMPARE(adapter.window->windowTitle(), QString("TestPattern  Gamut 40%"));
        QCOMPARE(adapter.mode, 1);
        adapter.stopPattern();
        QVERIFY(!adapter.window->isVisible());
    }

    void identityCurvesQuantiseToTheirSteps()
    {
        WorkingDir dir;
        dir.write("test1d.cfe", identityCurves(256));
        SigAdapter adapter;
        QCOMPARE(SigAdapter::curveSize, 256);
        QCOMPARE(SigAdapter::curveR[255], 255);
        QCOMPARE(SigAdapter::curveB[17], 17);
        showLocally(adapter);
        for (double level : {0.0, 0.1, 0.333, 0.5, 0.77, 1.0}) {
            adapter.chgPattenColor(level, level / 2, 1.0 - level, 0, 0);
            QCOMPARE(adapter.r, std::round(level * 255) / 255);
            QCOMPARE(adapter.g, std::round(level / 2 * 255) / 255);
            QCOMPARE(adapter.b, std::round((1.0 - level) * 255) / 255);
        }
    }

    void curvesMapTheirSteps()
    {
        // A 5-entry curve that inverts red, halves green and keeps blue.
        WorkingDir dir;
        QByteArray text = "1D 5\n";
        for (int i = 0; i < 5; ++i)
            text += triple(1.0 - i / 4.0, i / 8.0, i / 4.0).toLatin1() + "\n";
        dir.write("test1d.cfe", text);
        SigAdapter adapter;
        showLocally(adapter);
        adapter.chgPattenColor(0.25, 1.0, 0.5, 0, 0);
        QCOMPARE(adapter.r, 0.75);
        QCOMPARE(adapter.g, 0.5);
        QCOMPARE(adapter.b, 0.5);
        QCOMPARE(adapter.window->red, 191.0); // 0.75 x 255 = 191.25
    }

    void cubeIsLookedUpAndClamped_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QList<double>>("in");
        QTest::addColumn<QList<double>>("out");
        const auto invert = [](double r, double g, double b) { return triple(1 - r, 1 - g, 1 - b); };
        const auto overdrive = [](double r, double g, double b) { return triple(1.5 * r, g - 0.5, b); };
        QTest::newRow("inverting cube") << cube(2, invert) << QList<double>{0.2, 0.3, 0.4}
                                        << QList<double>{0.8, 0.7, 0.6};
        QTest::newRow("inverting cube of 5") << cube(5, invert) << QList<double>{0.0, 1.0, 0.625}
                                             << QList<double>{1.0, 0.0, 0.375};
        QTest::newRow("outputs clamped after the lookup")
            << cube(2, overdrive) << QList<double>{0.9, 0.2, 0.5} << QList<double>{1.0, 0.0, 0.5};
        QTest::newRow("levels above 1 clamped before the lookup")
            << cube(2, invert) << QList<double>{3.0, -2.0, 0.5} << QList<double>{0.0, 1.0, 0.5};
    }
    void cubeIsLookedUpAndClamped()
    {
        QFETCH(QByteArray, table);
        QFETCH(QList<double>, in);
        QFETCH(QList<double>, out);
        WorkingDir dir;
        dir.write("test3d.cfe", table);
        SigAdapter adapter;
        QVERIFY(SigAdapter::patternLut);
        showLocally(adapter);
        adapter.chgPattenColor(in[0], in[1], in[2], 3, 10);
        QVERIFY2(qAbs(adapter.r - out[0]) < 1e-9, qPrintable(QString::number(adapter.r)));
        QVERIFY2(qAbs(adapter.g - out[1]) < 1e-9, qPrintable(QString::number(adapter.g)));
        QVERIFY2(qAbs(adapter.b - out[2]) < 1e-9, qPrintable(QString::number(adapter.b)));
        QCOMPARE(adapter.window->red, double(std::lround(out[0] * 255)));
    }

    // A cube of 5 whose nodes bend every channel and mix the others in, some outputs beyond
    // 0..1; each node value is a multiple of 1/4096 written out exactly, so the table holds the
    // same numbers however it stores them. The expected levels are what the adapter has always
    // produced for these inputs, to the last bit.
    void cubeLookupsKeepTheirExactLevels_data()
    {
        QTest::addColumn<QList<double>>("in");
        QTest::addColumn<QList<double>>("out");
        QTest::newRow("black corner") << QList<double>{0, 0, 0} << QList<double>{0x1.48p-6, 0x0p+0, 0x0p+0};
        QTest::newRow("white corner") << QList<double>{1, 1, 1} << QList<double>{0x1p+0, 0x1p+0, 0x1p+0};
        QTest::newRow("magenta corner") << QList<double>{1, 0, 1} << QList<double>{0x1.d7p-1, 0x0p+0, 0x1.e66p-1};
        QTest::newRow("on a node") << QList<double>{0.25, 0.5, 0.75} << QList<double>{0x1.a6p-3, 0x1.3d2p-1, 0x1.162p-1};
        QTest::newRow("on an edge") << QList<double>{0.5, 0, 1} << QList<double>{0x1.8acp-2, 0x0p+0, 0x1.e66p-1};
        QTest::newRow("on a top face") << QList<double>{1, 0.6, 0.3} << QList<double>{0x1.e048f5c28f5c3p-1, 0x1.5b79999999999p-1, 0x1.18a3d70a3d70ap-3};
        QTest::newRow("between nodes") << QList<double>{0.3, 0.71, 0.123} << QList<double>{0x1.c3d192641b328p-3, 0x1.a3e6a7ef9db23p-1, 0x1.69cccccccccccp-5};
        QTest::newRow("near the top") << QList<double>{0.9999, 0.99, 0.001} << QList<double>{0x1.d6fe54b48d3aep-1, 0x1p+0, 0x1.1d1040bfe3b04p-4};
        QTest::newRow("out of range") << QList<double>{1.7, -0.3, std::nan("")} << QList<double>{0x1.d7p-1, 0x0p+0, 0x0p+0};
    }
    void cubeLookupsKeepTheirExactLevels()
    {
        QFETCH(QList<double>, in);
        QFETCH(QList<double>, out);
        const auto exact = [](double v) {
            return QString::number(std::round(v * 4096) / 4096, 'f', 12);
        };
        const auto bent = [&](double r, double g, double b) {
            return exact(0.02 + 0.9 * std::pow(r, 1.3) + 0.1 * g * b) + " "
                   + exact(1.1 * std::pow(g, 0.8) - 0.05 * r) + " " + exact(0.95 * b * b + 0.07 * r * g);
        };
        WorkingDir dir;
        dir.write("test3d.cfe", cube(5, [&](double r, double g, double b) { return bent(r, g, b); }));
        SigAdapter adapter;
        QVERIFY(SigAdapter::patternLut);
        showLocally(adapter);
        adapter.chgPattenColor(in[0], in[1], in[2], 0, 0);
        const QList<double> got{adapter.r, adapter.g, adapter.b};
        for (int c = 0; c < 3; ++c) {
            char text[64];
            std::snprintf(text, sizeof text, "channel %d: %a, expected %a", c, got[c], out[c]);
            QVERIFY2(got[c] == out[c], text);
        }
    }

    void cubeNodesFollowTheFileOrder()
    {
        // Red varies fastest: line k is node (k mod N, (k div N) mod N, k div N^2).
        WorkingDir dir;
        dir.write("test3d.cfe", cube(3, [](double r, double g, double b) { return triple(r, g, b); }));
        SigAdapter adapter;
        QCOMPARE(SigAdapter::lutSize, 3);
        const float* node = SigAdapter::patternLut->node(2, 1, 0);
        QCOMPARE(node[0], 1.0f);
        QCOMPARE(node[1], 0.5f);
        QCOMPARE(node[2], 0.0f);
    }

    void damagedTablesAreLoggedAndSkipped_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        const auto id = [](double r, double g, double b) { return triple(r, g, b); };
        QByteArray shortCube = cube(3, id);
        shortCube.chop(shortCube.size() - shortCube.lastIndexOf('\n', shortCube.size() - 2) - 1);
        QByteArray twoFieldNode = cube(2, id).replace("1 1 1", "1 1");
        QByteArray wordNode = cube(2, id).replace("0 1 0", "0 x 0");
        QByteArray hugeNode = cube(2, id).replace("1 1 0", "1 1e39 0");
        QByteArray shortCurves = identityCurves(8);
        shortCurves.chop(shortCurves.size() - shortCurves.lastIndexOf('\n', shortCurves.size() - 2) - 1);
        QByteArray twoFieldCurve = identityCurves(4).replace("1 1 1", "1 1");
        QByteArray nanCurve = identityCurves(4).replace("0 0 0", "0 nan 0");

        QTest::newRow("3-D empty file") << "test3d.cfe" << QByteArray() << ":1: header";
        QTest::newRow("3-D header without size") << "test3d.cfe" << QByteArray("LUT\n0 0 0\n") << ":1: header";
        QTest::newRow("3-D size not a number") << "test3d.cfe" << QByteArray("LUT two\n") << ":1: size";
        QTest::newRow("3-D size 1") << "test3d.cfe" << QByteArray("LUT 1\n0 0 0\n") << ":1: size";
        QTest::newRow("3-D size 0") << "test3d.cfe" << QByteArray("LUT 0\n") << ":1: size";
        QTest::newRow("3-D size above 256") << "test3d.cfe" << QByteArray("LUT 257\n") << ":1: size";
        QTest::newRow("3-D huge size, few lines") << "test3d.cfe" << QByteArray("LUT 256\n0 0 0\n") << "ends after";
        QTest::newRow("3-D one node line missing") << "test3d.cfe" << shortCube << "ends after";
        QTest::newRow("3-D node with two numbers") << "test3d.cfe" << twoFieldNode << ":9: expected three";
        QTest::newRow("3-D node with a word") << "test3d.cfe" << wordNode << ":4: \"x\"";
        QTest::newRow("3-D node beyond a float") << "test3d.cfe" << hugeNode << ":5: 1e+39 is out of range";
        QTest::newRow("1-D size 1") << "test1d.cfe" << QByteArray("C 1\n0 0 0\n") << ":1: size";
        QTest::newRow("1-D size above 1024") << "test1d.cfe" << QByteArray("C 1025\n") << ":1: size";
        QTest::newRow("1-D negative size") << "test1d.cfe" << QByteArray("C -3\n") << ":1: size";
        QTest::newRow("1-D one line missing") << "test1d.cfe" << shortCurves << ":9: missing line";
        QTest::newRow("1-D line with two numbers") << "test1d.cfe" << twoFieldCurve << ":5: expected three";
        QTest::newRow("1-D NaN entry") << "test1d.cfe" << nanCurve << ":2: \"nan\"";
    }
    void damagedTablesAreLoggedAndSkipped()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        WorkingDir dir;
        dir.write(file, content);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^" + QRegularExpression::escape(file) + ".*"
                                                + QRegularExpression::escape(message)));
        SigAdapter adapter;
        if (file == "test3d.cfe") {
            QVERIFY(!SigAdapter::patternLut);
            QCOMPARE(SigAdapter::lutSize, 0);
        } else {
            QCOMPARE(SigAdapter::curveSize, 0);
            QCOMPARE(SigAdapter::curveR[700], 700);
        }
        showLocally(adapter);
        adapter.chgPattenColor(0.5, 0.25, 1.0, 0, 0); // the chain still works, without that stage
        QCOMPARE(adapter.window->red, 128.0);
        QCOMPARE(adapter.window->green, 64.0);
    }

    // The adapter's start-up lines about absent table files are debug lines of the program's
    // category: off by default, shown with QT_LOGGING_RULES="quelvarin.debug=true". A damaged
    // table is a warning and always shown.
    void startUpDebugLinesFollowTheLoggingRules_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QStringList>("debugLines");
        QTest::newRow("default rules: no debug line") << QString() << QStringList();
        QTest::newRow("quelvarin.debug=true") << "quelvarin.debug=true"
                                              << QStringList{"3dcfe file open Error"};
        QTest::newRow("quelvarin*.debug=true") << "quelvarin*.debug=true"
                                               << QStringList{"3dcfe file open Error"};
    }
    void startUpDebugLinesFollowTheLoggingRules()
    {
        QFETCH(QString, rules);
        QFETCH(QStringList, debugLines);
        WorkingDir dir;
        dir.write("test1d.cfe", "C 1\n"); // damaged: size out of range
        QLoggingCategory::setFilterRules(rules);
        QStringList debug;
        QStringList warnings;
        {
            LogCapture log;
            SigAdapter adapter;
            debug = log.messages(QtDebugMsg);
            warnings = log.messages(QtWarningMsg);
        }
        QLoggingCategory::setFilterRules(QString::fromLatin1(testenv::kDebugLineRules));
        QCOMPARE(debug, debugLines);
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().startsWith("test1d.cfe:1: size"), qPrintable(warnings.first()));
    }

    void curveEntriesOutsideTheRangeAreHeldAtItsEnds()
    {
        const QByteArray text = "C 3\n-0.5 0 2\n0.5 0.5 0.5\n1.5 1 1\n";
        correctiontables::Curves curves;
        QVERIFY(correctiontables::parse1d(text, "t", &curves).error.isEmpty());
        QCOMPARE(curves.red, (std::vector<int>{0, 1, 2}));
        QCOMPARE(curves.blue, (std::vector<int>{2, 1, 2}));
    }

    void generatorOutputWaitsForTheAcknowledgement()
    {
        WorkingDir dir;
        PatternGeneratorEmulator generator;
        generator.maxLevel = 1023;
        SigAdapter adapter;
        QVERIFY(useGenerator(adapter, generator));

        VirtualClock clock(100);
        QVERIFY(adapter.startPattern());
        QCOMPARE(clock.requested(), QList<int>{2000}); // the full wait, however fast the reply
        QCOMPARE(SigAdapter::fullScale, 1023);
        QCOMPARE(SigAdapter::levelCount(), 1024);

        QSignalSpy errors(&adapter, &SigAdapter::tcpErrorOccured);
        const quint32 sequence = PatternTcp::sequenceNumber;
        adapter.chgPattenColor(0.5, 0.25, 1.0, 0, 0);
        QCOMPARE(errors.count(), 0);
        QCOMPARE(adapter.tcp->state(), int(Acknowledged));
        QCOMPARE(generator.requests().size(), 1);
        const auto request = generator.requests().first();
        QCOMPARE(request.r, 512); // 0.5 x 1023 = 511.5 goes up
        QCOMPARE(request.g, 256);
        QCOMPARE(request.b, 1023);
        QCOMPARE(request.sequence, sequence);
        QVERIFY(!adapter.window->isVisible());

        adapter.stopPattern();
        QTRY_COMPARE(generator.exitCount(), 1);
    }

    void acknowledgementIsAwaitedUpToTheLastPoll_data()
    {
        QTest::addColumn<int>("ackAfterMs");
        QTest::addColumn<int>("errors");
        // Polls at 0, 50, ..., 5000 ms after the request; one more 50 ms wait ends in the error.
        QTest::newRow("after 4 seconds") << 4000 << 0;
        QTest::newRow("just before the last poll") << 5000 << 0;
        QTest::newRow("during the wait after the last poll is late") << 5050 << 1;
        QTest::newRow("never") << -1 << 1;
    }
    void acknowledgementIsAwaitedUpToTheLastPoll()
    {
        QFETCH(int, ackAfterMs);
        QFETCH(int, errors);
        WorkingDir dir;
        PatternGeneratorEmulator generator;
        SigAdapter adapter;
        QVERIFY(useGenerator(adapter, generator));
        {
            VirtualClock startClock(100);
            QVERIFY(adapter.startPattern());
        }
        generator.holdReplies = true;
        // Inside the virtual wait that reaches the time: send the reply and let it arrive, so the
        // boundary rows do not depend on how fast the loopback is.
        const auto acknowledge = [&] {
            generator.releaseHeld();
            QElapsedTimer real;
            real.start();
            while (adapter.tcp->state() != Acknowledged && real.elapsed() < 5000)
                platform::waitProcessingEvents(5);
        };
        QSignalSpy spy(&adapter, &SigAdapter::tcpErrorOccured);
        for (int colour = 0; colour < 2; ++colour) {
            VirtualClock clock(5);
            if (ackAfterMs >= 0)
                clock.schedule(ackAfterMs, acknowledge);
            adapter.chgPattenColor(0.1 * colour, 0.2, 0.3, 0, 0);
            QCOMPARE(spy.count(), errors * (colour + 1)); // once per colour
            if (errors > 0) {
                QCOMPARE(clock.waits(), 101); // 101 polls, 50 ms apart: about 5 seconds
                QCOMPARE(clock.elapsed(), qint64(101 * 50));
            } else {
                QCOMPARE(clock.elapsed(), qint64(ackAfterMs));
            }
        }
        if (ackAfterMs < 0) // the second request carries the unacknowledged number again
            QCOMPARE(generator.requests().at(1).sequence, generator.requests().at(0).sequence);
    }

    void generatorNotConnectedFailsAtOnce()
    {
        WorkingDir dir;
        SigAdapter adapter;
        SigAdapter::setSigType(1);
        VirtualClock clock;
        QVERIFY(!adapter.startPattern());
        QCOMPARE(clock.waits(), 0);
        QSignalSpy spy(&adapter, &SigAdapter::tcpErrorOccured);
        adapter.chgPattenColor(0.5, 0.5, 0.5, 0, 0);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(clock.waits(), 0);
    }

    void generatorSilentAfterInitFails()
    {
        WorkingDir dir;
        PatternGeneratorEmulator generator;
        generator.answerInit = false;
        SigAdapter adapter;
        QVERIFY(useGenerator(adapter, generator));
        VirtualClock clock(20);
        QVERIFY(!adapter.startPattern());
        QCOMPARE(clock.requested(), QList<int>{2000});
        QCOMPARE(SigAdapter::fullScale, 0);
    }

    void openingFromAWorkerRunsOnTheGuiThread()
    {
        WorkingDir dir;
        SigAdapter adapter;
        SigAdapter::setSigType(0);
        std::atomic<bool> done{false};
        bool opened = false;
        std::thread worker([&] {
            opened = adapter.startPattern();
            done = true;
        });
        QTRY_VERIFY(done);
        worker.join();
        QVERIFY(opened);
        QVERIFY(adapter.window->isVisible());
        QCOMPARE(SigAdapter::fullScale, 255);
    }

    void showPatternKeepsTheWindowOnTop()
    {
        WorkingDir dir;
        SigAdapter adapter;
        SigAdapter::setSigType(0);
        adapter.showPattern();
        QVERIFY(adapter.window->isVisible());
        QVERIFY(adapter.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        SigAdapter::setSigType(1);
        adapter.window->hide();
        adapter.showPattern();
        QVERIFY(!adapter.window->isVisible());
    }
};

QV_TEST_MAIN_WIDGETS(TestSigAdapter)
#include "tst_sigadapter.moc"
