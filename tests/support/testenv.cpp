#include "testenv.h"

#include "platform/messagepresenter.h"
#include "platform/serialline.h"
#include "platform/settings.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QMessageBox>
#include <QPixmapCache>
#include <QPointer>
#include <QProcess>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testenv {

const char kDebugLineRules[] = "quelvarin*.debug=true\n"
                               "quelvarin.calibrate.debug=false\n"
                               "quelvarin.sensors.as5216.debug=false\n"
                               "quelvarin.free.spectrum.debug=false";

namespace {

// Binds a loopback port of `family` without listening; -1 when it cannot.
int bindLoopback(int family, quint16 port, quint16* bound)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_storage address{};
    socklen_t length = 0;
    if (family == AF_INET) {
        auto* in = reinterpret_cast<sockaddr_in*>(&address);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof(sockaddr_in);
    } else {
        const int only = 1;
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &only, sizeof only);
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&address);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        in6->sin6_addr = in6addr_loopback;
        length = sizeof(sockaddr_in6);
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    *bound = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&address)->sin_port
                                     : reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    return fd;
}

} // namespace

quint16 refusingPort()
{
    // Bound once and never closed: the port stays this process's while it runs.
    static const quint16 port = [] {
        quint16 bound = 0;
        if (bindLoopback(AF_INET, 0, &bound) < 0) {
            std::fprintf(stderr, "testenv: cannot bind a loopback port: %s\n", std::strerror(errno));
            std::abort();
        }
        // The same port on ::1 as well where the machine has it, so "localhost" is refused there
        // too; a machine without IPv6 has nothing to reach.
        quint16 same = 0;
        bindLoopback(AF_INET6, bound, &same);
        return bound;
    }();
    return port;
}

SettingsSandbox::SettingsSandbox()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, m_dir.path() + "/system");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir.path() + "/system");

    // The program reads its store with the system scope behind the user's: what is written here
    // is what a key reads while the test's own store does not have it.
    QSettings system(QSettings::IniFormat, QSettings::SystemScope, platform::kSettingsOrganisation,
                     platform::kSettingsApplication);
    system.setValue(QStringLiteral("measure/ipadd"), QStringLiteral("127.0.0.1"));
    system.setValue(QStringLiteral("measure/tcpport"), int(refusingPort()));
    system.sync();

    const QString noDevice = m_dir.path() + QStringLiteral("/no-serial-device/");
    for (int n = 1; n <= platform::kMaxComNumber; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        qputenv(platform::serialOverrideVariable(n).toLatin1().constData(),
                QFile::encodeName(noDevice + name));
    }

    // Qt's printing asks the print server for the machine's printers; a path where no server
    // socket stands answers at once that there is none.
    qputenv("CUPS_SERVER", QFile::encodeName(m_dir.path() + QStringLiteral("/no-print-server")));
}

SettingsSandbox::~SettingsSandbox() = default;

void clearSettings()
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, platform::kSettingsOrganisation,
                platform::kSettingsApplication);
    s.clear();
    s.sync();
}

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value)
    : m_name(name), m_previous(qgetenv(name)), m_wasSet(qEnvironmentVariableIsSet(name))
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (m_wasSet)
        qputenv(m_name.constData(), m_previous);
    else
        qunsetenv(m_name.constData());
}

namespace {

int failUnansweredBox(QMessageBox& box)
{
    QString what = QStringLiteral("message box \"%1\": \"%2\"").arg(box.windowTitle(), box.text());
    if (!box.informativeText().isEmpty())
        what += QStringLiteral(" (\"%1\")").arg(box.informativeText());
    failUnansweredWindow(what);
    // Answered as a box closed without a choice: no button, so no caller goes on as if agreed.
    return QMessageBox::NoButton;
}

ModalRoute messageBoxRoute()
{
    return {[] { platform::setMessagePresenter(&failUnansweredBox); },
            [] {
                auto previous = std::make_shared<platform::MessagePresenter>(
                    platform::setMessagePresenter({}));
                return std::function<void()>(
                    [previous] { platform::setMessagePresenter(std::move(*previous)); });
            }};
}

std::vector<ModalRoute>& modalRoutes()
{
    static std::vector<ModalRoute> routes{messageBoxRoute()};
    return routes;
}

int watchdogLimitMs = kModalWatchdogMs;

// Looks at the active modal widget a few times a second; one that stays longer than the limit
// fails the test and is closed.
class ModalWatchdog : public QObject
{
public:
    explicit ModalWatchdog(QObject* parent)
        : QObject(parent)
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalWatchdog::look);
        m_timer.start(100);
    }

