#include "shell/calculatedialog.h"

#include "appcore/application.h"
#include "colour/color.h"
#include "colour/currentreference.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>

namespace {

const int tableMaxHeight = 50;
const int tableColumnSpan = 5;
const int dialogWidth = 402;
// Every value is shown in the general format with six significant digits.
const char valueFormat = 'g';
const int valuePrecision = 6;

// Column headers of each row; symbols, not translated.
const char* const columnHeaders[CalculateDialog::RowCount][3] = {
    {"X", "Y", "Z"}, {"x", "y", "Y"}, {"u'", "v'", "Y"}, {"L", "a", "b"}, {"R", "G", "B"},
};

double cellValue(const QTableWidget* table, int column)
{
    const QTableWidgetItem* item = table->item(0, column);
    if (!item)
        return 0.0;
    bool ok = false;
    const double v = item->data(Qt::DisplayRole).toString().toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

void showRow(QTableWidget* table, const CColor& c)
{
    for (int column = 0; column < 3; ++column) {
        const QString text = QString::number(c[column], valueFormat, valuePrecision);
        if (QTableWidgetItem* item = table->item(0, column))
            item->setText(text);
        else
            table->setItem(0, column, new QTableWidgetItem(text));
    }
}

} // namespace

CalculateDialog::CalculateDialog(QWidget* parent) : QDialog(parent)
{
    const QString checkTexts[RowCount] = {tr("XYZ"), tr("xyY"), tr("u'v'Y"), tr("Lab"),
                                          tr("RGB")};
    QCheckBox** checks[RowCount] = {&xyzCheck, &xyYCheck, &upvpYCheck, &labCheck, &rgbCheck};
    QTableWidget** tables[RowCount] = {&xyzTable, &xyYTable, &upvpYTable, &labTable, &rgbTable};
    for (int row = 0; row < RowCount; ++row) {
        *checks[row] = new QCheckBox(checkTexts[row], this);
        QTableWidget* t = new QTableWidget(1, 3, this);
        t->setMaximumHeight(tableMaxHeight);
        t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        QStringList headers;
        for (const char* h : columnHeaders[row])
            headers << QString::fromLatin1(h);
        t->setHorizontalHeaderLabels(headers);
        for (int column = 0; column < 3; ++column)
            t->setItem(0, column, new QTableWidgetItem(QString()));
        *tables[row] = t;
    }

    auto* cctLabel = new QLabel(tr("Color Temp"), this);
    cctEdit = new QLineEdit(this);
    cctEdit->setEnabled(false);
    calcButton = new QPushButton(tr("Calcuate"), this);
    connect(calcButton, &QPushButton::clicked, this, &CalculateDialog::doCalculate);

    buttonGroup = new QButtonGroup(this);
    buttonGroup->setExclusive(true);
    for (int row = 0; row < RowCount; ++row)
        buttonGroup->addButton(*checks[row]);

    auto* grid = new QGridLayout(this);
    for (int row = 0; row < RowCount; ++row) {
        grid->addWidget(*checks[row], row, 0);
        grid->addWidget(*tables[row], row, 1, 1, tableColumnSpan);
    }
    grid->addWidget(cctLabel, RowCount, 0);
    grid->addWidget(cctEdit, RowCount, 1);
    grid->addWidget(calcButton, RowCount, 4);
    setLayout(grid);

    resize(dialogWidth, height());
}

QCheckBox* CalculateDialog::check(Row row) const
{
    QCheckBox* const checks[RowCount] = {xyzCheck, xyYCheck, upvpYCheck, labCheck, rgbCheck};
    return checks[row];
}

QTableWidget* CalculateDialog::table(Row row) const
{
    QTableWidget* const tables[RowCount] = {xyzTable, xyYTable, upvpYTable, labTable, rgbTable};
    return tables[row];
}

void CalculateDialog::doCalculate()
{
    int input = -1;
    for (int row = 0; row < RowCount; ++row)
        if (buttonGroup->checkedButton() == check(Row(row)))
            input = row;
    if (input < 0)
        return;

    QTableWidget* from = table(Row(input));
    const CColor typed(cellValue(from, 0), cellValue(from, 1), cellValue(from, 2));

    // One snapshot for the whole calculation, the colour temperature's fallback included: every
    // row follows the same reference even if it is replaced meanwhile.
    const std::shared_ptr<const ColorReference> ref = Application::colorReference();
    const ScopedThreadColorReference sameReference(ref);
    CColor xyz(0.0, 0.0, 0.0);
    switch (input) {
    case XyzRow:
        xyz.setXYZ(typed);
        break;
    case XyYRow:
        xyz.fromxyY(typed);
        break;
    case UpvpYRow:
        xyz.fromupvpY(typed);
        break;
    case LabRow:
        xyz.fromLab(typed, *ref);
        break;
    case RgbRow:
        xyz.fromRGB(typed, *ref);
        break;
    }

    showRow(xyzTable, xyz);
    showRow(xyYTable, xyz.toxyY());
    showRow(upvpYTable, xyz.toupvpY());
    showRow(labTable, xyz.toLab(ref->white.getY(), *ref));
    showRow(rgbTable, xyz.toRGB(*ref));
    cctEdit->setText(QString::number(xyz.GetCCT()));
}
