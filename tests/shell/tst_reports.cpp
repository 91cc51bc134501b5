// The summary PDF report of the data export, read back with poppler-utils: the one-page summary
// (its page size, the printed key values, the last row of its charts) with and without a gray run,
// and its gamut charts. Renders are kept as test artefacts; the lowest frame line of a page must
// still be on the sheet. The gamut pages of the detailed report are in tst_reports_gamut.cpp.

#include "reportfixture.h"

#include <QDate>

using namespace reportcheck;

class TestReports : public ReportFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void summaryIsOneA4PageWithTheKeyValues()
    {
        attachSensor("K-10");
        measure->setResults(Measure::GrayResults, grayRun(20));
        exportNow();

        QCOMPARE(pageCount(summary()), 1);
        QCOMPARE(pageSize(summary()), kA4);
        const QString text = pageText(summary(), 1);
        QVERIFY2(text.contains("Color Quality Report"), qPrintable(text));
        QVERIFY(text.contains("Date: " + QDate::currentDate().toString("yyyy/MM/dd")));
        QVERIFY(text.contains("Sensor: K-10"));
        QVERIFY(text.contains("White: 100 cd/m2"));
        QVERIFY(text.contains("Black: 0.25 cd/m2"));
        QVERIFY(text.contains("Contrast: 400"));
        QVERIFY(text.contains("Gamma: 2.2"));
        QVERIFY(text.contains("Signature:"));

        const QImage page = renderPage(summary(), 1, "reports_summary");
        QCOMPARE(page.size(), QSize(827, 1170));
        // The lowest frame (gamut dE2000, one wide panel) and the signature line are on the sheet.
        QVERIFY(hasHorizontalLine(page, 900, 900 + 7750, 9650 + 3200));
        QVERIFY(hasHorizontalLine(page, 7600, 8750, 13500));
        // The logo ends above the serial-number line that starts below its right half.
        QVERIFY(whiteRowBetweenInk(page, 910, 980, 0, 1050));
    }

    void summaryWithoutAGrayRun()
    {
        exportNow();
        const QString text = pageText(summary(), 1);
        QVERIFY2(text.contains("White: 0 cd/m2"), qPrintable(text));
        QVERIFY(text.contains("Black: 0 cd/m2"));
        // No number after the contrast, and nothing after the sensor's colon.
        QVERIFY(QRegularExpression("Contrast:\\s*\\n").match(text).hasMatch());
        QVERIFY(QRegularExpression("Sensor:\\s*\\n").match(text).hasMatch());
        QCOMPARE(pageCount(detail()), 1);
        const QString title = pageText(detail(), 1);
        QVERIFY(title.contains("Color Quality Report"));
        QVERIFY(QRegularExpression("Sensor:\\s*\\n").match(title).hasMatch());
    }

    void lastRowOfTheSummary_data()
    {
        QTest::addColumn<int>("colorspace");
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<bool>("tolerance");
        QTest::newRow("Rec709 on CIE 1976: two panels") << 2 << 1 << true;
        QTest::newRow("Rec709 on CIE 1931: one wide panel") << 2 << 0 << false;
        QTest::newRow("DCI P3 on CIE 1976: one wide panel") << 5 << 1 << false;
    }

    void lastRowOfTheSummary()
    {
        QFETCH(int, colorspace);
        QFETCH(int, ciechart);
        QFETCH(bool, tolerance);
        setReference(colorspace, 0, ciechart);
        exportNow();
        QCOMPARE(pageText(summary(), 1).contains("Tolerance"), tolerance);
        const QImage page = renderPage(summary(), 1, QString("reports_summary_row_%1_%2")
                                                         .arg(colorspace)
                                                         .arg(ciechart));
        // The tolerance frame's bottom edge exists only with two panels; the gamut dE2000
        // frame's bottom edge runs under both.
        QCOMPARE(hasHorizontalLine(page, 5150, 5150 + 3500, 9650 + 3200), true);
        QCOMPARE(hasHorizontalLine(page, 4400, 5150, 9650 + 3200), !tolerance);
    }

    void blackOfZeroAndBt1886()
    {
        setReference(2, 1, 0);
        measure->setResults(Measure::GrayResults, grayRun(20, 100, 0));
        exportNow();
        const QString gray = pageText(detail(), 2);
        QVERIFY2(gray.contains("Contrast: 1e+19"), qPrintable(gray));
        QVERIFY(gray.contains("Gamma: ITU_BT1886"));
        const QString sum = pageText(summary(), 1);
        QVERIFY(sum.contains("Gamma: ITU_BT1886"));
        QVERIFY(QRegularExpression("Contrast:\\s*\\n").match(sum).hasMatch());
    }

    void gamutChartsOnTheSummary_data()
    {
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<bool>("tolerance");
        QTest::newRow("two panels") << 1 << true;
        QTest::newRow("one wide panel") << 0 << false;
    }

    void gamutChartsOnTheSummary()
    {
        QFETCH(int, ciechart);
        QFETCH(bool, tolerance);
        setReference(2, 0, ciechart);
        QList<CColor> list = gamutRun(StandardHdtvRec709);
        // A green far off its target: a tall bar in the gamut dE2000 chart.
        list[2] = CColor(20, 60, 30);
        list[2].levelG = 1;
        list[2].levelR = list[2].levelB = 0;
        measure->setResults(Measure::GamutResults, list);
        exportNow();
        const QImage sum = renderPage(summary(), 1, QString("reports_summary_gamut_panels_%1").arg(ciechart));
        QVERIFY(inkInside(sum, QRect(5150, 5800, 3500, 3500)) > 0.3);
        // The dE2000 chart spans both columns or only the left one.
        QCOMPARE(inkInside(sum, QRect(5150, 9650, 3500, 3200)) > 0.002, true);
        if (tolerance) {
            // The tolerance chart's quadrant cross runs through the middle of its cell.
            QVERIFY(inkInside(sum, QRect(5150, 9650, 3500, 3200)) < 0.3);
        }
    }
};

QV_TEST_MAIN_APPLICATION(TestReports)
#include "tst_reports.moc"
