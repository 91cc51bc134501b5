// Which patch lists the detailed PDF report prints, read back with poppler-utils: only lists
// complete enough get a table page, and a longer imported list prints the set's own patches with
// its frame still on the sheet. Renders are kept as test artefacts.

#include "reportfixture.h"

using namespace reportcheck;

class TestReportPatchLists : public ReportFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void patchTablePagesNeedCompleteLists_data()
    {
        QTest::addColumn<int>("colorType");
        QTest::addColumn<int>("saturation");
        QTest::addColumn<int>("colourScale");
        QTest::addColumn<int>("checker");
        QTest::addColumn<int>("ebu");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("all complete, colour checker chosen")
            << 0 << 31 << 31 << 19 << 16 << QStringList{"Saturation", "ColorScale", "ColorChecker"};
        QTest::newRow("all complete, EBU chosen")
            << 1 << 31 << 31 << 19 << 16 << QStringList{"Saturation", "ColorScale", "EBUColor"};
        QTest::newRow("one patch short each") << 0 << 30 << 30 << 18 << 15 << QStringList{};
        QTest::newRow("EBU chosen, only the checker complete") << 1 << 0 << 0 << 19 << 15 << QStringList{};
        QTest::newRow("saturation short: colour scale follows the title page")
            << 0 << 30 << 31 << 0 << 0 << QStringList{"ColorScale"};
    }

    void patchTablePagesNeedCompleteLists()
    {
        QFETCH(int, colorType);
        QFETCH(int, saturation);
        QFETCH(int, colourScale);
        QFETCH(int, checker);
        QFETCH(int, ebu);
        QFETCH(QStringList, titles);
        platform::writeSetting("measure", "colortype", colorType);
        const QList<CColor> sat = patchRun(withWhite(measure->satTargets()));
        measure->setResults(Measure::SaturationResults, sat.mid(0, saturation));
        measure->setResults(Measure::ColorScaleResults, sat.mid(0, colourScale));
        measure->setResults(Measure::ColorCheckerResults, patchRun(measure->colorChkTargets()).mid(0, checker));
        measure->setResults(Measure::EbuResults, patchRun(measure->ebuTargets()).mid(0, ebu));
        exportNow();
        QCOMPARE(pageCount(detail()), 1 + titles.size());
        for (int k = 0; k < titles.size(); ++k)
            QVERIFY2(pageText(detail(), 2 + k).contains(titles[k]), qPrintable(titles[k]));
    }

    void importedLongSaturationListPrintsItsThirtyPatches()
    {
        QList<CColor> list = patchRun(withWhite(measure->satTargets()));
        while (list.size() < 40)
            list << list[5];
        measure->setResults(Measure::SaturationResults, list);
        exportNow();
        QCOMPARE(pageCount(detail()), 2);
        const QString text = pageText(detail(), 2);
        QCOMPARE(text.count("Red 100%"), 1);
        QVERIFY(text.contains("Cyan 100%"));
        // The frame stays where 30 rows put it, on the sheet.
        const QImage page = renderPage(detail(), 2, "reports_detail_long_saturation");
        QVERIFY(hasVerticalLine(page, 1000, 10100 + 400, 10100 + 2900));
        QCOMPARE(inkInside(page, QRect(0, 10100 + 3000, 9900, 900)), 0.0);
    }
};

QV_TEST_MAIN_APPLICATION(TestReportPatchLists)
#include "tst_reports_patchlists.moc"
