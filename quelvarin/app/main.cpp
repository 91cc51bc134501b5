// Program entry: the application object, the Chinese translation when the system speaks Chinese,
// and the main window around the event loop.

#include "shell/application.h"
#include "shell/mainwindow.h"

#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

namespace {

// Developer hook for the run script's smoke check: with QV_SCREENSHOT=<file.png> set, the program
// saves what the screen shows once the window has settled, then closes the window.
constexpr int kScreenshotDelayMs = 2000;

void scheduleScreenshot(MainWindow& window)
{
    const QString file = qEnvironmentVariable("QV_SCREENSHOT");
    if (file.isEmpty())
        return;
    QTimer::singleShot(kScreenshotDelayMs, &window, [&window, file] {
        QScreen* screen = QGuiApplication::primaryScreen();
        QPixmap shot = screen ? screen->grabWindow(0) : QPixmap();
        if (shot.isNull() || shot.toImage().allGray())
            shot = window.grab(); // platforms without a screen grab: the window's own rendering
        if (!shot.save(file))
            qWarning("QV_SCREENSHOT: cannot write %s", qPrintable(file));
        window.close();
    });
}

} // namespace

int main(int argc, char** argv)
{
    Application app(argc, argv);
    // Qt's plug-ins may be installed beneath the program.
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath());

    QTranslator translator;
    if (QLocale::system().language() == QLocale::Chinese) {
        QString dir = QCoreApplication::applicationFilePath();
        dir.truncate(dir.lastIndexOf(QLatin1Char('/')));
        if (translator.load(QStringLiteral("quelvarin_zh_CN"), dir))
            QCoreApplication::installTranslator(&translator);
    }

    MainWindow window;
    window.show();
    scheduleScreenshot(window);
    return app.exec();
}