private:
    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != m_watched) {
            m_watched = modal;
            m_since.start();
            return;
        }
        if (!modal || m_since.elapsed() < watchdogLimitMs)
            return;
        QString what = QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(modal->metaObject()->className()),
                                                      modal->windowTitle());
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            what += QStringLiteral(": \"%1\"").arg(box->text());
        what += QStringLiteral(", open for %1 ms").arg(m_since.elapsed());
        m_watched = nullptr;
        failUnansweredWindow(what);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }

    QTimer m_timer;
    QPointer<QWidget> m_watched;
    QElapsedTimer m_since;
};

} // namespace

bool addModalRoute(ModalRoute route)
{
    modalRoutes().push_back(std::move(route));
    return true;
}

void installModalDefaults()
{
    for (const ModalRoute& route : modalRoutes())
        route.failUnanswered();
}

void failUnansweredWindow(const QString& what)
{
    const QByteArray message = QStringLiteral("unanswered modal %1: no test answers it").arg(what).toLocal8Bit();
    if (QTest::currentTestFunction()) {
        QTest::qFail(message.constData(), __FILE__, __LINE__);
        return;
    }
    // Outside a test function a failure would go unreported: end the run, saying why.
    qFatal("%s", message.constData());
}

RealModalRuns::RealModalRuns()
{
    for (const ModalRoute& route : modalRoutes())
        m_restore.push_back(route.runReal());
}

RealModalRuns::~RealModalRuns()
{
    for (auto it = m_restore.rbegin(); it != m_restore.rend(); ++it)
        (*it)();
}

void setModalWatchdogLimit(int ms)
{
    watchdogLimitMs = ms;
}

void prepareApplication()
{
    QLoggingCategory::setFilterRules(QString::fromLatin1(kDebugLineRules));
    // The largest pictures (the chromaticity backgrounds, the spectrum bar, the report title)
    // come to about 8 MB decoded, near Qt's default limit of 10 MB.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QPixmapCache::setCacheLimit(64 * 1024);
    installModalDefaults();
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        new ModalWatchdog(app);
}

