// The two calibration dialogs: the monitor calibration options (what they show, store and
// clear) and the sensor calibration (readings into the table, the correction matrix stored in
// the instrument, every refusal, reset, the painted patch).

#include "colour/matrix.h"
#include "contrast.h"
#include "measure/calibratemonitor.h"
#include "measure/measure.h"
#include "messagerecorder.h"
#include "platform/settings.h"
#include "sensors/sensor.h"
#include "shell/caldialog.h"
#include "shell/calibratedialog.h"
#include "testenv.h"
#include "zerodelaysensor.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

ZeroDelaySensor* attachZeroDelaySensor(Measure* m)
{
    ZeroDelaySensor* made = nullptr;
    m->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default, [&made](SigAdapter*) -> CSensor* {
        made = new ZeroDelaySensor(false);
        return made;
    });
    const bool opened = m->openSensor(SensorModel::K10);
    m->sensorFactory().setCreator(SensorModel::K10, SensorLink::Default, {});
    return opened ? made : nullptr;
}

void setRow(QTableWidget* t, int row, double x, double y, double z)
{
    const double v[3] = {x, y, z};
    for (int c = 0; c < 3; ++c)
        t->item(row, c)->setText(QString::number(v[c], 'g', 17));
}

QStringList rowTexts(QTableWidget* t, int row)
{
    return {t->item(row, 0)->text(), t->item(row, 1)->text(), t->item(row, 2)->text()};
}

// The strongest contrast between the pixels of a grabbed piece of text and its background, a
// pixel where nothing is written: that of the text where it is drawn at full strength.
double textContrast(const QImage& shot, const QPoint& background)
{
    double best = 1.0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            best = std::max(best, contrast::ratio(shot.pixel(x, y), shot.pixel(background)));
    return best;
}

// The text of a table cell, against the cell's corner.
double cellTextContrast(QTableWidget* t, int row, int col)
{
    const QRect cell = t->visualItemRect(t->item(row, col));
    return textContrast(t->viewport()->grab(cell).toImage(), QPoint(1, 1));
}

// Sensor primaries (columns red, green, blue) and white, all valid.
const double kSensor[4][3] = {{40, 21, 2}, {33, 70, 12}, {18, 7, 95}, {91, 98, 109}};

} // namespace

class TestCalibrationDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        testenv::clearSettings();
        m_measure = std::make_unique<Measure>();
        m_sensor = attachZeroDelaySensor(m_measure.get());
        QVERIFY(m_sensor);
    }
    void cleanup() { m_measure.reset(); }

    // ---- options ------------------------------------------------------------------------

    void optionsWithNothingStored()
    {
        CalibrateMonitor::rec709 = CalibrateMonitor::dci = CalibrateMonitor::rec2020 = false;
        CalDialog d;
        QCOMPARE(d.windowTitle(), QString("calibration"));
        QCOMPARE(d.size(), QSize(300, 320));
        QVERIFY(d.fastRadio->isChecked());
        QVERIFY(!d.normalRadio->isChecked());
        QVERIFY(d.hdtvRadio->isChecked() && d.dciRadio->isChecked() && d.uhdtvRadio->isChecked());
        QVERIFY(d.cubeRadio->isChecked());
        QVERIFY(!d.cubeRadio->isEnabled());
        QVERIFY(!d.lut3dRadio->isChecked());
        QCOMPARE(d.cubeSizeSpin->value(), 16);
        // Opening sets the flags from the store.
        QVERIFY(CalibrateMonitor::rec709 && CalibrateMonitor::dci && CalibrateMonitor::rec2020);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.grab().save(QDir(testenv::artifactDir()).filePath("calibration_options.png"));
        // The dialog's size is fixed: every choice still shows whole inside its group.
        for (QRadioButton* r : d.findChildren<QRadioButton*>()) {
            QVERIFY2(r->height() >= r->sizeHint().height(), qPrintable(QString("%1 %2 %3").arg(r->text()).arg(r->height()).arg(r->sizeHint().height())));
            QVERIFY2(r->parentWidget()->rect().contains(r->geometry()), qPrintable(r->text()));
        }
    }

    void optionsStoredAndShownAgain_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::addColumn<QVector<bool>>("spaces");
        QTest::addColumn<bool>("lut3d");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("normal, DCIP3 only, 3dlut, 64") << false << QVector<bool>{false, true, false} << true << 64 << 64;
        QTest::newRow("fast, no space at all") << true << QVector<bool>{false, false, false} << false << 16 << 16;
        QTest::newRow("a size above 256 shows 256") << true << QVector<bool>{true, false, true} << false << 300 << 256;
        QTest::newRow("a size below 16 shows 16") << true << QVector<bool>{true, true, true} << false << 3 << 16;
    }
    void optionsStoredAndShownAgain()
    {
        QFETCH(bool, fast);
        QFETCH(QVector<bool>, spaces);
        QFETCH(bool, lut3d);
        QFETCH(int, stored);
        QFETCH(int, shown);
        platform::writeSetting("calibrate", "cubesize", stored);
        {
            CalDialog d;
            d.show();
            QVERIFY(QTest::qWaitForWindowExposed(&d));
            QCOMPARE(d.cubeSizeSpin->value(), shown);
            QTest::mouseClick(fast ? d.fastRadio : d.normalRadio, Qt::LeftButton);
            QRadioButton* const spaceButtons[3] = {d.hdtvRadio, d.dciRadio, d.uhdtvRadio};
            for (int i = 0; i < 3; ++i)
                if (spaceButtons[i]->isChecked() != spaces[i])
                    QTest::mouseClick(spaceButtons[i], Qt::LeftButton);
            if (d.lut3dRadio->isChecked() != lut3d)
                QTest::mouseClick(d.lut3dRadio, Qt::LeftButton);
            QTest::mouseClick(d.cubeRadio, Qt::LeftButton);  // disabled: stays checked
            QVERIFY(d.cubeRadio->isChecked());
            QCOMPARE(d.fastRadio->isChecked(), fast);
            QCOMPARE(d.normalRadio->isChecked(), !fast);
            for (QPushButton* b : d.findChildren<QPushButton*>())
                if (b->text() == "OK")
                    QTest::mouseClick(b, Qt::LeftButton);
            QCOMPARE(d.result(), int(QDialog::Accepted));
        }
        QCOMPARE(platform::readSetting("calibrate", "fast").toBool(), fast);
        QCOMPARE(platform::readSetting("calibrate", "rec709").toBool(), spaces[0]);
        QCOMPARE(platform::readSetting("calibrate", "dci").toBool(), spaces[1]);
        QCOMPARE(platform::readSetting("calibrate", "rec2020").toBool(), spaces[2]);
        QCOMPARE(platform::readSetting("calibrate", "lut3d").toBool(), lut3d);
        QCOMPARE(platform::readSetting("calibrate", "cubesize").toInt(), shown);
        QCOMPARE(bool(CalibrateMonitor::rec709), spaces[0]);
        QCOMPARE(bool(CalibrateMonitor::dci), spaces[1]);
        QCOMPARE(bool(CalibrateMonitor::rec2020), spaces[2]);
        QCOMPARE(CalibrateMonitor::hasTarget(), spaces[0] || spaces[1] || spaces[2]);

        CalDialog again;
        QCOMPARE(again.fastRadio->isChecked(), fast);
        QCOMPARE(again.hdtvRadio->isChecked(), spaces[0]);
        QCOMPARE(again.dciRadio->isChecked(), spaces[1]);
        QCOMPARE(again.uhdtvRadio->isChecked(), spaces[2]);
        QCOMPARE(again.lut3dRadio->isChecked(), lut3d);
    }

    void optionsCancelStoresNothingAndChoosesNoSpace()
    {
        platform::writeSetting("calibrate", "dci", false);
        {
            CalDialog d;
            d.show();
            QVERIFY(QTest::qWaitForWindowExposed(&d));
            QTest::mouseClick(d.normalRadio, Qt::LeftButton);
            QTest::mouseClick(d.dciRadio, Qt::LeftButton);
            QTest::keyClick(&d, Qt::Key_Escape);
            QCOMPARE(d.result(), int(QDialog::Rejected));
        }
        QVERIFY(!CalibrateMonitor::hasTarget());
        QVERIFY(!platform::readSetting("calibrate", "fast").isValid());
        QCOMPARE(platform::readSetting("calibrate", "dci").toBool(), false);
        CalDialog again;
        QVERIFY(again.fastRadio->isChecked());
        QVERIFY(!again.dciRadio->isChecked());
    }

    // ---- sensor calibration ---------------------------------------------------------------

    void opensWithTheSensorsMatrix()
    {
        {
            CalibrateDialog d(m_measure.get());
            QCOMPARE(d.windowTitle(), QString("Sensor Calibration"));
            QCOMPARE(rowTexts(d.matrixTable, 0), (QStringList{"1.00000", "0.00000", "0.00000"}));
            QCOMPARE(rowTexts(d.matrixTable, 2), (QStringList{"0.00000", "0.00000", "1.00000"}));
            for (int r = 0; r < 4; ++r)
                QCOMPARE(rowTexts(d.sensorTable, r), (QStringList{"", "", ""}));
        }
        m_sensor->correction(0, 1) = 0.123456;
        CalibrateDialog d(m_measure.get());
        QCOMPARE(d.matrixTable->item(0, 1)->text(), QString("0.12346"));
    }

    void readingFillsTheCheckedRow()
    {
        CalibrateDialog d(m_measure.get());
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.doMeasure();  // nothing checked: a reading, no row
        QCOMPARE(m_sensor->readings(), 1);
        for (int r = 0; r < 4; ++r)
            QCOMPARE(rowTexts(d.sensorTable, r), (QStringList{"", "", ""}));
        QTest::mouseClick(d.whiteButton, Qt::LeftButton);
        // The button is off while its reading runs.
        bool enabledDuringReading = true;
        m_sensor->onReading = [&](int) { enabledDuringReading = d.measureButton->isEnabled(); };
        QTest::mouseClick(d.measureButton, Qt::LeftButton);
        QVERIFY(!enabledDuringReading);
        QVERIFY(d.measureButton->isEnabled());
        // Reading 2: X 2, Y 20, Z 200, uncorrected.
        QCOMPARE(rowTexts(d.sensorTable, 3), (QStringList{"2.00000", "20.00000", "200.00000"}));
        QCOMPARE(rowTexts(d.sensorTable, 0), (QStringList{"", "", ""}));
    }

    void swatchFollowsTheColour_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("none") << "" << QColor(37, 37, 37);
        QTest::newRow("red") << "Red" << QColor(127, 0, 0);
        QTest::newRow("white") << "White" << QColor(127, 127, 127);
    }
    void swatchFollowsTheColour()
    {
        QFETCH(QString, button);
        QFETCH(QColor, colour);
        CalibrateDialog d(m_measure.get());
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        for (QRadioButton* b : {d.redButton, d.greenButton, d.blueButton, d.whiteButton})
            if (b->text() == button)
                QTest::mouseClick(b, Qt::LeftButton);
        const QImage shot = d.grab().toImage();
        if (button == "White")
            shot.save(QDir(testenv::artifactDir()).filePath("sensor_calibration.png"));
        QCOMPARE(QColor(shot.pixel(d.width() / 2, d.height() - 10)), colour);
    }

    // The values are readable on the dark tables: typed reference values, the readings and the
    // matrix (the last two in tables the operator cannot edit). 4.5 is the contrast asked of
    // body text for good eyesight and bad.
    void valuesAreReadable()
    {
        CalibrateDialog d(m_measure.get());
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        for (int row = 0; row < 4; ++row) {
            setRow(d.sensorTable, row, kSensor[row][0], kSensor[row][1], kSensor[row][2]);
            setRow(d.referenceTable, row, kSensor[row][0] * 1.1, kSensor[row][1], kSensor[row][2]);
        }
        // A value typed in, its editor still open on the next cell.
        d.referenceTable->setCurrentCell(0, 1);
        d.referenceTable->editItem(d.referenceTable->item(0, 1));
        QTRY_VERIFY(d.referenceTable->findChild<QLineEdit*>());
        QLineEdit* editor = d.referenceTable->findChild<QLineEdit*>();
        editor->selectAll();
        QTest::keyClicks(editor, "12.5");
        d.grab().save(QDir(testenv::artifactDir()).filePath("sensor_calibration_values.png"));
        const struct
        {
            QTableWidget* table;
            int row, col;
            const char* what;
        } cells[] = {{d.referenceTable, 2, 0, "reference value"},
                     {d.sensorTable, 2, 0, "sensor value"},
                     {d.matrixTable, 1, 1, "matrix"}};
        for (const auto& c : cells) {
            const double k = cellTextContrast(c.table, c.row, c.col);
            QVERIFY2(k >= 4.5, qPrintable(QString("%1: contrast %2").arg(c.what).arg(k)));
        }
        // The editor's right end holds no text.
        const QImage typed = editor->grab().toImage();
        const double k = textContrast(typed, QPoint(typed.width() - 3, typed.height() / 2));
        QVERIFY2(k >= 4.5, qPrintable(QString("value being typed: contrast %1").arg(k)));
    }

    // A correction K known in advance: the reference values are K times the sensor values, so
    // the computed matrix is K, it goes into the instrument and corrects every later reading.
    void calibrateStoresTheMatrix()
    {
        Matrix K(0.0, 3, 3);
        const double k[3][3] = {{1.05, 0.02, -0.01}, {0.03, 0.97, 0.0}, {-0.02, 0.01, 1.1}};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                K(i, j) = k[i][j];
        CalibrateDialog d(m_measure.get());
        for (int row = 0; row < 4; ++row) {
            setRow(d.sensorTable, row, kSensor[row][0], kSensor[row][1], kSensor[row][2]);
            double ref[3];
            for (int i = 0; i < 3; ++i)
                ref[i] = k[i][0] * kSensor[row][0] + k[i][1] * kSensor[row][1] + k[i][2] * kSensor[row][2];
            setRow(d.referenceTable, row, ref[0], ref[1], ref[2]);
        }
        MessageRecorder boxes;
        QTest::mouseClick(d.calibrateButton, Qt::LeftButton);
        QCOMPARE(boxes.count(), 0);
        QVERIFY(m_measure->matrixCalibrated());
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                QVERIFY(std::fabs(m_sensor->correction(i, j) - k[i][j]) < 1e-9);
                QCOMPARE(d.matrixTable->item(i, j)->text(), QString("%1").arg(k[i][j], 1, 'f', 5));
            }
        const CColor corrected = m_sensor->GetColor();  // raw (1, 10, 100)
        QVERIFY(std::fabs(corrected[0] - (1.05 * 1 + 0.02 * 10 - 0.01 * 100)) < 1e-9);

        QTest::mouseClick(d.resetButton, Qt::LeftButton);
        QVERIFY(!m_measure->matrixCalibrated());
        QCOMPARE(rowTexts(d.matrixTable, 1), (QStringList{"0.00000", "1.00000", "0.00000"}));
        const CColor raw = m_sensor->GetColor();  // reading 2, uncorrected
        QCOMPARE(raw[2], 200.0);
    }

    void calibrateRefuses_data()
    {
        QTest::addColumn<QString>("edit");  // what differs from a complete, valid pair of tables
        QTest::addColumn<QString>("message");
        QTest::newRow("both tables empty") << "empty" << "Invalid sensor value at 1 row 1col!";
        QTest::newRow("reference table empty") << "no reference" << "Invalid reference value at 1 row 1col!";
        QTest::newRow("reference white Z missing") << "ref 3 2 " << "Invalid reference value at 4 row 3col!";
        QTest::newRow("sensor white Y missing") << "sensor 3 1 " << "Invalid sensor value at 4 row 2col!";
        QTest::newRow("decimal comma") << "ref 1 2 0,25" << "Invalid reference value at 2 row 3col!";
        QTest::newRow("words") << "sensor 2 0 many" << "Invalid sensor value at 3 row 1col!";
        QTest::newRow("reference row of zeros") << "ref zero row" << "Abnormal matrix!";
        QTest::newRow("a failed reading") << "sensor null" << "Invalid sensor reading!";
        QTest::newRow("sensor primaries in one plane") << "sensor singular" << "Abnormal sensor matrix!";
        QTest::newRow("reference white 0 0 0") << "ref white zero" << "Abnormal reference white!";
        QTest::newRow("reference white negated") << "ref white negated" << "Abnormal reference white!";
        QTest::newRow("reference white between red and green")
            << "ref white in a face" << "Abnormal reference white!";
        QTest::newRow("reference white not a number") << "ref 3 1 nan" << "Abnormal reference white!";
        QTest::newRow("sensor white negated") << "sensor white negated" << "Abnormal sensor white!";
        QTest::newRow("sensor white 0 0 0") << "sensor white zero" << "Abnormal sensor white!";
        QTest::newRow("sensor beside the swatch: readings barely differ")
            << "sensor alike" << "The sensor values of red, green and blue barely differ. Is the sensor on the colour patch?";
    }
    void calibrateRefuses()
    {
        QFETCH(QString, edit);
        QFETCH(QString, message);
        m_sensor->correction(1, 1) = 2.0;
        CalibrateDialog d(m_measure.get());
        if (edit != "empty")
            for (int row = 0; row < 4; ++row) {
                setRow(d.sensorTable, row, kSensor[row][0], kSensor[row][1], kSensor[row][2]);
                if (edit != "no reference")
                    setRow(d.referenceTable, row, kSensor[row][0] * 1.1, kSensor[row][1], kSensor[row][2]);
            }
        const QStringList parts = edit.split(' ');
        if ((parts[0] == "ref" || parts[0] == "sensor") && parts.size() == 4)
            (parts[0] == "ref" ? d.referenceTable : d.sensorTable)
                ->item(parts[1].toInt(), parts[2].toInt())->setText(parts[3]);
        if (edit == "ref zero row")
            setRow(d.referenceTable, 1, 0, 0, 0);
        if (edit == "sensor null")
            setRow(d.sensorTable, 2, -99999.99, -99999.99, -99999.99);
        if (edit == "sensor singular")
            setRow(d.sensorTable, 2, kSensor[0][0] + kSensor[1][0], kSensor[0][1] + kSensor[1][1],
                   kSensor[0][2] + kSensor[1][2]);
        if (edit == "ref white zero")
            setRow(d.referenceTable, 3, 0, 0, 0);
        if (edit == "ref white negated")
            setRow(d.referenceTable, 3, -kSensor[3][0] * 1.1, -kSensor[3][1], -kSensor[3][2]);
        if (edit == "ref white in a face") // the reference red plus green, as the rows above hold them
            setRow(d.referenceTable, 3, (kSensor[0][0] + kSensor[1][0]) * 1.1,
                   kSensor[0][1] + kSensor[1][1], kSensor[0][2] + kSensor[1][2]);
        if (edit == "sensor white negated")
            setRow(d.sensorTable, 3, -kSensor[3][0], -kSensor[3][1], -kSensor[3][2]);
        if (edit == "sensor white zero")
            setRow(d.sensorTable, 3, 0, 0, 0);
        if (edit == "sensor alike") {
            setRow(d.sensorTable, 0, 20.0, 21.0, 23.0);
            setRow(d.sensorTable, 1, 20.2, 21.1, 23.4);
            setRow(d.sensorTable, 2, 20.1, 21.4, 22.9);
        }
        MessageRecorder boxes;
        QTest::mouseClick(d.calibrateButton, Qt::LeftButton);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Error"));
        QCOMPARE(boxes.last().text, message);
        QCOMPARE(boxes.last().informativeText, QString());
        // Nothing changed.
        QCOMPARE(m_sensor->correction(1, 1), 2.0);
        QCOMPARE(m_sensor->correction(0, 0), 1.0);
        QVERIFY(!m_measure->matrixCalibrated());
        QCOMPARE(d.matrixTable->item(1, 1)->text(), QString("2.00000"));
    }

    void acceptedNumberForms()
    {
        CalibrateDialog d(m_measure.get());
        for (int row = 0; row < 4; ++row) {
            setRow(d.sensorTable, row, kSensor[row][0], kSensor[row][1], kSensor[row][2]);
            setRow(d.referenceTable, row, kSensor[row][0], kSensor[row][1], kSensor[row][2]);
        }
        d.sensorTable->item(3, 0)->setText(" 91 ");
        d.referenceTable->item(3, 0)->setText("9.1e1");
        MessageRecorder boxes;
        QTest::mouseClick(d.calibrateButton, Qt::LeftButton);
        QCOMPARE(boxes.count(), 0);
        // Equal tables: the identity, up to rounding.
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                QVERIFY(std::fabs(m_sensor->correction(i, j) - (i == j ? 1.0 : 0.0)) < 1e-9);
    }

    void withoutASensorNothingCanBePressed()
    {
        m_measure->detachSensor();
        CalibrateDialog d(m_measure.get());
        QVERIFY(!d.measureButton->isEnabled());
        QVERIFY(!d.calibrateButton->isEnabled());
        QVERIFY(!d.resetButton->isEnabled());
        QCOMPARE(rowTexts(d.matrixTable, 0), (QStringList{"1.00000", "0.00000", "0.00000"}));
        d.doMeasure();
        d.doCalibrate();
        d.doReset();  // no instrument to touch: nothing happens
    }

private:
    std::unique_ptr<Measure> m_measure;
    ZeroDelaySensor* m_sensor = nullptr;
};

QV_TEST_MAIN_WIDGETS(TestCalibrationDialogs)
#include "tst_calibrationdialogs.moc"
