// The gamut page of the detailed PDF report, read back with poppler-utils: its table and charts
// for each reference and diagram, and the patches it needs (the summary's gamut chart shown in
// either case). Renders are kept as test artefacts; the lowest frame line of a page must still be
// on the sheet.

#include "reportfixture.h"

using namespace reportcheck;

class TestReportsGamut : public ReportFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void gamutPageOfTheDetailedReport_data()
    {
        QTest::addColumn<int>("colorspace");
        QTest::addColumn<int>("ciechart");
        QTest::addColumn<bool>("tolerance");
        QTest::newRow("Rec709 on CIE 1976: dE2000 and tolerance") << 2 << 1 << true;
        QTest::newRow("Rec709 on CIE 1931: one dE2000 frame") << 2 << 0 << false;
        QTest::newRow("BT2020 on CIE 1976: one dE2000 frame") << 3 << 1 << false;
    }

    void gamutPageOfTheDetailedReport()
    {
        QFETCH(int, colorspace);
        QFETCH(int, ciechart);
        QFETCH(bool, tolerance);
        setReference(colorspace, 0, ciechart);
        measure->setResults(Measure::GamutResults, gamutRun(StandardHdtvRec709));
        exportNow();

        QCOMPARE(pageCount(detail()), 2);
        const QString text = pageText(detail(), 2);
        QVERIFY2(text.contains("Gamut"), qPrintable(text));
        QVERIFY(text.contains("Reference: " + ColorReference(colorspace).standardName));
        QVERIFY(text.contains("X Y Z x y u v L a b dE2000"));
        // Rows W .. M in list order, two decimals; "u" and "v" are u' and v'.
        const QStringList rows = {"W 95.05 100.00 108.90 0.31 0.33 0.20 0.47 100.00",
                                  "R 41.24 21.27 1.93 0.64 0.33 0.45 0.52 53.2",
                                  "G 35.76 71.52 11.92 0.30 0.60 0.13 0.56 87.7",
                                  "B 18.05 7.22 95.04 0.15 0.06 0.18 0.16 32.30",
                                  "Y 77.00 92.78 13.85 0.42 0.51 0.20 0.55 97.14",
                                  "C 53.80 78.73 106.96 0.22 0.33 0.14 0.46 91.11",
                                  "M 59.29 28.48 96.98 0.32 0.15 0.31 0.33 60.32"};
        int at = 0;
        for (const QString& row : rows) {
            const int found = text.indexOf(QRegularExpression("(?m)^ ?" + QRegularExpression::escape(row)), at);
            QVERIFY2(found >= at, qPrintable(row + "\n" + text));
            at = found;
        }
        QCOMPARE(text.contains("Tolerance"), tolerance);

        const QImage page = renderPage(detail(), 2, QString("reports_detail_gamut_%1_%2")
                                                        .arg(colorspace)
                                                        .arg(ciechart));
        // The gamut frame below the table (yEnd 3900), the diagram copied into it.
        QVERIFY(hasHorizontalLine(page, 2400, 7100, 4000));
        QVERIFY(inkInside(page, QRect(2400, 4000, 4700, 4700)) > 0.3);
        // The lower frames close at 13 800, on the sheet.
        if (tolerance) {
            QVERIFY(hasHorizontalLine(page, 50, 4750, 13800));
            QVERIFY(hasHorizontalLine(page, 4850, 9550, 13800));
            QVERIFY(inkInside(page, QRect(4850, 9100, 4700, 4700)) > 0.002);
        } else {
            QVERIFY(hasHorizontalLine(page, 2400, 7100, 13800));
            QVERIFY(!hasHorizontalLine(page, 50, 2300, 13800));
        }
    }

    void gamutPageNeedsAllSevenPatches_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("pages");
        QTest::newRow("six: title page only") << 6 << 1;
        QTest::newRow("seven: gamut page") << 7 << 2;
        QTest::newRow("ten from a file: gamut page") << 10 << 2;
    }

    void gamutPageNeedsAllSevenPatches()
    {
        QFETCH(int, entries);
        QFETCH(int, pages);
        QList<CColor> list = gamutRun(StandardHdtvRec709);
        while (list.size() < entries)
            list << list.at(list.size() - 7);
        measure->setResults(Measure::GamutResults, list.mid(0, entries));
        exportNow();
        QCOMPARE(pageCount(detail()), pages);
        if (pages == 2) {
            // A longer list prints the seven labelled rows.
            const QString text = pageText(detail(), 2);
            QCOMPARE(text.count(QRegularExpression("(?m)^ ?[WRGBYCM] \\d")), 7);
        }
        // The summary carries the gamut chart in either case.
        const QImage sum = renderPage(summary(), 1, QString("reports_summary_gamut_%1").arg(entries));
        QVERIFY(inkInside(sum, QRect(5150, 5800, 3500, 3500)) > 0.3);
    }
};

QV_TEST_MAIN_APPLICATION(TestReportsGamut)
#include "tst_reports_gamut.moc"