namespace {

// The rows of this run when it is one shard of the executable's rows (see runTests).
bool sharded = false;
QStringList shardRows;

// Rows of the test object as QtTest names them on its command line: "function" or
// "function:tag", in the order the executable runs them, each once. QtTest reads "::" in an
// argument as part of the name, so a function with a tag that starts with ':' stays one unit
// (its name alone runs all its rows). Empty when the listing fails.
QStringList listRows(const QObject* testObject, const char* program)
{
    QProcess lister;
    lister.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The listing runs no code under test, so its leak check at exit (a good part of its cost:
    // the suppressions are matched against symbolized stacks) is left out.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               asan.isEmpty() ? QStringLiteral("detect_leaks=0") : asan + QStringLiteral(":detect_leaks=0"));
    lister.setProcessEnvironment(env);
    lister.start(QString::fromLocal8Bit(program), {QStringLiteral("-datatags")});
    // Listing calls only the _data functions; a minute is far beyond it even on a loaded
    // machine, and keeps a stuck listing from holding the run until ctest's own time-out.
    if (!lister.waitForFinished(60000) || lister.exitStatus() != QProcess::NormalExit
        || lister.exitCode() != 0) {
        lister.kill();
        lister.waitForFinished(5000);
        return {};
    }
    const QString prefix = QString::fromLatin1(testObject->metaObject()->className()) + QLatin1Char(' ');
    QStringList functions;
    QHash<QString, QStringList> tagsOf;
    const QStringList lines = QString::fromLocal8Bit(lister.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (!line.startsWith(prefix))
            continue;
        const QString rest = line.mid(prefix.size());
        const int space = rest.indexOf(QLatin1Char(' '));
        const QString function = space < 0 ? rest : rest.left(space);
        if (!tagsOf.contains(function))
            functions << function;
        QStringList& tags = tagsOf[function];
        if (space >= 0 && !tags.contains(rest.mid(space + 1)))
            tags << rest.mid(space + 1);
    }
    QStringList rows;
    for (const QString& function : qAsConst(functions)) {
        const QStringList& tags = tagsOf[function];
        const bool addressable = std::none_of(tags.begin(), tags.end(), [](const QString& tag) {
            return tag.startsWith(QLatin1Char(':'));
        });
        if (tags.isEmpty() || !addressable) {
            rows << function;
            continue;
        }
        for (const QString& tag : tags)
            rows << function + QLatin1Char(':') + tag;
    }
    return rows;
}

// The rows of `asked` that left no result in the plain-text log at `logPath`. Each row that
// runs ends in a result line, "PASS   : Class::function(tag)", "FAIL!  : ...(tag) why", "SKIP",
// "XFAIL", ...; a function asked for whole ran when any row of it did. Nothing is missing when
// initTestCase did not pass: then QtTest runs no row by design (skipped) or fails the run itself.
QStringList rowsNotRun(const QObject* testObject, const QString& logPath, const QStringList& asked)
{
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return asked;
    const QString className = QString::fromLatin1(testObject->metaObject()->className());
    static const QStringList results = {"PASS", "FAIL!", "XFAIL", "XPASS", "SKIP", "BPASS",
                                        "BFAIL", "BXPASS", "BXFAIL", "BLACKLISTED"};
    QStringList ran; // "function(tag)" and what follows it on the line
    const QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
    const QString prefix = className + QStringLiteral("::");
    for (const QString& line : lines) {
        // "RESULT : Class::function(tag)...", the result padded with blanks.
        const int colon = line.indexOf(QStringLiteral(" : "));
        if (colon < 0 || !results.contains(line.left(colon).trimmed()))
            continue;
        const QString rest = line.mid(colon + 3);
        if (rest.startsWith(prefix))
            ran << rest.mid(prefix.size());
    }
    if (!lines.contains(QStringLiteral("PASS   : ") + prefix + QStringLiteral("initTestCase()")))
        return {};
    QStringList missing;
    for (const QString& row : asked) {
        const int colon = row.indexOf(QLatin1Char(':'));
        const bool whole = colon < 0;
        const QString name = whole ? row + QLatin1Char('(')
                                   : row.left(colon) + QLatin1Char('(') + row.mid(colon + 1) + QLatin1Char(')');
        const bool found = std::any_of(ran.begin(), ran.end(), [&](const QString& entry) {
            if (whole)
                return entry.startsWith(name);
            return entry == name || entry.startsWith(name + QLatin1Char(' '));
        });
        if (!found)
            missing << row;
    }
    return missing;
}

} // namespace

int runTests(QObject* testObject, int argc, char** argv)
{
    const QString shard = qEnvironmentVariable("QV_TEST_SHARD");
    if (shard.isEmpty() || argc != 1)
        return QTest::qExec(testObject, argc, argv);

    const QStringList parts = shard.split(QLatin1Char('/'));
    bool okIndex = false;
    bool okCount = false;
    const int index = parts.size() == 2 ? parts[0].toInt(&okIndex) : 0;
    const int count = parts.size() == 2 ? parts[1].toInt(&okCount) : 0;
    if (!okIndex || !okCount || count < 1 || index < 1 || index > count) {
        std::fprintf(stderr, "QV_TEST_SHARD \"%s\" is not of the form k/n with 1 <= k <= n\n",
                     qPrintable(shard));
        return 1;
    }
    const QStringList rows = listRows(testObject, argv[0]);
    if (rows.isEmpty()) {
        std::fprintf(stderr, "%s -datatags listed no rows; cannot run shard %s\n", argv[0],
                     qPrintable(shard));
        return 1;
    }
    if (rows.size() < count) {
        // An empty shard would run every row (QtTest runs everything when no function is named).
        std::fprintf(stderr, "%s has %d rows, fewer than its %d shards\n", argv[0],
                     int(rows.size()), count);
        return 1;
    }
    for (int i = index - 1; i < rows.size(); i += count)
        shardRows << rows[i];
    sharded = true;
    // A second log, in a file, tells which rows ran; the usual one still goes to the output.
    QTemporaryDir logDir;
    if (!logDir.isValid()) {
        std::fprintf(stderr, "%s: no temporary directory for the log of shard %s\n", argv[0],
                     qPrintable(shard));
        return 1;
    }
    const QString log = logDir.filePath(QStringLiteral("rows.txt"));
    const QStringList arguments = QStringList{QString::fromLocal8Bit(argv[0]), QStringLiteral("-o"),
                                              log + QStringLiteral(",txt"), QStringLiteral("-o"),
                                              QStringLiteral("-,txt")}
                                  + shardRows;
    const int result = QTest::qExec(testObject, arguments);
    const QStringList missing = rowsNotRun(testObject, log, shardRows);
    if (missing.isEmpty())
        return result;
    std::fprintf(stderr, "%s: shard %s asked for rows that did not run: %s\n", argv[0],
                 qPrintable(shard), qPrintable(missing.join(QStringLiteral(", "))));
    return result != 0 ? result : 1;
}

bool rowRuns(const QString& function, const QString& tag)
{
    return !sharded || shardRows.contains(function)
           || shardRows.contains(function + QLatin1Char(':') + tag);
}

QString artifactDir()
{
    QString dir = qEnvironmentVariable("QV_TEST_ARTIFACTS");
    if (dir.isEmpty())
        dir = QDir::temp().filePath("quelvarin-artifacts");
    QDir().mkpath(dir);
    return dir;
}

} // namespace testenv
