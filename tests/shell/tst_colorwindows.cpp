// The two windows nothing in the program opens: the colour window (four rows of controls that
// settle on the same levels, and the colour painted below them) and the colour calculator (one
// colour converted between XYZ, xyY, u'v'Y, L*a*b* and RGB against the current reference, with
// its colour temperature).

#include "shell/calculatedialog.h"
#include "shell/colorwindow.h"

#include "apptestmain.h"
#include "platform/settings.h"
#include "testenv.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>

#include <cmath>

Q_DECLARE_METATYPE(QVector<double>)

namespace {

// Rows of the window (from the top) that show `colour` in the window's leftmost column.
int paintedRows(ColorWindow& w, const QColor& colour)
{
    const QImage img = w.grab().toImage();
    int rows = 0;
    for (int y = 0; y < img.height(); ++y)
        if (img.pixelColor(0, y) == colour && img.pixelColor(img.width() - 1, y) == colour)
            ++rows;
    return rows;
}

void setReference(int colorSpace, int whiteTarget)
{
    QSettings store = platform::kwSettings();
    store.beginGroup("reference");
    store.setValue("colorspace", colorSpace);
    store.setValue("whitetarget", whiteTarget);
    store.endGroup();
    store.sync();
    Application::instance()->loadReference();
}

QStringList rowTexts(const QTableWidget* t)
{
    QStringList out;
    for (int c = 0; c < 3; ++c)
        out << (t->item(0, c) ? t->item(0, c)->text() : QStringLiteral("<none>"));
    return out;
}

void typeRow(CalculateDialog& d, CalculateDialog::Row row, const QStringList& texts)
{
    for (int c = 0; c < 3; ++c)
        d.table(row)->item(0, c)->setText(texts.value(c));
}

void calculate(CalculateDialog& d, CalculateDialog::Row row, const QStringList& texts)
{
    d.check(row)->setChecked(true);
    typeRow(d, row, texts);
    d.calcButton->click();
}

} // namespace

class TestColorWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void windowStartsHiddenAndBlack();
    void controlsSettle_data();
    void controlsSettle();
    void colourFillsBelowTheControls_data();
    void colourFillsBelowTheControls();

    void calculatorLayout();
    void conversions_data();
    void conversions();
    void noTickedRowChangesNothing();
    void inputRowRewrittenInSixDigits();
    void referenceChangesOnlyRgbAndLab();
    void atMostOneInputRow();
};

void TestColorWindows::init()
{
    testenv::clearSettings();
    Application::instance()->loadReference();
}

void TestColorWindows::windowStartsHiddenAndBlack()
{
    ColorWindow w;
    QVERIFY(w.isHidden());
    QCOMPARE(w.color(), QColor(0, 0, 0));
    for (QSlider* s : {w.redSlider, w.greenSlider, w.blueSlider, w.graySlider}) {
        QCOMPARE(s->minimum(), 0);
        QCOMPARE(s->maximum(), 255);
        QCOMPARE(s->orientation(), Qt::Horizontal);
    }
    for (QSpinBox* s : {w.redSpin, w.greenSpin, w.blueSpin, w.graySpin}) {
        QCOMPARE(s->minimum(), 0);
        QCOMPARE(s->maximum(), 255);
    }
    QCOMPARE(w.groupBox->maximumWidth(), 500);
    w.resize(400, 300);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(paintedRows(w, QColor(0, 0, 0)), 300 - (w.groupBox->height() + 18));
}

