// The main window's bars and pages: the pictures of the bars and buttons, the starting size and
// the minimum, the page slide and the bottom bar that follows it, the context menu, the faces of
// the bar buttons and their tooltips.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "sensors/sensor.h"
#include "shell/fullscene.h"
#include "ui/view/baseview.h"

#include "apptestmain.h"
#include "messagerecorder.h"
#include "testenv.h"
#include "mainwindowharness.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QGraphicsView>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <memory>

using namespace mainwindowharness;

namespace {

int strongestAlpha(const QImage& image)
{
    int strongest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            strongest = std::max(strongest, qAlpha(image.pixel(x, y)));
    return strongest;
}

// The menu's entries as text, submenus by their title, separators as "-".
QStringList menuEntries(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QString("-") : a->text());
    return out;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void picturesOfTheBarsAndButtons_data();
    void picturesOfTheBarsAndButtons();
    void barsAndPagesAtTheStartingSize();
    void cannotShrinkBelowTheMinimum();
    void pageSlotsSlideTheViewAndTheBottomBarFollows_data();
    void pageSlotsSlideTheViewAndTheBottomBarFollows();
    void showingThePageShownSlidesInPlace();
    void resizePlacesTheCurrentPageAtOnce();
    void pageRequestDuringASlideIsCarriedOutAfterIt();
    void contextMenuListsItsEntriesAndTicksThePage();
    void stopButtonWithoutARunShowsItsFacesAndSetsTheStopRequest();
    void toolButtonShowsItsPressedFaceAndActsOnRelease();
    void tooltipsOfTheBarButtonsKeepTheirLook_data();
    void tooltipsOfTheBarButtonsKeepTheirLook();

private:
    std::unique_ptr<MainWindow> window;
};

void TestMainWindow::initTestCase()
{
    // The simulator reads its spectra from the working directory.
    QVERIFY(enterRunDirectory());
}

void TestMainWindow::init()
{
    window.reset();
    // The pictures are resources: their rows need no window.
    if (QTest::currentTestFunction() == QLatin1String("picturesOfTheBarsAndButtons"))
        return;
    QVERIFY(freshMainWindow(window));
}

void TestMainWindow::picturesOfTheBarsAndButtons_data()
{
    QTest::addColumn<QString>("path");
    QStringList paths = {":/title/resource/top_bar_1.png", ":/title/resource/top_bar_2.png",
                         ":/title/resource/top_bar_3.png", ":/menu/resource/line.png",
                         ":/menu/resource/bottom-bar.png", ":/icons/resource/ICON_TPG.png",
                         ":/icons/resource/ICON_LUT.png",  ":/menu/resource/point-sel.png",
                         ":/menu/resource/point-not.png",  ":/icons/resource/logo.png"};
    for (const char* face : {"new", "open", "save", "close", "import", "export", "help", "setting",
                             "button_start", "button_stop"}) {
        paths << QString(":/menu/resource/%1_not.png").arg(face)
              << QString(":/menu/resource/%1_sel.png").arg(face);
    }
    for (const QString& path : paths)
        QTest::newRow(qPrintable(path)) << path;
}

void TestMainWindow::picturesOfTheBarsAndButtons()
{
    QFETCH(QString, path);
    const QImage image(path);
    QVERIFY(!image.isNull());
    // Something is drawn: not every pixel is transparent.
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
        for (int x = 0; x < image.width() && !drawn; ++x)
            drawn = qAlpha(image.pixel(x, y)) > 0;
    QVERIFY(drawn);
}

