#include "shell/optiondialog.h"

#include "measure/measure.h"
#include "sensors/sensor.h"
#include "shell/displaypage.h"
#include "shell/languagepage.h"
#include "shell/markerstyle.h"
#include "shell/measurepage.h"
#include "shell/referencepage.h"
#include "shell/sensorpage.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char kDialogStyle[] = "background-color:#202020;color:#ffffff";
const char kTabStyle[] = "QTabWidget::pane {border: 1px solid #505050;} QTabBar::tab:selected "
                         "{background: #505050; }  QTabBar::tab:!selected {background: #303030;}";

int setBits(int mask)
{
    int count = 0;
    for (unsigned v = unsigned(mask); v; v &= v - 1)
        ++count;
    return count;
}

} // namespace

OptionDialog::OptionDialog(int pages, Measure* measure, int screenCount, QWidget* parent)
    : QDialog(parent)
    , measure(measure)
{
    setAutoFillBackground(true);
    createPages(pages, screenCount);
    setWindowTitle(tr("Options"));
    setStyleSheet(withMarkerStyle(kDialogStyle));
}

void OptionDialog::createPages(int pages, int screenCount)
{
    // Tabs by the mask, not by the pages actually built: a sensor page asked for without a
    // driver leaves its place empty.
    if (setBits(pages) >= 2) {
        tabWidget = new QTabWidget(this);
        tabWidget->setStyleSheet(kTabStyle);
    }
    QWidget* only = nullptr;
    auto place = [&](QWidget* page, const QString& title) {
        if (tabWidget)
            tabWidget->addTab(page, title);
        else
            only = page;
    };

    if (pages & ReferencePageBit) {
        referencePage = new ReferencePage(this);
        referencePage->LoadReference();
        place(referencePage, tr("Reference"));
    }
    CSensor* sensor = measure ? measure->sensor() : nullptr;
    if ((pages & SensorPageBit) && sensor) {
        sensorPage = new SensorPage(measure, sensor, measure->sensorType(), this);
        sensorPage->LoadReference();
        place(sensorPage, sensor->name);
    }
    if (pages & MeasurePageBit) {
        measurePage = new MeasurePage(this, measure);
        measurePage->LoadReference();
        place(measurePage, tr("Measure"));
    }
    if (pages & LanguagePageBit) {
        languagePage = new LanguagePage(this);
        languagePage->LoadReference();
        place(languagePage, tr("Language"));
    }
    if (pages & DisplayPageBit) {
        displayPage = new DisplayPage(screenCount, this);
        place(displayPage, tr("Display"));
    }

    auto* ok = new QPushButton(tr("OK"), this);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    connect(ok, &QPushButton::clicked, this, &OptionDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    if (tabWidget)
        layout->addWidget(tabWidget);
    else if (only)
        layout->addWidget(only);
    layout->addSpacing(10);
    layout->addLayout(buttons);
}

void OptionDialog::accept()
{
    if (measurePage)
        measurePage->SaveReference();
    if (referencePage)
        referencePage->SaveReference();
    if (sensorPage)
        sensorPage->SaveReference();
    if (languagePage)
        languagePage->SaveReference();
    QDialog::accept();
}