void TestColorWindows::controlsSettle_data()
{
    // Each step moves one control ("rs" red slider, "gp" gray spin box ...) to a value; then all
    // eight controls and the colour must show the expected levels.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QVector<int>>("levels"); // red, green, blue, gray of the controls
    QTest::addColumn<QColor>("colour");

    QTest::newRow("gray slider sets every control")
        << QStringList{"gs=128"} << QVector<int>{128, 128, 128, 128} << QColor(128, 128, 128);
    QTest::newRow("gray spin box sets every control")
        << QStringList{"gp=77"} << QVector<int>{77, 77, 77, 77} << QColor(77, 77, 77);
    QTest::newRow("red slider after gray: only red")
        << QStringList{"gs=128", "rs=200"} << QVector<int>{200, 128, 128, 128}
        << QColor(200, 128, 128);
    QTest::newRow("blue spin box after gray: only blue")
        << QStringList{"gp=10", "bp=250"} << QVector<int>{10, 10, 250, 10} << QColor(10, 10, 250);
    QTest::newRow("green slider then green spin box")
        << QStringList{"gs2=40", "gp2=90"} << QVector<int>{0, 90, 0, 0} << QColor(0, 90, 0);
    QTest::newRow("channels, then gray overrides them")
        << QStringList{"rs=1", "gs2=2", "bp=3", "gs=64"} << QVector<int>{64, 64, 64, 64}
        << QColor(64, 64, 64);
    QTest::newRow("gray back to a value it had")
        << QStringList{"gs=50", "rs=9", "gp=50"} << QVector<int>{9, 50, 50, 50}
        << QColor(9, 50, 50);
}

void TestColorWindows::controlsSettle()
{
    QFETCH(QStringList, steps);
    QFETCH(QVector<int>, levels);
    QFETCH(QColor, colour);

    ColorWindow w;
    const QMap<QString, QAbstractSlider*> sliders = {
        {"rs", w.redSlider}, {"gs2", w.greenSlider}, {"bs", w.blueSlider}, {"gs", w.graySlider}};
    const QMap<QString, QSpinBox*> spins = {
        {"rp", w.redSpin}, {"gp2", w.greenSpin}, {"bp", w.blueSpin}, {"gp", w.graySpin}};
    for (const QString& step : steps) {
        const QString name = step.section('=', 0, 0);
        const int value = step.section('=', 1).toInt();
        if (sliders.contains(name))
            sliders[name]->setValue(value);
        else
            spins[name]->setValue(value);
    }
    const QVector<int> sliderLevels = {w.redSlider->value(), w.greenSlider->value(),
                                       w.blueSlider->value(), w.graySlider->value()};
    const QVector<int> spinLevels = {w.redSpin->value(), w.greenSpin->value(),
                                     w.blueSpin->value(), w.graySpin->value()};
    QCOMPARE(sliderLevels, levels);
    QCOMPARE(spinLevels, levels);
    QCOMPARE(w.color(), colour);
    w.resize(400, 300);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(paintedRows(w, colour), 300 - (w.groupBox->height() + 18));
}

void TestColorWindows::colourFillsBelowTheControls_data()
{
    QTest::addColumn<int>("height"); // of the window
    QTest::addColumn<bool>("visible"); // whether any of the colour shows

    QTest::newRow("no taller than the gap: nothing") << 12 << false;
    QTest::newRow("controls squeezed: the rows below them") << 150 << true;
    QTest::newRow("a tall window") << 600 << true;
}

void TestColorWindows::colourFillsBelowTheControls()
{
    QFETCH(int, height);
    QFETCH(bool, visible);

    ColorWindow w;
    w.setMinimumSize(1, 1);
    w.redSlider->setValue(201);
    w.greenSpin->setValue(17);
    w.blueSlider->setValue(133);
    const QColor colour(201, 17, 133);
    w.resize(420, height);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_COMPARE(w.height(), height);
    const int top = w.groupBox->height() + 18;
    const int rows = paintedRows(w, colour);
    QCOMPARE(rows, std::max(0, height - top));
    QCOMPARE(rows > 0, visible);
    if (visible) {
        const QImage img = w.grab().toImage();
        QCOMPARE(img.pixelColor(w.width() / 2, top), colour);
        QCOMPARE(img.pixelColor(w.width() / 2, height - 1), colour);
        QVERIFY(img.pixelColor(w.width() / 2, top - 1) != colour);
        if (height == 600)
            img.save(QDir(testenv::artifactDir()).filePath("colour_window.png"));
    }
}