void TestMainWindow::barsAndPagesAtTheStartingSize()
{
    MainWindowProbe p(*window);
    QCOMPARE(window->minimumSize(), QSize(1200, 680));
    QCOMPARE(window->size(), QSize(1200, 680));

    // Title bar: 90 + 1020 + 90, 90 high; bottom bar 60 high.
    QCOMPARE(p.menuWidget()->size(), QSize(1020, 90));
    QCOMPARE(p.settingWidget()->size(), QSize(90, 90));
    QCOMPARE(p.bottomBar()->height(), 60);
    QCOMPARE(p.menuWidget()->palette().brush(QPalette::Window).texture().size(), QSize(1020, 90));
    QCOMPARE(p.bottomBar()->palette().brush(QPalette::Window).texture().size(), QSize(1200, 60));

    // Gray first: its dot is the large one and the bar names it.
    QCOMPARE(p.viewIndex(), 0);
    QCOMPARE(p.titleButton()->text(), QString("Gray Measurement"));
    for (int i = 0; i < 6; ++i)
        QCOMPARE(p.pageButton(i)->iconSize(), i == 0 ? QSize(30, 30) : QSize(20, 20));
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));
    QVERIFY(showsPicture(p.stopButton(), ":/menu/resource/button_stop_not.png"));

    // Six pages, each a window wide, the page of mode k at k times the width.
    const int w = window->width();
    const int h = window->height() - 170;
    QCOMPARE(p.scene()->pageWidth(), w);
    QCOMPARE(p.scene()->pageHeight(), h);
    for (int k = 0; k < 6; ++k)
        QCOMPARE(p.scene()->view(k)->left(), k * w);
    QCOMPARE(p.view()->sceneRect().x(), 0.0);

    // Buttons never take the focus, so the window's keys keep working.
    for (QPushButton* b : p.toolButtons())
        QCOMPARE(b->focusPolicy(), Qt::NoFocus);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(p.pageButton(i)->focusPolicy(), Qt::NoFocus);
    QCOMPARE(p.startButton()->focusPolicy(), Qt::NoFocus);
    QCOMPARE(p.stopButton()->focusPolicy(), Qt::NoFocus);

    // A tool button whose command is not connected yet is disabled, and its picture then fades.
    for (QPushButton* b : p.toolButtons()) {
        const QImage normal = b->icon().pixmap(b->iconSize(), QIcon::Normal).toImage();
        const QImage faint = b->icon().pixmap(b->iconSize(), QIcon::Disabled).toImage();
        QVERIFY2(strongestAlpha(faint) < strongestAlpha(normal) / 2, qPrintable(b->toolTip()));
    }

    // The simulator is the instrument from the start.
    QVERIFY(p.measure()->sensor());
    QCOMPARE(p.measure()->sensor()->name, QString("Simulator"));
    QVERIFY(p.measure()->sensor()->connected);

    window->grab().save(QDir(testenv::artifactDir()).filePath("mainwindow_start.png"));
}

void TestMainWindow::cannotShrinkBelowTheMinimum()
{
    window->resize(800, 500);
    QTest::qWait(20);
    QVERIFY(window->width() >= 1200);
    QVERIFY(window->height() >= 680);
}

void TestMainWindow::pageSlotsSlideTheViewAndTheBottomBarFollows_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("title");
    QTest::newRow("gamut") << 1 << "Gamut Measurement";
    QTest::newRow("saturation") << 2 << "Saturation Measurement";
    QTest::newRow("colour scale") << 3 << "ColorScale Measurement";
    QTest::newRow("colour checker titled ColorCheck") << 4 << "ColorCheck Measurement";
    QTest::newRow("free") << 5 << "Free Measurement";
    QTest::newRow("back to gray") << 0 << "Gray Measurement";
}

void TestMainWindow::pageSlotsSlideTheViewAndTheBottomBarFollows()
{
    QFETCH(int, page);
    QFETCH(QString, title);
    MainWindowProbe p(*window);
    if (page == 0)
        p.viewAction(5)->trigger(); // start away from gray
    // The page buttons are in page order.
    QList<qreal> frames;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, [&] { frames << p.view()->sceneRect().x(); });
    sampler.start(5);
    click(p.pageButton(page));
    sampler.stop();

    const int w = window->width();
    QCOMPARE(p.viewIndex(), page);
    QCOMPARE(p.view()->sceneRect(), QRectF(page * w, 0, w, window->height() - 170));
    QCOMPARE(p.titleButton()->text(), title);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(p.pageButton(i)->iconSize(), i == page ? QSize(30, 30) : QSize(20, 20));
    QVERIFY(showsPicture(p.pageButton(page), ":/menu/resource/point-sel.png"));
    QVERIFY(showsPicture(p.pageButton((page + 1) % 6), ":/menu/resource/point-not.png"));
    // It slid: the view passed through places between the two pages.
    const qreal from = page == 0 ? 5 * w : 0;
    QVERIFY(std::any_of(frames.begin(), frames.end(),
                        [&](qreal x) { return x != from && x != page * w; }));
}

