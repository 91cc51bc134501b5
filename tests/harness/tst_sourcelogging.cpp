// Every debug line of the program, its libraries and its tools goes through a logging category
// (platform/logging.h), where it is off by default. A plain qDebug() or qInfo() writes to Qt's
// default category, which always prints: a user would see developers' lines on every run. This
// test reads the sources and names each such call.
#include "testenv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {

// The source without its comments and string literals (each replaced by a blank, so that line
// numbers stay), for a look at the code alone.
QString codeOnly(const QString& source)
{
    QString out;
    out.reserve(source.size());
    enum { Code, Line, Block, String, Char } state = Code;
    for (int i = 0; i < source.size(); ++i) {
        const QChar c = source.at(i);
        const QChar next = i + 1 < source.size() ? source.at(i + 1) : QChar();
        switch (state) {
        case Code:
            if (c == '/' && next == '/') {
                state = Line;
            } else if (c == '/' && next == '*') {
                state = Block;
                ++i;
            } else if (c == '"') {
                state = String;
            } else if (c == '\'') {
                state = Char;
            } else {
                out += c;
                continue;
            }
            out += ' ';
            continue;
        case Line:
            if (c == '\n') {
                state = Code;
                out += c;
            }
            continue;
        case Block:
            if (c == '*' && next == '/') {
                state = Code;
                ++i;
            } else if (c == '\n') {
                out += c;
            }
            continue;
        case String:
        case Char:
            if (c == '\\') {
                ++i;
            } else if (c == (state == String ? '"' : '\'')) {
                state = Code;
                out += ' ';
            } else if (c == '\n') {
                out += c;
            }
            continue;
        }
    }
    return out;
}

// "line: text" of every plain qDebug/qInfo call in `source`.
QStringList plainDebugCalls(const QString& source)
{
    static const QRegularExpression call(QStringLiteral("(?<![\\w:.>])q(Debug|Info)\\s*\\("));
    const QString code = codeOnly(source);
    const QStringList codeLines = code.split('\n');
    const QStringList sourceLines = source.split('\n');
    QStringList found;
    for (int i = 0; i < codeLines.size(); ++i) {
        if (call.match(codeLines.at(i)).hasMatch())
            found << QStringLiteral("%1: %2").arg(i + 1).arg(sourceLines.value(i).trimmed());
    }
    return found;
}

} // namespace

class TestSourceLogging : public QObject
{
    Q_OBJECT

private slots:
    void recognisesPlainCalls_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("calls");
        QTest::newRow("stream") << "void f() { qDebug() << \"x\"; }" << 1;
        QTest::newRow("format") << "qDebug(\"%d\", n);" << 1;
        QTest::newRow("info, spaced") << "qInfo ().noquote() << s;" << 1;
        QTest::newRow("two lines") << "qDebug() << 1;\nint a;\nqInfo() << 2;" << 2;
        QTest::newRow("through a category") << "qCDebug(platform::sensorLog) << x; qCInfo(lc) << y;" << 0;
        QTest::newRow("warning") << "qWarning() << x;" << 0;
        QTest::newRow("line comment") << "int a; // qDebug() << a;" << 0;
        QTest::newRow("block comment") << "/* qDebug() << a;\n qInfo() */ int a;" << 0;
        QTest::newRow("string") << "const char* s = \"qDebug() \\\" qInfo()\";" << 0;
        QTest::newRow("QDebug type") << "QDebug d = qCDebug(lc); QDebug(&s) << 1;" << 0;
        QTest::newRow("another function") << "myqDebug(); x.qDebug(); ns::qDebug();" << 0;
    }
    void recognisesPlainCalls()
    {
        QFETCH(QString, source);
        QFETCH(int, calls);
        QCOMPARE(plainDebugCalls(source).size(), calls);
    }

    void noPlainDebugLineInTheSources()
    {
        const QDir root(QString::fromUtf8(QV_SOURCE_DIR));
        QStringList found;
        int files = 0;
        for (const char* folder : {"quelvarin", "tavrin", "quorvane"}) {
            QDirIterator it(root.filePath(QLatin1String(folder)), {"*.cpp", "*.h"}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                QFile f(path);
                QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
                ++files;
                for (const QString& call : plainDebugCalls(QString::fromUtf8(f.readAll())))
                    found << root.relativeFilePath(path) + QLatin1Char(':') + call;
            }
        }
        QVERIFY2(files > 0, qPrintable(root.path()));
        QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
    }
};

QV_TEST_MAIN_CORE(TestSourceLogging)
#include "tst_sourcelogging.moc"
