#include "shell/colorwindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const int levelMax = 255;
const int gridHorizontalSpacing = 10;
const int gridVerticalSpacing = 1;
const int controlsMaxWidth = 500;
const int sliderColumnSpan = 5;
// The colour starts this far below the controls' height.
const int fillGap = 18;

} // namespace

ColorWindow::ColorWindow(QWidget* parent) : QWidget(parent)
{
    groupBox = new QGroupBox(this);
    QLabel* labels[4] = {new QLabel(tr("Red:"), this), new QLabel(tr("Green:"), this),
                         new QLabel(tr("Blue:"), this), new QLabel(tr("Gray:"), this)};
    QSlider** sliders[4] = {&redSlider, &greenSlider, &blueSlider, &graySlider};
    QSpinBox** spins[4] = {&redSpin, &greenSpin, &blueSpin, &graySpin};
    for (int row = 0; row < 4; ++row) {
        *sliders[row] = new QSlider(Qt::Horizontal, this);
        (*sliders[row])->setRange(0, levelMax);
        *spins[row] = new QSpinBox(this);
        (*spins[row])->setRange(0, levelMax);
    }

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(gridHorizontalSpacing);
    grid->setVerticalSpacing(gridVerticalSpacing);
    for (int row = 0; row < 4; ++row) {
        grid->addWidget(labels[row], row, 0);
        grid->addWidget(*spins[row], row, 1);
        grid->addWidget(*sliders[row], row, 2, 1, sliderColumnSpan);
    }
    groupBox->setLayout(grid);

    groupBox->setMaximumWidth(controlsMaxWidth);
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(groupBox);
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->addLayout(row);
    column->addStretch();
    setLayout(column);

    for (int r = 0; r < 4; ++r) {
        connect(*sliders[r], &QSlider::valueChanged, this, &ColorWindow::doValueChanged);
        connect(*spins[r], QOverload<int>::of(&QSpinBox::valueChanged), this,
                &ColorWindow::doValueChanged);
    }
    hide();
}

QColor ColorWindow::color() const
{
    return QColor(red, green, blue);
}

void ColorWindow::doValueChanged(int)
{
    // Each control moved here emits again and comes back through this slot with the value just
    // set, so the rows settle on the same values.
    QObject* from = sender();
    if (from == redSlider) {
        red = redSlider->value();
        redSpin->setValue(red);
    } else if (from == greenSlider) {
        green = greenSlider->value();
        greenSpin->setValue(green);
    } else if (from == blueSlider) {
        blue = blueSlider->value();
        blueSpin->setValue(blue);
    } else if (from == graySlider) {
        gray = graySlider->value();
        blue = green = red = gray;
        redSpin->setValue(red);
        greenSpin->setValue(green);
        blueSpin->setValue(blue);
        graySpin->setValue(gray);
        redSlider->setValue(red);
        greenSlider->setValue(green);
        blueSlider->setValue(blue);
    }

    if (from == redSpin) {
        red = redSpin->value();
        redSlider->setValue(red);
    } else if (from == greenSpin) {
        green = greenSpin->value();
        greenSlider->setValue(green);
    } else if (from == blueSpin) {
        blue = blueSpin->value();
        blueSlider->setValue(blue);
    } else if (from == graySpin) {
        gray = graySpin->value();
        blue = green = red = gray;
        redSpin->setValue(red);
        greenSpin->setValue(green);
        blueSpin->setValue(blue);
        redSlider->setValue(red);
        greenSlider->setValue(green);
        blueSlider->setValue(blue);
        graySlider->setValue(gray);
    }
    update();
}

void ColorWindow::paintEvent(QPaintEvent*)
{
    const QRect area(QPoint(0, groupBox->height() + fillGap), QPoint(width() - 1, height() - 1));
    if (area.isEmpty())
        return; // a window no taller than the controls shows no colour
    QPainter painter(this);
    painter.fillRect(area, QColor(red, green, blue));
}
