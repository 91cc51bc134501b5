#include "shell/referencepage.h"

#include "colour/colorreference.h"
#include "platform/settings.h"
#include "appcore/application.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

const char kGroupStyle[] = "QGroupBox {border: 2px solid #505050; margin-top: 2ex;} "
                           "QGroupBox::title {subcontrol-origin: margin; padding: 0 3px;} ";
const char kEditStyle[] = "QLineEdit {border: 2px solid gray;}";
const char kHorizontalHeaderStyle[] =
    "QHeaderView::section{height: 30px;  background-color: rgb(30, 30, 30);color: rgb(200, 200, "
    "200); font: bold}";
const char kVerticalHeaderStyle[] =
    "QHeaderView::section{ background-color: rgb(30, 30, 30);color: rgb(200, 200, 200); font: "
    "bold}";
const char kTableStyle[] = "QTableCornerButton::section{background-color: rgb(30, 30, 30);}";

// Combo items: the index is the stored value.
const char* const kStandards[] = {"EBU", "SMPTE-C", "HDTV rec709", "UHDTV BT2020", "NTSC",
                                  "DCI-P3"};
const char* const kWhites[] = {"D32", "D50", "D55", "D56", "D65", "D75",
                               "D93", "A",   "B",   "C",   "E",   "Dcip3"};
const char* const kGammaTypes[] = {"Power", "ITU_BT1886"};
// The exponent of the ITU-R BT.1886 type, shown in the disabled edit.
const char kBt1886Gamma[] = "2.4";

constexpr int kRows = 4;    // red, green, blue, white
constexpr int kColumns = 2; // x, y or u', v'

QString number(double v)
{
    return QString::number(v, 'g', 6);
}

} // namespace

ReferencePage::ReferencePage(QWidget* parent)
    : QWidget(parent)
{
    whiteTargetCheck = new QCheckBox(tr("White Target"), this);
    standardCombo = new QComboBox(this);
    gammaTypeCombo = new QComboBox(this);
    whiteTargetCombo = new QComboBox(this);
    gammaEdit = new QLineEdit(this);
    gammaEdit->setStyleSheet(kEditStyle);
    valueTable = new QTableWidget(kRows, kColumns, this);

    auto* chartBox = new QGroupBox(tr("CIE chart"), this);
    cie1931Button = new QRadioButton(QStringLiteral("CIE 1931"), chartBox);
    cie1976Button = new QRadioButton(QStringLiteral("CIE 1976"), chartBox);

    for (const char* s : kStandards)
        standardCombo->addItem(QString::fromLatin1(s));
    for (const char* w : kWhites)
        whiteTargetCombo->addItem(QString::fromLatin1(w));
    for (const char* g : kGammaTypes)
        gammaTypeCombo->addItem(QString::fromLatin1(g));

    valueTable->setVerticalHeaderLabels({"Red", "Green", "Blue", "White"});
    valueTable->setHorizontalHeaderLabels({"x", "y"});
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c)
            valueTable->setItem(r, c, new QTableWidgetItem(QString()));
    valueTable->setEnabled(false);
    valueTable->setSelectionMode(QAbstractItemView::NoSelection);
    valueTable->horizontalHeader()->setStyleSheet(kHorizontalHeaderStyle);
    valueTable->verticalHeader()->setStyleSheet(kVerticalHeaderStyle);
    valueTable->setStyleSheet(kTableStyle);

    auto* spaceBox = new QGroupBox(tr("Color Space"), this);
    auto* spaceRows = new QVBoxLayout(spaceBox);
    auto* standardRow = new QHBoxLayout;
    standardRow->addWidget(new QLabel(tr("Standard"), spaceBox));
    standardRow->addWidget(standardCombo);
    auto* whiteRow = new QHBoxLayout;
    whiteRow->addWidget(whiteTargetCheck);
    whiteRow->addWidget(whiteTargetCombo);
    auto* gammaRow = new QHBoxLayout;
    gammaRow->addWidget(new QLabel(tr("Gamma"), spaceBox));
    gammaRow->addWidget(gammaTypeCombo);
    gammaRow->addWidget(gammaEdit);
    spaceRows->addLayout(standardRow);
    spaceRows->addLayout(whiteRow);
    spaceRows->addLayout(gammaRow);

    auto* chartRow = new QHBoxLayout(chartBox);
    chartRow->addWidget(cie1931Button);
    chartRow->addWidget(cie1976Button);

    auto* valueBox = new QGroupBox(tr("Value"), this);
    auto* valueRow = new QVBoxLayout(valueBox);
    valueRow->addWidget(valueTable);

    for (QGroupBox* box : {spaceBox, chartBox, valueBox})
        box->setStyleSheet(kGroupStyle);

    auto* page = new QVBoxLayout(this);
    page->addSpacing(10);
    page->addWidget(spaceBox);
    page->addSpacing(10);
    page->addWidget(chartBox);
    page->addSpacing(10);
    page->addWidget(valueBox);

    // Connected last, so building the page runs no slot.
    connect(whiteTargetCheck, &QCheckBox::clicked, whiteTargetCombo, &QComboBox::setEnabled);
    connect(standardCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ReferencePage::setTableValue);
    connect(whiteTargetCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ReferencePage::setTableValue);
    connect(whiteTargetCheck, &QCheckBox::clicked, this, &ReferencePage::setTableValue);
    connect(gammaTypeCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ReferencePage::setGammaType);
    connect(cie1931Button, &QRadioButton::clicked, this, &ReferencePage::setTableValue);
    connect(cie1976Button, &QRadioButton::clicked, this, &ReferencePage::setTableValue);
}

