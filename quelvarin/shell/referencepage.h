#pragma once
// The Options page of the colour reference: colour standard, white target, gamma type and
// exponent, and the CIE chart, kept in the settings group "reference". While the operator
// chooses, a read-only table shows the chromaticities of the chosen standard's primaries and of
// the white in effect. The page writes the settings on OK only; the owner then reloads the
// application's reference. The static writers serve the main window's hot keys.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QTableWidget;

class ReferencePage : public QWidget
{
    Q_OBJECT

public:
    explicit ReferencePage(QWidget* parent);

    void LoadReference();
    void SaveReference();

    // The default exponent, and the range a stored exponent must lie in (0, kMaxGamma].
    static constexpr double kDefaultGamma = 2.2222222222222223;
    static constexpr double kMaxGamma = 10.0;
    // The exponent that SaveReference stores for a typed text: the number, or the default when
    // the text is no number or lies outside (0, kMaxGamma].
    static double gammaFromText(const QString& text);

    // One key of the group "reference" each (hot keys F5, F6, F9, F10).
    static void saveCieChart1931();
    static void saveCieChart1976();
    static void saveColorSpace2();
    static void saveColorSpace5();

public slots:
    void setTableValue();
    void setGammaType(int type);

public:
    QCheckBox* whiteTargetCheck = nullptr;
    QComboBox* standardCombo = nullptr;
    QComboBox* gammaTypeCombo = nullptr;
    QComboBox* whiteTargetCombo = nullptr;
    QLineEdit* gammaEdit = nullptr;
    QTableWidget* valueTable = nullptr;
    QRadioButton* cie1931Button = nullptr;
    QRadioButton* cie1976Button = nullptr;
};
