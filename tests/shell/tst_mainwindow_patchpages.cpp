// The saturation, colour-scale and colour-checker pages as the user runs them: the window slides
// to the page, Start runs the simulator (its question answered by the message recorder) and the
// page shows the run; the screenshots are kept as test artefacts.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "platform/settings.h"
#include "shell/fullscene.h"
#include "ui/view/colorchkview.h"
#include "ui/view/colorlumaview.h"
#include "ui/view/saturatview.h"
#include "ui/window/colorchkdatawindow.h"
#include "ui/window/satdatawindow.h"

#include "apptestmain.h"
#include "messagerecorder.h"
#include "testenv.h"
#include "mainwindowharness.h"
#include "virtualclock.h"

#include <QAction>
#include <QDir>
#include <QGraphicsView>
#include <QTableWidget>

#include <memory>

using namespace mainwindowharness;

namespace {

int filledRows(QTableWidget* table)
{
    int n = 0;
    for (int r = 0; table && r < table->rowCount(); ++r)
        n += table->item(r, 0) != nullptr;
    return n;
}

} // namespace

class TestMainWindowPatchPages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> window;

    // Slides to `page`, presses Start, waits for the end of the run.
    void runOnPage(MainWindowProbe& p, int page)
    {
        p.viewAction(page)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(p.viewIndex(), page, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(p.view()->sceneRect().x(), qreal(page * window->width()), 10000);
        MessageRecorder boxes;
        VirtualClock clock(1); // the simulator's second per reading, counted instead of lived
        QVERIFY2(runAndWait(p, boxes), qPrintable(texts(boxes).join('|')));
        QCOMPARE(boxes.messages().first().text, QString(kSimulatorText));
    }

    void shoot(const QString& name)
    {
        QVERIFY(window->grab().save(QDir(testenv::artifactDir()).filePath(name)));
    }

private slots:
    void initTestCase()
    {
        // The simulator reads its spectra from the working directory.
        QVERIFY(enterRunDirectory());
    }

    void init()
    {
        window.reset();
        testenv::clearSettings();
        platform::writeSetting("measure", "warmtime", 0);
        platform::writeSetting("measure", "sigtype", 0);
        Application::instance()->loadReference();
        Measure::setClosePatternAfterRun(true);
        QVERIFY(showMainWindow(window));
    }

    void cleanup() { window.reset(); }

    void saturationAndColourScaleRuns_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("shot");
        QTest::newRow("saturation") << int(SaturatView::Mode) << "mainwindow_saturation_run.png";
        QTest::newRow("colour scale") << int(ColorLumaView::Mode) << "mainwindow_colourscale_run.png";
    }

    void saturationAndColourScaleRuns()
    {
        QFETCH(int, page);
        QFETCH(QString, shot);
        MainWindowProbe p(*window);
        runOnPage(p, page);
        auto* view = qobject_cast<SatStepsView*>(p.scene()->view(page));
        QVERIFY(view);
        const QList<CColor> list = page == SaturatView::Mode ? p.measure()->satList()
                                                              : p.measure()->colorLumaList();
        QCOMPARE(list.size(), 31);
        QCOMPARE(filledRows(view->dataWindow->currentTable()), 30);
        QCOMPARE(view->bars().size(), 30);
        QCOMPARE(view->drawnResults(), 31);
        shoot(shot);
    }

    void colourCheckerRuns_data()
    {
        QTest::addColumn<int>("colorType");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("shot");
        QTest::newRow("colour checker") << 0 << 19 << "mainwindow_colorchecker_run.png";
        QTest::newRow("EBU 3237") << 1 << 16 << "mainwindow_colorchecker_ebu_run.png";
    }

    void colourCheckerRuns()
    {
        QFETCH(int, colorType);
        QFETCH(int, entries);
        QFETCH(QString, shot);
        // The window was laid out for the colour checker; the set chosen afterwards is the one
        // the run measures and the page shows.
        platform::writeSetting("measure", "colortype", colorType);
        MainWindowProbe p(*window);
        runOnPage(p, ColorChkView::Mode);
        auto* view = qobject_cast<ColorChkView*>(p.scene()->view(ColorChkView::Mode));
        QVERIFY(view);
        const QList<CColor> list = colorType == 1 ? p.measure()->ebuList() : p.measure()->colorChkList();
        QCOMPARE(list.size(), entries);
        QCOMPARE(int(view->pageSet()), colorType);
        QCOMPARE(view->dataWindow->currentTable()->rowCount(), entries - 1);
        QCOMPARE(filledRows(view->dataWindow->currentTable()), entries - 1);
        QCOMPARE(view->bars().size(), entries - 1);
        shoot(shot);
    }
};

QV_TEST_MAIN_APPLICATION(TestMainWindowPatchPages)
#include "tst_mainwindow_patchpages.moc"
