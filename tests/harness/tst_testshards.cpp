// The harness's shards: an executable registered as n ctest entries runs each of its rows in
// exactly one of them, and refuses a split it cannot make rather than running everything.
// The executable runs a small sample test object as its own child (QV_SHARD_SAMPLE names which).
#include "testenv.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <memory>
#include <vector>

namespace {

// A test object with the row shapes the listing must carry through to QtTest's command line:
// a function without rows, tags with spaces and colons, and tags that start with ':' (which
// QtTest cannot take as "function:tag", so their function stays whole).
class TestShardSample : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // What this run expects to take, for the check of testenv::rowRuns.
        const QStringList rows = {"plain", "rows:a", "rows:b c", "rows:d:e", "rows:f", "rows:g h i",
                                  "resources::/one.png", "resources::/two.png", "last"};
        for (const QString& row : rows) {
            const int colon = row.indexOf(':');
            const QString function = colon < 0 ? row : row.left(colon);
            const QString tag = colon < 0 ? QString() : row.mid(colon + 1);
            if (testenv::rowRuns(function, tag))
                qInfo("takes %s(%s)", qPrintable(function), qPrintable(tag));
        }
    }
    void plain() { QVERIFY(true); }
    void rows_data()
    {
        QTest::addColumn<int>("value");
        QTest::newRow("a") << 1;
        QTest::newRow("b c") << 2;
        QTest::newRow("d:e") << 3;
        QTest::newRow("f") << 4;
        QTest::newRow("g h i") << 5;
    }
    void rows()
    {
        QFETCH(int, value);
        QVERIFY(value > 0);
    }
    void resources_data()
    {
        QTest::addColumn<int>("value");
        QTest::newRow(":/one.png") << 1;
        QTest::newRow(":/two.png") << 2;
    }
    void resources()
    {
        QFETCH(int, value);
        QVERIFY(value > 0);
    }
    void last() { QVERIFY(true); }
};

// A test object whose rows differ between the listing and the run: -datatags lists a row that
// the run does not have, as a data function whose rows depend on what it finds may do. QtTest
// ends the run quietly at the row it does not know.
class TestShardDrift : public QObject
{
    Q_OBJECT
private slots:
    void first() { QVERIFY(true); }
    void rows_data()
    {
        QTest::addColumn<int>("value");
        QTest::newRow("kept") << 1;
        if (QCoreApplication::arguments().contains("-datatags"))
            QTest::newRow("listed only") << 2;
        QTest::newRow("after it") << 3;
    }
    void rows()
    {
        QFETCH(int, value);
        QVERIFY(value > 0);
    }
    void last() { QVERIFY(true); }
};

struct Outcome
{
    int exitCode = -1;
    QSet<QString> passed; // "function(tag)" or "function()", the case functions left out
    QSet<QString> taken;  // the rows testenv::rowRuns said this run takes, written alike
    QString err;
};

// Starts the sample as one shard (or unsharded when `shard` is null); finish() collects it.
// Shards are started together, as ctest runs them.
std::unique_ptr<QProcess> startSample(const QString& shard, const QStringList& arguments = {},
                                      const QString& sample = "rows")
{
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QV_SHARD_SAMPLE", sample);
    // The sample runs no program code: its leak check would only cost time.
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    env.remove("QV_TEST_SHARD");
    if (!shard.isNull())
        env.insert("QV_TEST_SHARD", shard);
    child->setProcessEnvironment(env);
    child->start(QCoreApplication::applicationFilePath(), arguments);
    return child;
}

Outcome finish(QProcess& child)
{
    Outcome outcome;
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished(5000);
        outcome.err = "the sample did not finish";
        return outcome;
    }
    outcome.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    outcome.err = QString::fromLocal8Bit(child.readAllStandardError());
    const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
    static const QRegularExpression pass("^PASS   : \\w+::(\\w+\\(.*\\))$",
                                         QRegularExpression::MultilineOption);
    for (auto it = pass.globalMatch(out); it.hasNext();) {
        const QString row = it.next().captured(1);
        if (!row.startsWith("initTestCase(") && !row.startsWith("cleanupTestCase("))
            outcome.passed.insert(row);
    }
    static const QRegularExpression takes("^QINFO  : TestShardSample::initTestCase\\(\\) takes (.*)$",
                                          QRegularExpression::MultilineOption);
    for (auto it = takes.globalMatch(out); it.hasNext();)
        outcome.taken.insert(it.next().captured(1));
    return outcome;
}

Outcome runSample(const QString& shard, const QStringList& arguments = {})
{
    return finish(*startSample(shard, arguments));
}

const QSet<QString> kEveryRow = {"plain()",        "rows(a)",           "rows(b c)",
                                 "rows(d:e)",      "rows(f)",           "rows(g h i)",
                                 "resources(:/one.png)", "resources(:/two.png)", "last()"};

} // namespace

