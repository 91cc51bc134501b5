#include "shell/caldialog.h"

#include "measure/calibratemonitor.h"
#include "platform/settings.h"
#include "shell/markerstyle.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const char kDialogStyle[] = "background-color:#202020;color:#ffffff";
const char kGroupStyle[] = "QGroupBox {border: 2px solid #505050; margin-top: 2ex;} "
                           "QGroupBox::title {subcontrol-origin: margin; padding: 0 3px;} ";
const QSize kDialogSize(300, 320);
constexpr int kSectionSpacing = 20;
constexpr int kDefaultCubeSize = 16;
// The dialog's size is fixed: tight margins keep every row of buttons inside it.
const QMargins kGroupMargins(8, 0, 8, 0);
const QMargins kDialogMargins(10, 4, 10, 4);

QGroupBox* group(QWidget* parent, const QString& title, std::initializer_list<QRadioButton*> buttons)
{
    auto* box = new QGroupBox(title, parent);
    box->setStyleSheet(kGroupStyle);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(kGroupMargins);
    for (QRadioButton* b : buttons)
        row->addWidget(b);
    return box;
}

} // namespace

CalDialog::CalDialog(QWidget* parent)
    : QDialog(parent)
{
    setAutoFillBackground(true);
    setWindowTitle(tr("calibration"));
    setStyleSheet(withMarkerStyle(kDialogStyle));
    setFixedSize(kDialogSize);

    normalRadio = new QRadioButton(tr("Normal"));
    fastRadio = new QRadioButton(tr("Fast"));
    hdtvRadio = new QRadioButton(tr("HDTV"));
    dciRadio = new QRadioButton(tr("DCIP3"));
    uhdtvRadio = new QRadioButton(tr("UHDTV"));
    cubeRadio = new QRadioButton(tr("cube"));
    lut3dRadio = new QRadioButton(tr("3dlut"));
    // Any combination of colour spaces, none included; the .cube file is always written.
    for (QRadioButton* b : {hdtvRadio, dciRadio, uhdtvRadio, cubeRadio, lut3dRadio})
        b->setAutoExclusive(false);
    cubeRadio->setEnabled(false);

    QGroupBox* speed = group(this, tr("Speed"), {normalRadio, fastRadio});
    QGroupBox* spaces = group(this, tr("Color Space"), {hdtvRadio, dciRadio, uhdtvRadio});
    QGroupBox* format = group(this, tr("Lut Format"), {cubeRadio, lut3dRadio});

    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(new QLabel(tr("Cube Size:")));
    cubeSizeSpin = new QSpinBox;
    cubeSizeSpin->setRange(kMinCubeSize, kMaxCubeSize);
    sizeRow->addWidget(cubeSizeSpin);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(tr("OK"), this);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    connect(ok, &QPushButton::clicked, this, &CalDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CalDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kDialogMargins);
    layout->setSpacing(0);
    layout->addWidget(speed);
    layout->addSpacing(kSectionSpacing);
    layout->addWidget(spaces);
    layout->addSpacing(kSectionSpacing);
    layout->addWidget(format);
    layout->addSpacing(kSectionSpacing);
    layout->addLayout(sizeRow);
    layout->addSpacing(kSectionSpacing);
    layout->addLayout(buttons);

    QSettings settings = platform::kwSettings();
    settings.beginGroup("calibrate");
    const bool fast = settings.value("fast", true).toBool();
    const bool rec709 = settings.value("rec709", true).toBool();
    const bool dci = settings.value("dci", true).toBool();
    const bool rec2020 = settings.value("rec2020", true).toBool();
    const bool lut3d = settings.value("lut3d", false).toBool();
    const int cubeSize = settings.value("cubesize", kDefaultCubeSize).toInt();
    settings.endGroup();
    CalibrateMonitor::rec709 = rec709;
    CalibrateMonitor::dci = dci;
    CalibrateMonitor::rec2020 = rec2020;

    (fast ? fastRadio : normalRadio)->setChecked(true);
    hdtvRadio->setChecked(rec709);
    dciRadio->setChecked(dci);
    uhdtvRadio->setChecked(rec2020);
    cubeRadio->setChecked(true);
    lut3dRadio->setChecked(lut3d);
    cubeSizeSpin->setValue(cubeSize);
}

void CalDialog::accept()
{
    QSettings settings = platform::kwSettings();
    settings.beginGroup("calibrate");
    settings.setValue("fast", !normalRadio->isChecked());
    settings.setValue("rec709", hdtvRadio->isChecked());
    settings.setValue("dci", dciRadio->isChecked());
    settings.setValue("rec2020", uhdtvRadio->isChecked());
    settings.setValue("lut3d", lut3dRadio->isChecked());
    settings.setValue("cubesize", cubeSizeSpin->value());
    settings.endGroup();
    settings.sync();
    CalibrateMonitor::rec709 = hdtvRadio->isChecked();
    CalibrateMonitor::dci = dciRadio->isChecked();
    CalibrateMonitor::rec2020 = uhdtvRadio->isChecked();
    QDialog::accept();
}

void CalDialog::reject()
{
    CalibrateMonitor::rec709 = false;
    CalibrateMonitor::dci = false;
    CalibrateMonitor::rec2020 = false;
    QDialog::reject();
}