void TestColorWindows::calculatorLayout()
{
    CalculateDialog d;
    const char* const checkTexts[] = {"XYZ", "xyY", "u'v'Y", "Lab", "RGB"};
    const char* const headers[][3] = {
        {"X", "Y", "Z"}, {"x", "y", "Y"}, {"u'", "v'", "Y"}, {"L", "a", "b"}, {"R", "G", "B"}};
    for (int r = 0; r < CalculateDialog::RowCount; ++r) {
        const auto row = CalculateDialog::Row(r);
        QCOMPARE(d.check(row)->text(), QString::fromLatin1(checkTexts[r]));
        QVERIFY(!d.check(row)->isChecked());
        QTableWidget* t = d.table(row);
        QCOMPARE(t->rowCount(), 1);
        QCOMPARE(t->columnCount(), 3);
        QCOMPARE(t->maximumHeight(), 50);
        QCOMPARE(t->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(t->horizontalHeaderItem(c)->text(), QString::fromLatin1(headers[r][c]));
            QVERIFY(t->item(0, c));
            QCOMPARE(t->item(0, c)->text(), QString());
            QVERIFY(t->item(0, c)->flags() & Qt::ItemIsEditable);
        }
    }
    QCOMPARE(d.calcButton->text(), QString("Calcuate"));
    QVERIFY(!d.cctEdit->isEnabled());
    QCOMPARE(d.buttonGroup->buttons().size(), 5);
    QCOMPARE(d.width(), 402);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    calculate(d, CalculateDialog::LabRow, {"50", "20", "-30"});
    d.grab().save(QDir(testenv::artifactDir()).filePath("colour_calculator.png"));
}

