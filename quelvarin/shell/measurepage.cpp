#include "shell/measurepage.h"

#include "measure/measure.h"
#include "platform/settings.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const char kGroupStyle[] = "QGroupBox {border: 2px solid #505050; margin-top: 2ex;} "
                           "QGroupBox::title {subcontrol-origin: margin; padding: 0 3px;} ";
const char kDefaultAddress[] = "127.0.0.1";
constexpr int kDefaultSteps = 20;
constexpr int kDefaultWarmTimeMs = 1000;

} // namespace

MeasurePage::MeasurePage(QWidget* parent, Measure* measure)
    : QWidget(parent)
    , measure(measure)
{
    auto* box = new QGroupBox(tr("Measure"), this);
    box->setStyleSheet(kGroupStyle);

    stepsSpin = new QSpinBox(box);
    stepsSpin->setRange(kMinSteps, kMaxSteps);
    warmTimeSpin = new QSpinBox(box);
    warmTimeSpin->setRange(0, kMaxWarmTimeMs);
    colorCheckerButton = new QRadioButton(QStringLiteral("ColorChecker"), box);
    ebuButton = new QRadioButton(QStringLiteral("EBU3237"), box);
    nativeButton = new QRadioButton(tr("Native"), box);
    tcpButton = new QRadioButton(tr("Tcp"), box);
    ipEdit = new QLineEdit(QString::fromLatin1(kDefaultAddress), box);

    auto* setGroup = new QButtonGroup(this);
    setGroup->addButton(colorCheckerButton);
    setGroup->addButton(ebuButton);
    auto* signalGroup = new QButtonGroup(this);
    signalGroup->addButton(nativeButton);
    signalGroup->addButton(tcpButton);

    auto* setRow = new QHBoxLayout;
    setRow->addWidget(colorCheckerButton);
    setRow->addWidget(ebuButton);
    auto* signalRow = new QHBoxLayout;
    signalRow->addWidget(nativeButton);
    signalRow->addWidget(tcpButton);

    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(tr("Gray measure steps:"), box), 0, 0);
    grid->addWidget(stepsSpin, 0, 1);
    grid->addWidget(new QLabel(tr("Warm-up time"), box), 1, 0);
    grid->addWidget(warmTimeSpin, 1, 1);
    grid->addWidget(new QLabel(tr("Color Set"), box), 2, 0);
    grid->addLayout(setRow, 2, 1);
    grid->addWidget(new QLabel(tr("Signal"), box), 3, 0);
    grid->addLayout(signalRow, 3, 1);
    grid->addWidget(new QLabel(tr("Monitor IP"), box), 4, 0);
    grid->addWidget(ipEdit, 4, 1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(box);

    connect(nativeButton, &QRadioButton::clicked, this, &MeasurePage::changeSigType);
    connect(tcpButton, &QRadioButton::clicked, this, &MeasurePage::changeSigType);
}

void MeasurePage::changeSigType()
{
    ipEdit->setEnabled(!nativeButton->isChecked());
}

void MeasurePage::LoadReference()
{
    QSettings settings = platform::kwSettings();
    settings.beginGroup("measure");
    const int steps = settings.value("steps", kDefaultSteps).toInt();
    const int warmtime = settings.value("warmtime", kDefaultWarmTimeMs).toInt();
    const int colortype = settings.value("colortype", 0).toInt();
    const int sigtype = settings.value("sigtype", 0).toInt();
    const QString address = settings.value("ipadd", QString::fromLatin1(kDefaultAddress)).toString();
    settings.endGroup();

    // The spin boxes clamp a stored value into their ranges.
    stepsSpin->setValue(steps);
    warmTimeSpin->setValue(warmtime);
    ipEdit->setText(address);
    if (colortype != 0)
        ebuButton->setChecked(true);
    else
        colorCheckerButton->setChecked(true);
    if (sigtype != 0) {
        tcpButton->setChecked(true);
        ipEdit->setEnabled(true);
    } else {
        nativeButton->setChecked(true);
        ipEdit->setEnabled(false);
    }
}

void MeasurePage::SaveReference()
{
    QSettings settings = platform::kwSettings();
    settings.beginGroup("measure");
    // Gray results of another step count would be drawn against the wrong levels.
    if (settings.value("steps", kDefaultSteps).toInt() != stepsSpin->value() && measure)
        measure->setResults(Measure::GrayResults, {});
    settings.setValue("steps", stepsSpin->value());
    settings.setValue("warmtime", warmTimeSpin->value());
    settings.setValue("colortype", colorCheckerButton->isChecked() ? 0 : 1);
    if (nativeButton->isChecked()) {
        settings.setValue("sigtype", 0);
    } else {
        settings.setValue("sigtype", 1);
        settings.setValue("ipadd", ipEdit->text());
    }
    settings.endGroup();
}
