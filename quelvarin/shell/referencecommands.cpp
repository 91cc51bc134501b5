// The main window's reference commands: the colour standard, gamma, white point and CIE chart
// chosen from the Settings submenus, and the Options dialog. Each writes the group "reference",
// then the application rebuilds its reference and every page is laid out anew.

#include "shell/mainwindow.h"

#include "measure/measure.h"
#include "platform/settings.h"
#include "appcore/application.h"
#include "shell/fullscene.h"
#include "shell/modaldialogs.h"
#include "shell/optiondialog.h"
#include "shell/sensorpage.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>

namespace {

// The Options command's pages: Reference, Sensor and Measure.
constexpr int kOptionPages =
    OptionDialog::ReferencePageBit | OptionDialog::SensorPageBit | OptionDialog::MeasurePageBit;

// The gamma entries' exponents, in menu order; the entry after them is ITU_BT1886.
const double kGammaValues[] = {1.0, 1.8, 2.0, 2.2, 2.35, 2.4, 2.6, 2.8};

} // namespace

void MainWindow::connectReferenceCommands()
{
    connect(gamutMenu, &QMenu::triggered, this, &MainWindow::setGamut);
    connect(gammaMenu, &QMenu::triggered, this, &MainWindow::setGamma);
    connect(whiteMenu, &QMenu::triggered, this, &MainWindow::setWhite);
    connect(chartMenu, &QMenu::triggered, this, &MainWindow::setChart);
    connect(detailAction, &QAction::triggered, this, &MainWindow::openOptionDlg);
    connectPictureButton(settingButton, "setting", [this] { openOptionDlg(); });
    for (QMenu* m : {gamutMenu, whiteMenu, gammaMenu, chartMenu})
        m->setEnabled(true);
    detailAction->setEnabled(true);
}

bool MainWindow::changeReference(const std::function<void()>& write)
{
    // A run measures and evaluates against the reference in force; it is not changed under it.
    if (refusedWhileBusy(tr("Setting")))
        return false;
    write();
    applyReference();
    return true;
}

void MainWindow::applyReference()
{
    if (Application* app = Application::instance())
        app->loadReference();
    fullScene->layoutViews();
}

void MainWindow::setGamut(QAction* act)
{
    // Created SMPTE-C, EBU, HDTVRec709, UHDTV BT2020, NTSC, DCI-P3; an action that is none of the
    // others counts as UHDTV BT2020.
    const struct
    {
        QAction* action;
        int standard;
    } order[] = {{standardActions[1], 0}, {standardActions[0], 1}, {standardActions[4], 4},
                 {standardActions[5], 5}, {standardActions[2], 2}};
    int value = 3;
    for (const auto& o : order) {
        if (act == o.action) {
            value = o.standard;
            break;
        }
    }
    changeReference([value] { platform::writeSetting("reference", "colorspace", value); });
}

void MainWindow::setGamma(QAction* act)
{
    for (size_t i = 0; i < std::size(kGammaValues); ++i) {
        if (act == gammaActions[i]) {
            const double gamma = kGammaValues[i];
            changeReference([gamma] {
                QSettings settings = platform::kwSettings();
                settings.beginGroup("reference");
                settings.setValue("gammatype", 0);
                settings.setValue("gamma", gamma);
                settings.endGroup();
            });
            return;
        }
    }
    // ITU_BT1886: the stored exponent stays for a later return to a power law.
    changeReference([] { platform::writeSetting("reference", "gammatype", 1); });
}

void MainWindow::setWhite(QAction* act)
{
    // D32 .. E are the white points 0 .. 10; anything else is DCI-P3 (11).
    int value = 11;
    for (int i = 0; i < 11; ++i) {
        if (act == whiteActions[size_t(i)]) {
            value = i;
            break;
        }
    }
    changeReference([value] { platform::writeSetting("reference", "whitetarget", value); });
}

void MainWindow::setChart(QAction* act)
{
    const int value = act == chartActions[0] ? 0 : 1;
    changeReference([value] { platform::writeSetting("reference", "ciechart", value); });
}

void MainWindow::openOptionDlg()
{
    if (refusedWhileBusy(tr("Setting")))
        return;
    // Its sensor page opens the sensor calibration and changes the instrument's port settings.
    const InstrumentCommand command(*this);
    OptionDialog dialog(kOptionPages, measure, 0, this);
    if (shell::runModal(dialog) != QDialog::Accepted)
        return;
    // The monitor choices of a Spyder 4, which its driver reads when it is built.
    if (dialog.sensorPage && dialog.sensorPage->gammutCombo && dialog.sensorPage->backlightCombo) {
        QSettings settings = platform::kwSettings();
        settings.beginGroup("gammut");
        settings.setValue("gammutNum", dialog.sensorPage->gammutCombo->currentIndex());
        settings.setValue("backlightNum", dialog.sensorPage->backlightCombo->currentIndex());
        settings.endGroup();
    }
    applyReference();
}