void TestColorWindows::conversions_data()
{
    // Expected values from the CIE formulas (15:2004) with the Rec. 709 primaries and the D65
    // white of the default reference (x 0.312712, y 0.329008), computed apart from the program.
    QTest::addColumn<int>("input");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QVector<double>>("expected"); // XYZ, xyY, u'v'Y, Lab, RGB
    QTest::addColumn<int>("cct");
    QTest::addColumn<int>("cctTolerance");

    QTest::newRow("xyY of D65")
        << int(CalculateDialog::XyYRow) << QStringList{"0.3127", "0.329", "1"}
        << QVector<double>{0.950456, 1, 1.08906,  0.3127, 0.329, 1,  0.19783, 0.46832, 1,
                           100, -0.00234314, -0.00534251,  0.999913, 1.00002, 1.00009}
        << 6504 << 3;
    QTest::newRow("u'v'Y of illuminant A")
        << int(CalculateDialog::UpvpYRow) << QStringList{"0.256", "0.5243", "0.5"}
        << QVector<double>{0.549304, 0.5, 0.177856,  0.447622, 0.407445, 0.5,  0.256, 0.5243, 0.5,
                           76.0693, 19.6304, 49.4164,  0.922824, 0.412972, 0.116569}
        << 2856 << 3;
    QTest::newRow("Lab against the reference white")
        << int(CalculateDialog::LabRow) << QStringList{"50", "20", "-30"}
        << QVector<double>{0.214643, 0.184187, 0.404707,  0.267123, 0.22922, 0.184187,
                           0.204833, 0.39548, 0.184187,  50, 20, -30,
                           0.210676, 0.154307, 0.402171}
        << 0 << -1;
    QTest::newRow("RGB of the red primary")
        << int(CalculateDialog::RgbRow) << QStringList{"1", "0", "0"}
        << QVector<double>{0.412427, 0.212657, 0.0193325,  0.64, 0.33, 0.212657,
                           0.450704, 0.522887, 0.212657,  53.2391, 80.0907, 67.2038,  1, 0, 0}
        << 0 << -1;
    QTest::newRow("RGB mixed")
        << int(CalculateDialog::RgbRow) << QStringList{"0.2", "0.5", "0.8"}
        << QVector<double>{0.405646, 0.457858, 0.823819,  0.240408, 0.271352, 0.457858,
                           0.166505, 0.422856, 0.457858,  73.4064, -8.92306, -28.0876,
                           0.2, 0.5, 0.8}
        << 0 << -1;
    QTest::newRow("XYZ as typed")
        << int(CalculateDialog::XyzRow) << QStringList{"0.5", "0.4", "0.3"}
        << QVector<double>{0.5, 0.4, 0.3,  0.416667, 0.333333, 0.4,  0.27027, 0.486486, 0.4,
                           69.4695, 35.2243, 17.225,  0.855874, 0.278236, 0.26334}
        << 0 << -1;
    QTest::newRow("empty XYZ cells are 0: too blue")
        << int(CalculateDialog::XyzRow) << QStringList{"", "", ""}
        << QVector<double>{0, 0, 0,  0, 0, 0,  0, 0, 0,  0, 0, 0,  0, 0, 0} << 12001 << 0;
    QTest::newRow("text that is no number is 0")
        << int(CalculateDialog::XyzRow) << QStringList{"abc", "1e", "0,5"}
        << QVector<double>{0, 0, 0,  0, 0, 0,  0, 0, 0,  0, 0, 0,  0, 0, 0} << 12001 << 0;
    QTest::newRow("numbers that are not finite are 0")
        << int(CalculateDialog::XyzRow) << QStringList{"inf", "nan", "0.5"}
        << QVector<double>{0, 0, 0.5,  0, 0, 0,  0, 0, 0,  0, 0, -126.707,
                           -0.249284, 0.0207779, 0.528534}
        << 12001 << 0;
    QTest::newRow("xyY with y = 0 gives zeros")
        << int(CalculateDialog::XyYRow) << QStringList{"0.3", "0", "5"}
        << QVector<double>{0, 0, 0,  0, 0, 0,  0, 0, 0,  0, 0, 0,  0, 0, 0} << 12001 << 0;
    QTest::newRow("u'v'Y with v' = 0 gives zeros")
        << int(CalculateDialog::UpvpYRow) << QStringList{"0.2", "0", "5"}
        << QVector<double>{0, 0, 0,  0, 0, 0,  0, 0, 0,  0, 0, 0,  0, 0, 0} << 12001 << 0;
    QTest::newRow("red too red for a temperature")
        << int(CalculateDialog::XyzRow) << QStringList{"0.5", "0.1", "0"}
        << QVector<double>{0.5, 0.1, 0,  0.833333, 0.166667, 0.1,  1, 0.45, 0.1,
                           37.8424, 171.548, 65.2456,  1.46662, -0.29703, 0.00741802}
        << 1499 << 0;
}

void TestColorWindows::conversions()
{
    QFETCH(int, input);
    QFETCH(QStringList, typed);
    QFETCH(QVector<double>, expected);
    QFETCH(int, cct);
    QFETCH(int, cctTolerance);

    CalculateDialog d;
    calculate(d, CalculateDialog::Row(input), typed);
    for (int r = 0; r < CalculateDialog::RowCount; ++r) {
        const QStringList shown = rowTexts(d.table(CalculateDialog::Row(r)));
        for (int c = 0; c < 3; ++c) {
            bool ok = false;
            const double v = shown[c].toDouble(&ok);
            const double want = expected[3 * r + c];
            QVERIFY2(ok, qPrintable(shown[c]));
            // Six significant digits shown; the core's Lab threshold differs from the exact
            // CIE one only in the fifth digit near black.
            const double tolerance = 2e-5 * std::max(1.0, std::fabs(want)) + 1e-9;
            QVERIFY2(std::fabs(v - want) <= tolerance,
                     qPrintable(QString("row %1 column %2: shown %3, expected %4")
                                    .arg(r).arg(c).arg(shown[c]).arg(want)));
        }
    }
    bool ok = false;
    const int shownCct = d.cctEdit->text().toInt(&ok);
    QVERIFY2(ok, qPrintable(d.cctEdit->text()));
    if (cctTolerance >= 0)
        QVERIFY2(std::abs(shownCct - cct) <= cctTolerance, qPrintable(d.cctEdit->text()));
}