void TestMainWindow::showingThePageShownSlidesInPlace()
{
    MainWindowProbe p(*window);
    QElapsedTimer clock;
    clock.start();
    p.viewAction(0)->trigger();
    // Thirty frames 15 ms apart, all at the same place, then the exact rectangle again.
    QVERIFY(clock.elapsed() >= 30 * 15);
    QCOMPARE(p.view()->sceneRect(), QRectF(0, 0, window->width(), window->height() - 170));
    QCOMPARE(p.titleButton()->text(), QString("Gray Measurement"));
}

void TestMainWindow::resizePlacesTheCurrentPageAtOnce()
{
    MainWindowProbe p(*window);
    p.viewAction(2)->trigger();
    window->resize(1301, 800);
    QTRY_COMPARE(window->width(), 1301);
    // Relayout puts the page at its new place at once, 5 pixels less high than a slide does.
    QCOMPARE(p.view()->sceneRect(), QRectF(2 * 1301, 0, 1301, 800 - 170 - 5));
    QCOMPARE(p.menuWidget()->size(), QSize(1301 - 180, 90));
    // The bar pictures are stretched over the new width.
    QCOMPARE(p.menuWidget()->palette().brush(QPalette::Window).texture().size(), QSize(1121, 90));
    QCOMPARE(p.bottomBar()->palette().brush(QPalette::Window).texture().size(), QSize(1301, 60));
    QCOMPARE(p.bottomBar()->height(), 60);
    QCOMPARE(p.scene()->view(5)->left(), 5 * 1301);

    // A slide to a page not a multiple of 30 frames away still lands exactly.
    p.viewAction(5)->trigger();
    QCOMPARE(p.view()->sceneRect(), QRectF(5 * 1301, 0, 1301, 800 - 170));
}

void TestMainWindow::pageRequestDuringASlideIsCarriedOutAfterIt()
{
    MainWindowProbe p(*window);
    // Ask for the free page while the slide to gamut is under way.
    QTimer::singleShot(100, window.get(), [&] { p.viewAction(5)->trigger(); });
    p.viewAction(1)->trigger();

    const int w = window->width();
    QCOMPARE(p.viewIndex(), 5);
    QCOMPARE(p.view()->sceneRect().x(), qreal(5 * w));
    QCOMPARE(p.titleButton()->text(), QString("Free Measurement"));
    QCOMPARE(p.pageButton(5)->iconSize(), QSize(30, 30));
    QCOMPARE(p.pageButton(1)->iconSize(), QSize(20, 20));
}


void TestMainWindow::contextMenuListsItsEntriesAndTicksThePage()
{
    MainWindowProbe p(*window);
    p.viewAction(3)->trigger();
    const QStringList expected = {"CopyData",      "Measure ALL",   "-",
                                  "Views",         "-",             "Connect Sensor",
                                  "Open Profile",  "Save Profile",  "Detach Sensor",
                                  "-",             "Import Data",   "Export Data",
                                  "-",             "Settings",      "-",
                                  "Calibrate Sensor", "-",          "About"};
    for (int opening = 0; opening < 2; ++opening) {
        QStringList seen;
        QStringList settings;
        QStringList gamut;
        QList<bool> viewTicks;
        QTimer::singleShot(50, window.get(), [&] {
            seen = menuEntries(p.contextMenu());
            for (int i = 0; i < 6; ++i)
                viewTicks << p.viewAction(i)->isChecked();
            for (QAction* a : p.contextMenu()->actions()) {
                if (a->menu() && a->text() == "Settings") {
                    settings = menuEntries(a->menu());
                    gamut = menuEntries(a->menu()->actions().first()->menu());
                }
            }
            p.contextMenu()->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), window->mapToGlobal(QPoint(20, 20)));
        QCoreApplication::sendEvent(window.get(), &event);
        QCOMPARE(seen, expected);
        QCOMPARE(settings, (QStringList{"Gamut", "Gamma", "White", "CIE Chart", "Detail"}));
        // Created SMPTE-C first, listed EBU first: the place in the menu is the standard's index.
        QCOMPARE(gamut, (QStringList{"EBU", "SMPTE-C", "HDTVRec709", "UHDTV BT2020", "NTSC",
                                     "DCI-P3"}));
        QCOMPARE(viewTicks, (QList<bool>{false, false, false, true, false, false}));
    }
    // Measure ALL and the page entries are live.
    QVERIFY(p.measureAll()->isEnabled());
    QVERIFY(p.viewAction(0)->isEnabled());
}

