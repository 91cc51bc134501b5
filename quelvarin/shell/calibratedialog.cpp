#include "shell/calibratedialog.h"

#include "colour/correction.h"
#include "measure/measure.h"
#include "sensors/sensor.h"
#include "appcore/imessagebox.h"
#include "shell/markerstyle.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QColor kBackground(37, 37, 37);
const QColor kTableBase(50, 50, 50);
// Values on the dark tables: white where they are typed, light grey in the tables the operator
// cannot edit (still far above the contrast that text needs).
const QColor kTableText(255, 255, 255);
const QColor kTableTextDisabled(200, 200, 200);
const char kRadioStyle[] = "QRadioButton{color:white}";
const char kButtonStyle[] = "background:#303030; color:white";
const char kGroupStyle[] = "QGroupBox {border: 2px solid #505050; margin-top: 2ex;} QGroupBox::title "
                           "{subcontrol-origin: margin; padding: 0 3px; color:white} ";
const QSize kValueTableSize(245, 130);
const QSize kMatrixTableSize(245, 95);
const QSize kGroupSize(265, 160);
constexpr int kColorGroupHeight = 160;
constexpr int kColumnWidth = 80;
const QSize kPanelMaximum(895, 172);
const QSize kInitialSize(920, 700);
constexpr int kSwatchGap = 20;
// The swatches: half of full drive, so the instrument is not saturated.
const QColor kSwatchRed(127, 0, 0);
const QColor kSwatchGreen(0, 127, 0);
const QColor kSwatchBlue(0, 0, 127);
const QColor kSwatchWhite(127, 127, 127);
constexpr int kDecimals = 5;
constexpr int kWhiteRow = 3;

QString cellText(double v)
{
    return QString("%1").arg(v, 1, 'f', kDecimals);
}

QTableWidget* table(int rows, const QSize& size)
{
    auto* t = new QTableWidget(rows, 3);
    t->horizontalHeader()->hide();
    t->verticalHeader()->hide();
    t->setFixedSize(size);
    QPalette p = t->palette();
    p.setColor(QPalette::All, QPalette::Base, kTableBase);
    p.setColor(QPalette::All, QPalette::Text, kTableText);
    p.setColor(QPalette::Disabled, QPalette::Text, kTableTextDisabled);
    t->setPalette(p);
    for (int c = 0; c < 3; ++c)
        t->setColumnWidth(c, kColumnWidth);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 3; ++c)
            t->setItem(r, c, new QTableWidgetItem(QString()));
    return t;
}

QGroupBox* groupOf(const QString& title, QLayout* layout)
{
    auto* g = new QGroupBox(title);
    g->setStyleSheet(kGroupStyle);
    g->setLayout(layout);
    return g;
}

// A cell as a number: a point as the decimal separator, whatever the system's language.
bool cellValue(const QTableWidget* t, int row, int col, double* out)
{
    const QTableWidgetItem* item = t->item(row, col);
    if (!item)
        return false;
    bool ok = false;
    *out = item->data(Qt::DisplayRole).toString().trimmed().toDouble(&ok);
    return ok;
}

} // namespace

CalibrateDialog::CalibrateDialog(Measure* measure, QWidget* parent)
    : QDialog(parent)
    , measure(measure)
    , sensor(measure ? measure->sensor() : nullptr)
    , matrix(Matrix::identity(3))
{
    QPalette pal = palette();
    pal.setColor(QPalette::All, QPalette::Window, kBackground);
    setPalette(pal);
    setAutoFillBackground(true);
    setWindowTitle(tr("Sensor Calibration"));

    if (sensor)
        matrix = sensor->correction;

    sensorTable = table(4, kValueTableSize);
    sensorTable->setEnabled(false);
    auto* sensorLayout = new QVBoxLayout;
    sensorLayout->addWidget(sensorTable);
    QGroupBox* sensorGroup = groupOf(tr("Sensor value:"), sensorLayout);

    referenceTable = table(4, kValueTableSize);
    auto* referenceLayout = new QVBoxLayout;
    referenceLayout->addWidget(referenceTable);
    QGroupBox* referenceGroup = groupOf(tr("Reference value:"), referenceLayout);

    redButton = new QRadioButton(tr("Red"));
    greenButton = new QRadioButton(tr("Green"));
    blueButton = new QRadioButton(tr("Blue"));
    whiteButton = new QRadioButton(tr("White"));
    auto* colorLayout = new QVBoxLayout;
    for (QRadioButton* b : {redButton, greenButton, blueButton, whiteButton}) {
        b->setStyleSheet(QString::fromLatin1(kRadioStyle) + QLatin1Char(' ') + markerStyle());
        connect(b, &QRadioButton::clicked, this, &CalibrateDialog::doChangeColor);
        colorLayout->addWidget(b);
    }
    QGroupBox* colorGroup = groupOf(tr("Color:"), colorLayout);

    matrixTable = table(3, kMatrixTableSize);
    matrixTable->setEnabled(false);
    measureButton = new QPushButton(tr("Measure"));
    calibrateButton = new QPushButton(tr("Calibrate"));
    resetButton = new QPushButton(tr("Reset"));
    for (QPushButton* b : {measureButton, calibrateButton, resetButton}) {
        b->setStyleSheet(kButtonStyle);
        // Without an instrument there is nothing to measure or correct.
        b->setEnabled(!sensor.isNull());
    }
    connect(measureButton, &QPushButton::clicked, this, &CalibrateDialog::doMeasure);
    connect(calibrateButton, &QPushButton::clicked, this, &CalibrateDialog::doCalibrate);
    connect(resetButton, &QPushButton::clicked, this, &CalibrateDialog::doReset);
    auto* matrixLayout = new QGridLayout;
    matrixLayout->addWidget(matrixTable, 0, 0, 3, 3);
    matrixLayout->addWidget(measureButton, 3, 0);
    matrixLayout->addWidget(calibrateButton, 3, 1);
    matrixLayout->addWidget(resetButton, 3, 2);
    QGroupBox* matrixGroup = groupOf(tr("Calibrate matrix:"), matrixLayout);

    for (QGroupBox* g : {sensorGroup, referenceGroup, matrixGroup})
        g->setFixedSize(kGroupSize);
    colorGroup->setFixedHeight(kColorGroupHeight);

    colorPanel = new QWidget(this);
    colorPanel->setMaximumSize(kPanelMaximum);
    auto* panelLayout = new QHBoxLayout(colorPanel);
    panelLayout->addWidget(sensorGroup);
    panelLayout->addWidget(colorGroup);
    panelLayout->addWidget(referenceGroup);
    panelLayout->addWidget(matrixGroup);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(colorPanel, 4);
    layout->addStretch();
    resize(kInitialSize);

    showMatrix();
    if (sensor)
        connect(sensor.data(), &CSensor::rawColorChanged, this, &CalibrateDialog::updateColor);
}