void TestColorWindows::noTickedRowChangesNothing()
{
    CalculateDialog d;
    typeRow(d, CalculateDialog::XyzRow, {"0.5", "0.4", "0.3"});
    typeRow(d, CalculateDialog::LabRow, {"x", "", "7"});
    d.calcButton->click();
    QCOMPARE(rowTexts(d.xyzTable), (QStringList{"0.5", "0.4", "0.3"}));
    QCOMPARE(rowTexts(d.labTable), (QStringList{"x", "", "7"}));
    QCOMPARE(rowTexts(d.rgbTable), (QStringList{"", "", ""}));
    QCOMPARE(d.cctEdit->text(), QString());
}

void TestColorWindows::inputRowRewrittenInSixDigits()
{
    CalculateDialog d;
    calculate(d, CalculateDialog::XyYRow, {" 0.31270000004 ", "0.329", "1.0"});
    QCOMPARE(rowTexts(d.xyYTable), (QStringList{"0.3127", "0.329", "1"}));
    QCOMPARE(rowTexts(d.xyzTable), (QStringList{"0.950456", "1", "1.08906"}));

    calculate(d, CalculateDialog::XyzRow, {"0.0000123456789", "95.047", "1e+3"});
    QCOMPARE(rowTexts(d.xyzTable), (QStringList{"1.23457e-05", "95.047", "1000"}));
}

void TestColorWindows::referenceChangesOnlyRgbAndLab()
{
    CalculateDialog d;
    const QStringList typed = {"0.3", "0.2", "0.5"};
    calculate(d, CalculateDialog::XyzRow, typed);
    QStringList before[CalculateDialog::RowCount];
    for (int r = 0; r < CalculateDialog::RowCount; ++r)
        before[r] = rowTexts(d.table(CalculateDialog::Row(r)));

    setReference(3, 1); // UHDTV BT2020 with the D50 white
    calculate(d, CalculateDialog::XyzRow, typed);
    QCOMPARE(rowTexts(d.xyzTable), before[CalculateDialog::XyzRow]);
    QCOMPARE(rowTexts(d.xyYTable), before[CalculateDialog::XyYRow]);
    QCOMPARE(rowTexts(d.upvpYTable), before[CalculateDialog::UpvpYRow]);
    QVERIFY(rowTexts(d.labTable) != before[CalculateDialog::LabRow]);
    QVERIFY(rowTexts(d.rgbTable) != before[CalculateDialog::RgbRow]);

    // Lab follows the new white: its own white is L 100, a 0, b 0 again.
    const CColor d50 = whitePoints[WhiteD50];
    calculate(d, CalculateDialog::XyzRow,
              {QString::number(d50[0], 'g', 17), "1", QString::number(d50[2], 'g', 17)});
    QCOMPARE(rowTexts(d.labTable), (QStringList{"100", "0", "0"}));
}

void TestColorWindows::atMostOneInputRow()
{
    CalculateDialog d;
    d.xyzCheck->click();
    QVERIFY(d.xyzCheck->isChecked());
    d.labCheck->click();
    QVERIFY(d.labCheck->isChecked());
    QVERIFY(!d.xyzCheck->isChecked());
    d.labCheck->click(); // clicking the ticked one keeps it: one row stays the input
    QVERIFY(d.labCheck->isChecked());
    typeRow(d, CalculateDialog::XyzRow, {"0.5", "0.4", "0.3"});
    typeRow(d, CalculateDialog::LabRow, {"50", "0", "0"});
    d.calcButton->click();
    QCOMPARE(rowTexts(d.labTable), (QStringList{"50", "0", "0"}));
    QCOMPARE(rowTexts(d.xyzTable)[1], QString("0.184187"));
}

QV_TEST_MAIN_APPLICATION(TestColorWindows)
#include "tst_colorwindows.moc"
