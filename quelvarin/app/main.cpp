// Program entry: the application object, the Chinese translations (Qt's and the program's) when
// the system speaks Chinese, and the main window around the event loop.

#include "appcore/application.h"
#include "platform/logging.h"
#include "shell/mainwindow.h"
#include "shell/programtranslation.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

namespace {

// Developer hook for a look at the program on a machine without a screen:
//   QV_SCREENSHOT=/tmp/quelvarin.png xvfb-run -a -s "-screen 0 1600x1000x24" scripts/run
// saves what the screen shows of the window once it has settled, then closes the window (the
// program ends as after any close). Without the variable nothing happens.
constexpr int kScreenshotDelayMs = 2000;

void scheduleScreenshot(MainWindow& window)
{
    const QString file = qEnvironmentVariable("QV_SCREENSHOT");
    if (file.isEmpty())
        return;
    QTimer::singleShot(kScreenshotDelayMs, &window, [&window, file] {
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect frame = window.frameGeometry();
        QPixmap shot = screen ? screen->grabWindow(0, frame.x(), frame.y(), frame.width(),
                                                   frame.height())
                              : QPixmap();
        if (shot.isNull() || shot.toImage().allGray())
            shot = window.grab(); // platforms without a screen grab: the window's own rendering
        if (!shot.save(file))
            qCWarning(platform::programLog, "QV_SCREENSHOT: cannot write %s", qPrintable(file));
        window.close();
    });
}

} // namespace

int main(int argc, char** argv)
{
    Application app(argc, argv);
    // Qt's plug-ins may be installed beneath the program.
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath());

    // Qt's translation first: the program's, installed after it, is looked up first.
    QTranslator qtTranslator;
    installQtTranslation(qtTranslator, QLocale::system());
    QTranslator translator;
    installProgramTranslation(translator, QLocale::system(),
                              QCoreApplication::applicationFilePath());

    MainWindow window;
    window.show();
    scheduleScreenshot(window);
    return app.exec();
}