void CalibrateDialog::showError(const QString& text)
{
    IMessageBox box(tr("Error"), text, QString());
    box.exec();
}

void CalibrateDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QColor colour;
    if (redButton->isChecked())
        colour = kSwatchRed;
    else if (greenButton->isChecked())
        colour = kSwatchGreen;
    else if (blueButton->isChecked())
        colour = kSwatchBlue;
    else if (whiteButton->isChecked())
        colour = kSwatchWhite;
    else
        return;
    QPainter painter(this);
    painter.fillRect(QRect(QPoint(0, colorPanel->height() + kSwatchGap),
                           QPoint(width() - 1, height() - 1)),
                     colour);
}

void CalibrateDialog::doChangeColor()
{
    update();
}

void CalibrateDialog::doMeasure()
{
    if (!sensor || !measure || measure->sensor() != sensor)
        return;
    // One reading at a time: the wait inside processes events, so a second press could start
    // another reading under the first.
    measureButton->setEnabled(false);
    measure->measureOnce();
    if (measureButton)
        measureButton->setEnabled(!sensor.isNull());
}

void CalibrateDialog::updateColor(CColor c)
{
    QRadioButton* const buttons[4] = {redButton, greenButton, blueButton, whiteButton};
    for (int row = 0; row < 4; ++row) {
        if (!buttons[row]->isChecked())
            continue;
        for (int col = 0; col < 3; ++col)
            sensorTable->item(row, col)->setData(Qt::DisplayRole, cellText(c[col]));
    }
}

void CalibrateDialog::doCalibrate()
{
    if (!sensor)
        return;
    Matrix S(0.0, 3, 3), R(0.0, 3, 3);
    CColor wS, wR;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (!cellValue(sensorTable, i, j, &S(j, i))) {
                showError(tr("Invalid sensor value at %1 row %2col!").arg(i + 1).arg(j + 1));
                return;
            }
            if (!cellValue(referenceTable, i, j, &R(j, i))) {
                showError(tr("Invalid reference value at %1 row %2col!").arg(i + 1).arg(j + 1));
                return;
            }
        }
        if (!cellValue(sensorTable, kWhiteRow, i, &wS[i])) {
            showError(tr("Invalid sensor value at 4 row %1col!").arg(i + 1));
            return;
        }
        if (!cellValue(referenceTable, kWhiteRow, i, &wR[i])) {
            showError(tr("Invalid reference value at 4 row %1col!").arg(i + 1));
            return;
        }
    }
    // No correction from a failed reading or from values that cannot be inverted.
    QString why;
    if (!canComputeCorrection(S, R, wS, wR, &why)) {
        showError(tr(why.toLatin1().constData()));
        return;
    }
    matrix = CColor::correctionMatrix(S, R, wS, wR);
    sensor->correction = matrix;
    measure->setMatrixCalibrated(true);
    showMatrix();
}

void CalibrateDialog::doReset()
{
    if (!sensor)
        return;
    sensor->correction = Matrix::identity(3);
    measure->setMatrixCalibrated(false);
    matrix = Matrix::identity(3);
    showMatrix();
}

void CalibrateDialog::showMatrix()
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            matrixTable->item(i, j)->setData(Qt::DisplayRole, cellText(matrix(i, j)));
}
