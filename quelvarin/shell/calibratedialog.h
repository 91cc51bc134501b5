#pragma once
// "Sensor Calibration": the correction matrix of the engine's current instrument, from its own
// readings of a red, a green, a blue and a white patch (measured here, the patch painted in the
// lower part of the dialog) and reference values of the same four typed in by the operator.
// "Calibrate" replaces the instrument's correction at once, "Reset" puts the identity back;
// closing the dialog undoes nothing.
//
// Refused: an engine without an instrument (the buttons stay disabled), a cell that is not a
// number, a failed reading (the null colour), readings of red, green and blue that barely differ
// (the sensor beside the patch), and measured or reference values from which no correction can
// be computed (the colour library's check, e.g. "Abnormal matrix!"). "Measure" is disabled while
// its reading runs.

#include "colour/color.h"
#include "colour/matrix.h"

#include <QDialog>
#include <QPointer>

class CSensor;
class Measure;
class QPushButton;
class QRadioButton;
class QTableWidget;

class CalibrateDialog : public QDialog
{
    Q_OBJECT

public:
    CalibrateDialog(Measure* measure, QWidget* parent = nullptr);

    void showMatrix();

public slots:
    void doMeasure();
    void doCalibrate();
    void doChangeColor();
    void updateColor(CColor c);
    void doReset();

protected:
    void paintEvent(QPaintEvent* event) override;

public:
    // The widgets, as laid out (tests reach them).
    QWidget* colorPanel = nullptr;
    QTableWidget* sensorTable = nullptr;
    QTableWidget* referenceTable = nullptr;
    QTableWidget* matrixTable = nullptr;
    QRadioButton* redButton = nullptr;
    QRadioButton* greenButton = nullptr;
    QRadioButton* blueButton = nullptr;
    QRadioButton* whiteButton = nullptr;
    QPushButton* measureButton = nullptr;
    QPushButton* calibrateButton = nullptr;
    QPushButton* resetButton = nullptr;

private:
    void showError(const QString& text);

    Measure* measure;
    QPointer<CSensor> sensor;  // the instrument the dialog was opened for
    Matrix matrix;
};