class TestTestShards : public QObject
{
    Q_OBJECT
private slots:
    void unshardedRunsEveryRow()
    {
        const Outcome all = runSample(QString());
        QCOMPARE(all.exitCode, 0);
        QCOMPARE(all.passed, kEveryRow);
        QCOMPARE(all.taken, kEveryRow);
    }

    void shardsSplitTheRowsExactlyOnce_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("one shard") << 1;
        QTest::newRow("two shards") << 2;
        QTest::newRow("three shards") << 3;
        // plain, five rows, resources (whole), last: eight units.
        QTest::newRow("one unit each") << 8;
    }
    void shardsSplitTheRowsExactlyOnce()
    {
        QFETCH(int, count);
        std::vector<std::unique_ptr<QProcess>> shards;
        for (int k = 1; k <= count; ++k)
            shards.push_back(startSample(QString("%1/%2").arg(k).arg(count)));
        QSet<QString> seen;
        for (int k = 1; k <= count; ++k) {
            const Outcome part = finish(*shards[k - 1]);
            QVERIFY2(part.exitCode == 0, qPrintable(part.err));
            QVERIFY2(!part.passed.isEmpty(), qPrintable(QString("shard %1 ran nothing").arg(k)));
            QVERIFY2(!part.passed.intersects(seen), qPrintable(QString("shard %1 repeats a row").arg(k)));
            // Rows whose tags QtTest cannot address run together, in one shard.
            QCOMPARE(part.passed.contains("resources(:/one.png)"),
                     part.passed.contains("resources(:/two.png)"));
            // A test that starts work for its coming rows asks rowRuns, which must agree.
            QCOMPARE(part.taken, part.passed);
            seen += part.passed;
        }
        QCOMPARE(seen, kEveryRow);
    }

    void aSplitThatCannotBeMadeRunsNothing_data()
    {
        QTest::addColumn<QString>("shard");
        QTest::newRow("index zero") << "0/2";
        QTest::newRow("index past the count") << "3/2";
        QTest::newRow("no count") << "2";
        QTest::newRow("zero shards") << "1/0";
        QTest::newRow("not numbers") << "a/b";
        QTest::newRow("more shards than units") << "1/9";
    }
    void aSplitThatCannotBeMadeRunsNothing()
    {
        QFETCH(QString, shard);
        const Outcome outcome = runSample(shard);
        QVERIFY2(outcome.exitCode != 0, qPrintable(outcome.err));
        QVERIFY2(outcome.passed.isEmpty(), qPrintable(QStringList(outcome.passed.values()).join(", ")));
        QVERIFY2(!outcome.err.isEmpty(), "a refused split must say why");
    }

    // A row the listing had and the run lacked fails its shard, which names every row it asked
    // for that did not run; the other shards still pass.
    void aListedRowThatDidNotRunFailsItsShard_data()
    {
        QTest::addColumn<QString>("shard");
        QTest::addColumn<QStringList>("notRun");
        // Rows: first, rows:kept, rows:listed only, rows:after it, last.
        QTest::newRow("one shard") << "1/1" << QStringList{"rows:listed only", "rows:after it", "last"};
        QTest::newRow("the shard with the row") << "1/2" << QStringList{"rows:listed only", "last"};
        QTest::newRow("a shard without it") << "2/2" << QStringList{};
    }
    void aListedRowThatDidNotRunFailsItsShard()
    {
        QFETCH(QString, shard);
        QFETCH(QStringList, notRun);
        const Outcome outcome = finish(*startSample(shard, {}, "drift"));
        QVERIFY2(outcome.passed.contains(shard == "2/2" ? "rows(kept)" : "first()"), qPrintable(outcome.err));
        if (notRun.isEmpty()) {
            QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
            return;
        }
        QVERIFY2(outcome.exitCode != 0, qPrintable(outcome.err));
        const QString named = outcome.err.section("did not run: ", 1).section('\n', 0, 0);
        QCOMPARE(named, notRun.join(", "));
    }

    void namedFunctionsRunAsNamedInAShard()
    {
        // A developer who names what to run gets exactly that, whatever the environment says.
        const Outcome outcome = runSample("2/3", {"last"});
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(outcome.passed, QSet<QString>{"last()"});
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    testenv::SettingsSandbox sandbox;
    testenv::prepareApplication();
    const QString sample = qEnvironmentVariable("QV_SHARD_SAMPLE");
    if (sample == "drift") {
        TestShardDrift drift;
        return testenv::runTests(&drift, argc, argv);
    }
    if (!sample.isEmpty()) {
        TestShardSample rows;
        return testenv::runTests(&rows, argc, argv);
    }
    TestTestShards tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_testshards.moc"
