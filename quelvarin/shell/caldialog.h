#pragma once
// The monitor calibration options ("calibration"): speed (Normal: the 16 x 16 x 16 cube; Fast:
// the channel ramps), the colour spaces whose LUTs are built (any combination), the LUT format
// (".cube" always, ".3dlut" besides when chosen) and a cube size that is only stored. Accepting
// stores every choice in the settings group `calibrate` and sets the calibration's three
// colour-space flags; rejecting clears the flags and stores nothing, so the run that asked
// measures nothing.

#include <QDialog>

class QRadioButton;
class QSpinBox;

class CalDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CalDialog(QWidget* parent = nullptr);

    void accept() override;
    void reject() override;

    // The controls, in the order of the dialog (tests read them).
    QRadioButton* normalRadio = nullptr;
    QRadioButton* fastRadio = nullptr;
    QRadioButton* hdtvRadio = nullptr;
    QRadioButton* dciRadio = nullptr;
    QRadioButton* uhdtvRadio = nullptr;
    QRadioButton* cubeRadio = nullptr;
    QRadioButton* lut3dRadio = nullptr;
    QSpinBox* cubeSizeSpin = nullptr;

    static constexpr int kMinCubeSize = 16;
    static constexpr int kMaxCubeSize = 256;
};
