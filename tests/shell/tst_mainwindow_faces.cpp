// How the main window's picture buttons look while a box asks: Start acts on press, so it stays
// pressed for as long as its question is open, and a pressed button must still show only its
// picture on the bar, never a panel behind it. The pictures are kept as test artefacts.

#include "shell/mainwindow.h"

#include "platform/messagepresenter.h"
#include "platform/settings.h"

#include "apptestmain.h"
#include "mainwindowharness.h"
#include "testenv.h"
#include "virtualclock.h"

#include <QDir>
#include <QImage>
#include <QPushButton>

#include <memory>

using namespace mainwindowharness;

namespace {

// What the window shows of `button`: the button on its bar, as the user sees it.
QImage shownFace(QWidget& window, const QPushButton* button)
{
    const QRect where(button->mapTo(&window, QPoint(0, 0)), button->size());
    return window.grab(where).toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels of the strip along the picture's edges (`band` wide) in which two faces differ. The
// picture itself may shift by a pixel when pressed; the strip is bar background in both.
int differingEdgePixels(const QImage& a, const QImage& b, int band)
{
    if (a.size() != b.size())
        return a.width() * a.height();
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const bool edge = x < band || y < band || x >= a.width() - band || y >= a.height() - band;
            if (edge && a.pixel(x, y) != b.pixel(x, y))
                ++differing;
        }
    }
    return differing;
}

} // namespace

class TestMainWindowFaces : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> window;

    void keep(const QImage& image, const QString& name)
    {
        QVERIFY(image.save(QDir(testenv::artifactDir()).filePath(name)));
    }

private slots:
    void initTestCase() { QVERIFY(enterRunDirectory()); }

    void init()
    {
        testenv::clearSettings();
        useQuickRuns(1);
        QVERIFY(showMainWindow(window));
    }

    void cleanup() { window.reset(); }

    void startStaysBareWhileItsQuestionIsOpen()
    {
        MainWindowProbe p(*window);
        QPushButton* start = p.startButton();
        const QImage atRest = shownFace(*window, start);

        // The press opens the simulator's question; the face is taken while it is open.
        QImage whileAsked;
        bool downWhileAsked = false;
        const platform::MessagePresenter previous =
            platform::setMessagePresenter([&](QMessageBox& box) -> int {
                if (whileAsked.isNull()) {
                    downWhileAsked = start->isDown();
                    whileAsked = shownFace(*window, start);
                }
                return box.defaultButton() ? int(box.standardButton(box.defaultButton()))
                                           : int(QMessageBox::Ok);
            });
        {
            VirtualClock clock(1);
            QTest::mousePress(start, Qt::LeftButton);
            QVERIFY(waitUntilIdle(p));
        }
        QTest::mouseRelease(start, Qt::LeftButton);
        platform::setMessagePresenter(previous);

        keep(atRest, "mainwindow_start_at_rest.png");
        keep(whileAsked, "mainwindow_start_while_asked.png");
        QVERIFY(downWhileAsked);
        QCOMPARE(differingEdgePixels(whileAsked, atRest, 4), 0);
    }
};

QV_TEST_MAIN_APPLICATION(TestMainWindowFaces)
#include "tst_mainwindow_faces.moc"
