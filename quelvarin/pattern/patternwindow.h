#pragma once
// PatternWindow: the local test-pattern output, a top-level window filled with the test colour.
// In free measurement (mode 5) a panel of sliders and spin boxes above the colour lets the user
// set the colour by hand. The title names the running sequence and its progress.

#include <QWidget>

class QGroupBox;
class QSlider;
class QSpinBox;

class PatternWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PatternWindow(QWidget* parent = nullptr);

    // The current colour as fractions of 255.
    void getPatternColor(double& r, double& g, double& b) const;

    // MeasureMode of free measurement: the only mode that shows the colour controls.
    static constexpr int kFreeMode = 5;
    // Gap between the control panel and the colour area in free mode, pixels.
    static constexpr int kControlsGap = 18;

    double red = 0;   // levels 0..255
    double green = 0;
    double blue = 0;
    QGroupBox* controls = nullptr;
    QSlider* redSlider = nullptr;
    QSlider* greenSlider = nullptr;
    QSlider* blueSlider = nullptr;
    QSlider* graySlider = nullptr;
    QSpinBox* redSpin = nullptr;
    QSpinBox* greenSpin = nullptr;
    QSpinBox* blueSpin = nullptr;
    QSpinBox* graySpin = nullptr;
    int mode = 0;

    // The translated name of a MeasureMode as the title shows it.
    static QString modeName(int mode);

signals:
    // Escape was pressed in the window.
    void stopMeasure();

public slots:
    // Shows (r, g, b), levels 0..255, for `mode` at `percent` of the sequence. The controls follow
    // the colour; the gray controls go back to 255 without touching red, green and blue.
    void setPatternColor(int r, int g, int b, int mode, int percent);
    // A control was moved (by the user or by setPatternColor); the other controls follow it.
    void doValueChanged(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect colourArea() const;
};
