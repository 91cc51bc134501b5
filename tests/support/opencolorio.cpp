#include "opencolorio.h"

#include <QFile>
#include <QProcess>

namespace {

// The system's Python: the one that Debian's python3-pyopencolorio installs into.
const char kPython[] = "/usr/bin/python3";

const char kScript[] =
    "import sys, PyOpenColorIO as O\n"
    "c = O.Config.CreateRaw()\n"
    "t = O.FileTransform(src=sys.argv[1], interpolation=O.INTERP_LINEAR)\n"
    "p = c.getProcessor(t).getDefaultCPUProcessor()\n"
    "for line in sys.stdin:\n"
    "    v = [float(x) for x in line.split()]\n"
    "    print('%.9f %.9f %.9f' % tuple(p.applyRGB(v)))\n";

} // namespace

namespace opencolorio {

bool apply(const QString& file, const QVector<LutRgb>& inputs, QVector<LutRgb>* outputs,
           QString* error)
{
    if (!QFile::exists(kPython)) {
        *error = QStringLiteral("%1 is missing").arg(kPython);
        return false;
    }
    QByteArray input;
    for (const LutRgb& p : inputs)
        input += QString("%1 %2 %3\n")
                     .arg(p.rgb[0], 0, 'g', 17)
                     .arg(p.rgb[1], 0, 'g', 17)
                     .arg(p.rgb[2], 0, 'g', 17)
                     .toLatin1();
    QProcess py;
    py.start(kPython, {"-c", kScript, file});
    if (!py.waitForStarted(10000)) {
        *error = py.errorString();
        return false;
    }
    py.write(input);
    py.closeWriteChannel();
    if (!py.waitForFinished(60000) || py.exitCode() != 0) {
        *error = QString::fromLocal8Bit(py.readAllStandardError());
        return false;
    }
    const QList<QByteArray> lines = py.readAllStandardOutput().trimmed().split('\n');
    if (lines.size() != inputs.size()) {
        *error = QStringLiteral("%1 results for %2 inputs").arg(lines.size()).arg(inputs.size());
        return false;
    }
    outputs->clear();
    for (const QByteArray& line : lines) {
        const QList<QByteArray> v = line.simplified().split(' ');
        if (v.size() != 3) {
            *error = QStringLiteral("unreadable result \"%1\"").arg(QString::fromLatin1(line));
            return false;
        }
        outputs->append(LutRgb(v[0].toDouble(), v[1].toDouble(), v[2].toDouble()));
    }
    return true;
}

} // namespace opencolorio
