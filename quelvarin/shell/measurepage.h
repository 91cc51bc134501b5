#pragma once
// The Options page of the group "measure": gray steps, warm-up time, colour-checker set, pattern
// output and the pattern generator's address. Saving a new step count empties the engine's gray
// results, which no longer fit the new steps.

#include <QWidget>

class Measure;
class QLineEdit;
class QRadioButton;
class QSpinBox;

class MeasurePage : public QWidget
{
    Q_OBJECT

public:
    MeasurePage(QWidget* parent, Measure* measure);

    void LoadReference();
    void SaveReference();

    static constexpr int kMinSteps = 8;
    static constexpr int kMaxSteps = 128;
    static constexpr int kMaxWarmTimeMs = 60000;

public slots:
    // The address edit is enabled only while the TCP output is chosen.
    void changeSigType();

public:
    QSpinBox* stepsSpin = nullptr;
    QSpinBox* warmTimeSpin = nullptr;
    QRadioButton* colorCheckerButton = nullptr;
    QRadioButton* ebuButton = nullptr;
    QRadioButton* nativeButton = nullptr;
    QRadioButton* tcpButton = nullptr;
    QLineEdit* ipEdit = nullptr;
    Measure* measure = nullptr;
};
