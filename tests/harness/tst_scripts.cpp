// The developer commands in scripts/, run in a scratch copy of the tree with stand-ins for the
// package check and for cmake: the stand-in build prints ninja's progress lines and leaves the
// programs the command goes on to start, as the real build does (including the *_autogen
// folders that sit beside the programs).
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool writeExecutable(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return false;
    f.close();
    return f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ReadOwner);
}

// A cmake that configures nothing and "builds" by printing progress and leaving fake programs:
// the program of scripts/run, two fuzz targets and two benchmarks, each saying it ran.
const char kFakeCmake[] = R"(#!/usr/bin/env bash
if [[ "$1" != --build ]]; then
  # Configuring creates the build folder, as cmake does.
  while (($#)); do [[ "$1" == -B ]] && mkdir -p "$2"; shift; done
  exit 0
fi
build=$2
echo "[1/3] Building CXX object quelvarin/app/CMakeFiles/quelvarin.dir/main.cpp.o"
echo "[2/3] Building CXX object quelvarin/shell/CMakeFiles/qv_shell.dir/mainwindow.cpp.o"
echo "[3/3] Linking CXX executable quelvarin/app/quelvarin"
mkdir -p "$build/run" "$build/quelvarin/app" "$build/fuzz" "$build/bench"
printf '#!/bin/sh\necho "program started"\n' > "$build/quelvarin/app/quelvarin"
chmod +x "$build/quelvarin/app/quelvarin"
for kind in fuzz bench; do
  for name in alpha beta; do
    printf '#!/bin/sh\necho "%s %s ran"\n' "$kind" "$name" > "$build/$kind/${kind}_$name"
    chmod +x "$build/$kind/${kind}_$name"
    mkdir -p "$build/$kind/${kind}_${name}_autogen"
  done
done
)";

} // namespace

class TestScripts : public QObject
{
    Q_OBJECT

private slots:
    void commandsRunWhatTheyPromise_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected"); // lines that must appear, in this order
        QTest::newRow("run shows the build's progress, then starts the program")
            << "run" << QStringList()
            << QStringList{"[1/3] Building CXX object", "[3/3] Linking CXX executable",
                           "program started"};
        QTest::newRow("fuzz without names runs every target")
            << "fuzz" << QStringList{"1"}
            << QStringList{"== alpha (1 s)", "fuzz alpha ran", "== beta (1 s)", "fuzz beta ran"};
        QTest::newRow("bench without names runs every benchmark")
            << "bench" << QStringList()
            << QStringList{"== alpha", "bench alpha ran", "== beta", "bench beta ran"};
    }
    void commandsRunWhatTheyPromise()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QFile original(QStringLiteral(QV_SOURCE_DIR "/scripts/") + script);
        QVERIFY(original.open(QIODevice::ReadOnly));
        QVERIFY(writeExecutable(root.filePath("scripts/" + script), original.readAll()));
        QVERIFY(writeExecutable(root.filePath("scripts/deps"), "#!/bin/sh\nexit 0\n"));
        QVERIFY(writeExecutable(root.filePath("bin/cmake"), kFakeCmake));

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", root.filePath("bin") + ":" + env.value("PATH"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(root.filePath("scripts/" + script), arguments);
        QVERIFY(process.waitForFinished(60000));
        const QString output = QString::fromLocal8Bit(process.readAll());
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 qPrintable(QString("exit %1\n%2").arg(process.exitCode()).arg(output)));
        int from = 0;
        for (const QString& line : expected) {
            const int at = output.indexOf(line, from);
            QVERIFY2(at >= 0, qPrintable(QString("\"%1\" missing or out of order in:\n%2")
                                             .arg(line, output)));
            from = at + line.size();
        }
    }
};

QV_TEST_MAIN_CORE(TestScripts)
#include "tst_scripts.moc"