void TestMainWindow::stopButtonWithoutARunShowsItsFacesAndSetsTheStopRequest()
{
    MainWindowProbe p(*window);
    QVERIFY(!p.measure()->stopRequested());
    QTest::mousePress(p.stopButton(), Qt::LeftButton);
    QVERIFY(showsPicture(p.stopButton(), ":/menu/resource/button_stop_sel.png"));
    QTest::mouseRelease(p.stopButton(), Qt::LeftButton);
    QVERIFY(showsPicture(p.stopButton(), ":/menu/resource/button_stop_not.png"));
    QVERIFY(showsPicture(p.startButton(), ":/menu/resource/button_start_not.png"));
    // Only the stop request is set; the next sequence clears it when it begins.
    QVERIFY(p.measure()->stopRequested());
    QVERIFY(!p.thread()->isRunning());
}

void TestMainWindow::toolButtonShowsItsPressedFaceAndActsOnRelease()
{
    MainWindowProbe p(*window);
    MessageRecorder boxes;
    QPushButton* help = p.toolButtons().at(8);
    QCOMPARE(help->toolTip(), QString("About"));
    QTest::mousePress(help, Qt::LeftButton);
    QVERIFY(showsPicture(help, ":/menu/resource/help_sel.png"));
    QCOMPARE(boxes.count(), 0); // nothing runs on press
    QTest::mouseRelease(help, Qt::LeftButton);
    QVERIFY(showsPicture(help, ":/menu/resource/help_not.png"));
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QString("Quelvarin Vivaruded"));
}

void TestMainWindow::tooltipsOfTheBarButtonsKeepTheirLook_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("tool button New") << "new";
    QTest::newRow("start button") << "start";
    QTest::newRow("page dot") << "dot";
}

void TestMainWindow::tooltipsOfTheBarButtonsKeepTheirLook()
{
    // A bar button's see-through background is its own: its tooltip is drawn like any other
    // tooltip (not a black box without text), and the button itself looks as it always did.
    QFETCH(QString, button);
    MainWindowProbe p(*window);
    QPushButton* b = button == "new" ? p.toolButtons().first()
                     : button == "start" ? p.startButton()
                                         : p.pageButton(2);
    const auto shownTip = [](QWidget* owner, const QString& text) {
        QToolTip::hideText();
        QToolTip::showText(owner->mapToGlobal(QPoint(4, 4)), text, owner);
        QWidget* tip = nullptr;
        const bool shown = QTest::qWaitFor([&tip] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->inherits("QTipLabel") && w->isVisible())
                    tip = w;
            }
            return tip != nullptr;
        });
        const QImage image = shown ? tip->grab().toImage() : QImage();
        QToolTip::hideText();
        return image;
    };
    QWidget plain;
    plain.resize(50, 20);
    plain.show();
    const QImage reference = shownTip(&plain, b->toolTip());
    const QImage tip = shownTip(b, b->toolTip());
    QVERIFY(!reference.isNull());
    QVERIFY(!tip.isNull());
    tip.save(QDir(testenv::artifactDir()).filePath("mainwindow_tooltip_" + button + ".png"));
    QCOMPARE(tip.size(), reference.size());
    QCOMPARE(tip, reference);

    // The button drawn now equals the button drawn with a see-through background on everything.
    const QImage now = b->grab().toImage();
    const QString own = b->styleSheet();
    b->setStyleSheet("background-color:transparent");
    const QImage before = b->grab().toImage();
    b->setStyleSheet(own);
    QCOMPARE(now, before);
}

QV_TEST_MAIN_APPLICATION(TestMainWindow)
#include "tst_mainwindow.moc"
