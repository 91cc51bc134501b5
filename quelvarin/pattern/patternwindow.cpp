#include "pattern/patternwindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kLevelMax = 255;
constexpr int kLabelWidth = 50;
constexpr int kSpinWidth = 50;
constexpr int kControlsWidth = 800;
constexpr int kMinimumWidth = 800;
constexpr int kMinimumHeight = 600;

QSlider* makeSlider(QWidget* parent)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, kLevelMax);
    slider->setValue(kLevelMax);
    return slider;
}

QSpinBox* makeSpin(QWidget* parent)
{
    auto* spin = new QSpinBox(parent);
    spin->setRange(0, kLevelMax);
    spin->setValue(kLevelMax);
    spin->setFixedWidth(kSpinWidth);
    return spin;
}

QLabel* makeLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFixedWidth(kLabelWidth);
    return label;
}

// Sets a control without letting its valueChanged run the synchronisation again.
template <typename Control>
void setSilently(Control* control, int value)
{
    const QSignalBlocker blocker(control);
    control->setValue(value);
}

} // namespace

PatternWindow::PatternWindow(QWidget* parent)
    : QWidget(parent)
{
    controls = new QGroupBox(this);
    redSlider = makeSlider(controls);
    greenSlider = makeSlider(controls);
    blueSlider = makeSlider(controls);
    graySlider = makeSlider(controls);
    redSpin = makeSpin(controls);
    greenSpin = makeSpin(controls);
    blueSpin = makeSpin(controls);
    graySpin = makeSpin(controls);

    auto* grid = new QGridLayout(controls);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(1);
    const QString labels[] = {tr("Red:"), tr("Green:"), tr("Blue:"), tr("Gray:")};
    QSpinBox* spins[] = {redSpin, greenSpin, blueSpin, graySpin};
    QSlider* sliders[] = {redSlider, greenSlider, blueSlider, graySlider};
    for (int row = 0; row < 4; ++row) {
        grid->addWidget(makeLabel(labels[row], controls), row, 0);
        grid->addWidget(spins[row], row, 1);
        grid->addWidget(sliders[row], row, 2, 1, 5);
    }
    controls->setFixedWidth(kControlsWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(controls, 0, Qt::AlignHCenter);
    layout->addStretch();

    for (QSlider* slider : sliders)
        connect(slider, &QSlider::valueChanged, this, &PatternWindow::doValueChanged);
    for (QSpinBox* spin : spins)
        connect(spin, QOverload<int>::of(&QSpinBox::valueChanged), this, &PatternWindow::doValueChanged);

    setWindowTitle(tr("TestPattern"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    controls->setVisible(mode == kFreeMode);
    hide();
}

void PatternWindow::getPatternColor(double& r, double& g, double& b) const
{
    r = red / kLevelMax;
    g = green / kLevelMax;
    b = blue / kLevelMax;
}

QString PatternWindow::modeName(int mode)
{
    switch (mode) {
    case 0: return tr("Gray");
    case 1: return tr("Gamut");
    case 2: return tr("Saturation");
    case 3: return tr("ColorScale");
    case 4: return tr("ColorChecker");
    case 7: return tr("Calibrate");
    default: return tr("Free");
    }
}

void PatternWindow::setPatternColor(int r, int g, int b, int newMode, int percent)
{
    red = r;
    green = g;
    blue = b;
    // The controls follow the requested colour. They are set silently: letting each change run
    // the synchronisation would have the gray controls (reset to 255 below) overwrite red,
    // green and blue, and the window would show white instead of the requested colour.
    setSilently(redSlider, r);
    setSilently(redSpin, r);
    setSilently(greenSlider, g);
    setSilently(greenSpin, g);
    setSilently(blueSlider, b);
    setSilently(blueSpin, b);
    setSilently(graySlider, kLevelMax);
    setSilently(graySpin, kLevelMax);
    mode = newMode;

    QPalette pal = palette();
    pal.setBrush(QPalette::All, QPalette::Window, QBrush(QColor(r, g, b)));
    setPalette(pal);

    const QString title = mode == kFreeMode
        ? QStringLiteral("%1  %2").arg(tr("TestPattern"), modeName(mode))
        : QStringLiteral("%1  %2 %3%4").arg(tr("TestPattern"), modeName(mode),
                                            QString::number(percent), QStringLiteral("%"));
    setWindowTitle(title);
    controls->setVisible(mode == kFreeMode);
    update();
}

void PatternWindow::doValueChanged(int value)
{
    QObject* from = sender();
    if (from == redSlider) {
        red = value;
        redSpin->setValue(value);
    } else if (from == greenSlider) {
        green = value;
        greenSpin->setValue(value);
    } else if (from == blueSlider) {
        blue = value;
        blueSpin->setValue(value);
    } else if (from == graySlider) {
        red = green = blue = value;
        redSpin->setValue(value);
        greenSpin->setValue(int(green));
        blueSpin->setValue(int(blue));
        graySpin->setValue(int(red));
        redSlider->setValue(int(red));
        greenSlider->setValue(int(green));
        blueSlider->setValue(int(blue));
    } else if (from == redSpin) {
        red = value;
        redSlider->setValue(value);
    } else if (from == greenSpin) {
        green = value;
        greenSlider->setValue(value);
    } else if (from == blueSpin) {
        blue = value;
        blueSlider->setValue(value);
    } else if (from == graySpin) {
        red = green = blue = value;
        redSpin->setValue(value);
        greenSpin->setValue(value);
        blueSpin->setValue(value);
        redSlider->setValue(value);
        greenSlider->setValue(value);
        blueSlider->setValue(value);
        graySlider->setValue(value);
    }
    update();
}

void PatternWindow::keyPressEvent(QKeyEvent* event)
{
    // Other keys are swallowed: the window is a test pattern, not an input field.
    if (event->key() == Qt::Key_Escape)
        emit stopMeasure();
}

QRect PatternWindow::colourArea() const
{
    if (mode != kFreeMode)
        return rect();
    const int top = controls->height() + kControlsGap;
    return QRect(0, top, width(), qMax(0, height() - top));
}

void PatternWindow::paintEvent(QPaintEvent*)
{
    if (controls->isVisible() != (mode == kFreeMode))
        controls->setVisible(mode == kFreeMode);
    QPainter painter(this);
    painter.fillRect(colourArea(), QColor(int(red), int(green), int(blue)));
}
