#pragma once
// A small window that shows one solid colour, chosen with four rows of controls (red, green,
// blue and gray), each a spin box and a slider over 0..255. Moving a gray control sets red,
// green and blue to the same level. The colour fills the window from 18 pixels below the
// controls' height down to the bottom edge. Created hidden; whoever owns it shows it.

#include <QWidget>

class QGroupBox;
class QSlider;
class QSpinBox;

class ColorWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ColorWindow(QWidget* parent = nullptr);

    // The controls (tests read them).
    QSlider* redSlider = nullptr;
    QSlider* greenSlider = nullptr;
    QSlider* blueSlider = nullptr;
    QSlider* graySlider = nullptr;
    QSpinBox* redSpin = nullptr;
    QSpinBox* greenSpin = nullptr;
    QSpinBox* blueSpin = nullptr;
    QSpinBox* graySpin = nullptr;
    QGroupBox* groupBox = nullptr;

    // The colour shown.
    QColor color() const;

public slots:
    // Acts on whichever of the eight controls sent the change; the value itself is read there.
    void doValueChanged(int);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int red = 0;
    int green = 0;
    int blue = 0;
    int gray = 0;
};