void ReferencePage::setTableValue()
{
    const int standard = standardCombo->currentIndex();
    const int white = whiteTargetCheck->isChecked() ? whiteTargetCombo->currentIndex() : -1;
    // The table shows chromaticities, which the gamma does not change.
    const ColorReference ref(ColorStandard(standard), white, kDefaultGamma);
    const CColor colours[kRows] = {ref.red, ref.green, ref.blue, ref.white};

    // With the check box clear, the disabled combo shows the standard's own white. A change here
    // runs this slot once more, which finds the same reference and changes nothing further.
    whiteTargetCombo->setCurrentIndex(ref.whiteIndex);

    const bool xy = cie1931Button->isChecked();
    valueTable->setHorizontalHeaderLabels(xy ? QStringList{"x", "y"}
                                             : QStringList{"u'", "v'"});
    for (int r = 0; r < kRows; ++r) {
        const CColor c = xy ? colours[r].toxyY() : colours[r].toupvpY();
        for (int col = 0; col < kColumns; ++col)
            valueTable->item(r, col)->setText(number(c[col]));
    }
}

void ReferencePage::setGammaType(int type)
{
    if (type != 0) {
        gammaEdit->setText(QString::fromLatin1(kBt1886Gamma));
        gammaEdit->setEnabled(false);
        return;
    }
    const double gamma =
        platform::readSetting("reference", "gamma", kDefaultGamma).toDouble();
    gammaEdit->setText(number(gamma));
    gammaEdit->setEnabled(true);
}

void ReferencePage::LoadReference()
{
    QSettings settings = platform::kwSettings();
    settings.beginGroup("reference");
    const int colorspace = settings.value("colorspace", 2).toInt();
    const int whitetarget = settings.value("whitetarget", -1).toInt();
    const int ciechart = settings.value("ciechart", 0).toInt();
    const int gammatype = settings.value("gammatype", 0).toInt();
    gammaTypeCombo->setCurrentIndex(gammatype);
    if (gammatype == 0) {
        const double gamma = settings.value("gamma", kDefaultGamma).toDouble();
        gammaEdit->setEnabled(true);
        gammaEdit->setText(number(gamma));
    } else {
        gammaEdit->setText(QString::fromLatin1(kBt1886Gamma));
        gammaEdit->setEnabled(false);
    }
    settings.endGroup();

    standardCombo->setCurrentIndex(colorspace);
    whiteTargetCheck->setChecked(whitetarget != -1);
    if (whiteTargetCheck->isChecked())
        whiteTargetCombo->setCurrentIndex(whitetarget);
    else
        whiteTargetCombo->setCurrentIndex(Application::colorReference()->whiteIndex);
    whiteTargetCombo->setEnabled(whiteTargetCheck->isChecked());

    // The click's signal fills the table, also when no index changed while loading.
    QRadioButton* chart = ciechart == 0 ? cie1931Button : cie1976Button;
    chart->setChecked(true);
    emit chart->clicked(true);
}

double ReferencePage::gammaFromText(const QString& text)
{
    bool ok = false;
    const double gamma = QLocale::c().toDouble(text.trimmed(), &ok);
    // A power law needs a positive exponent; a larger one than any display uses is a typing
    // error. Either is treated like text that is no number.
    if (!ok || !std::isfinite(gamma) || gamma <= 0.0 || gamma > kMaxGamma)
        return kDefaultGamma;
    return gamma;
}

void ReferencePage::SaveReference()
{
    QSettings settings = platform::kwSettings();
    settings.beginGroup("reference");
    settings.setValue("colorspace", standardCombo->currentIndex());
    settings.setValue("whitetarget",
                      whiteTargetCheck->isChecked() ? whiteTargetCombo->currentIndex() : -1);
    settings.setValue("gammatype", gammaTypeCombo->currentIndex());
    if (gammaTypeCombo->currentIndex() == 0)
        settings.setValue("gamma", gammaFromText(gammaEdit->text()));
    settings.setValue("ciechart", cie1931Button->isChecked() ? 0 : 1);
    settings.endGroup();
}

void ReferencePage::saveCieChart1931()
{
    platform::writeSetting("reference", "ciechart", 0);
}

void ReferencePage::saveCieChart1976()
{
    platform::writeSetting("reference", "ciechart", 1);
}

void ReferencePage::saveColorSpace2()
{
    platform::writeSetting("reference", "colorspace", 2);
}

void ReferencePage::saveColorSpace5()
{
    platform::writeSetting("reference", "colorspace", 5);
}
