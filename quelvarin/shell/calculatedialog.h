#pragma once
// The colour calculator: one colour in five notations (CIE XYZ, xyY, u'v'Y, L*a*b* and the
// linear RGB of the current colour standard) and its correlated colour temperature. The operator
// ticks the row that holds the input, types its three values and presses the button; every row
// is then rewritten from the same XYZ, against the colour reference current at that moment.

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

class CalculateDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CalculateDialog(QWidget* parent = nullptr);

    // The rows in order: XYZ, xyY, u'v'Y, Lab, RGB.
    enum Row { XyzRow, XyYRow, UpvpYRow, LabRow, RgbRow, RowCount };

    // The controls (tests read them).
    QCheckBox* xyzCheck = nullptr;
    QCheckBox* xyYCheck = nullptr;
    QCheckBox* upvpYCheck = nullptr;
    QCheckBox* labCheck = nullptr;
    QCheckBox* rgbCheck = nullptr;
    QTableWidget* xyzTable = nullptr;
    QTableWidget* xyYTable = nullptr;
    QTableWidget* upvpYTable = nullptr;
    QTableWidget* labTable = nullptr;
    QTableWidget* rgbTable = nullptr;
    QPushButton* calcButton = nullptr;
    QButtonGroup* buttonGroup = nullptr;
    QLineEdit* cctEdit = nullptr;

    QCheckBox* check(Row row) const;
    QTableWidget* table(Row row) const;

public slots:
    // Reads the ticked row (text that is not a finite number counts as 0), turns it into XYZ and
    // fills every row and the colour temperature from it. Without a ticked row nothing changes.
    void doCalculate();
};
