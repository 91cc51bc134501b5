// The patch tables of the detailed PDF report, read back with poppler-utils: the pages of
// saturation, colour scale, colour checker and EBU, their first and last rows, their difference
// column and the chart below each table. Renders are kept as test artefacts; a page's frames must
// close on the sheet.

#include "reportfixture.h"

using namespace reportcheck;

class TestReportPatchTables : public ReportFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void patchTablePages_data()
    {
        QTest::addColumn<int>("which");     // 0 saturation, 1 colour scale, 2 checker, 3 EBU
        QTest::addColumn<int>("colorType");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("firstRow");
        QTest::addColumn<QString>("lastRow");
        QTest::addColumn<QString>("difference");
        QTest::addColumn<int>("rows");
        QTest::newRow("saturation") << 0 << 0 << "Saturation" << "Red 20%" << "Cyan 100%" << "dE2000" << 30;
        QTest::newRow("colour scale") << 1 << 0 << "ColorScale" << "Red 20%" << "Cyan 100%" << "dE2000" << 30;
        QTest::newRow("colour checker") << 2 << 0 << "ColorChecker" << "Dark Skin" << "Cyan" << "dE2000" << 18;
        QTest::newRow("EBU 3237") << 3 << 1 << "EBUColor" << "DarkSkin" << "MediumPurple" << "dE u*v*" << 15;
        QTest::newRow("colortype 2: colour checker") << 2 << 2 << "ColorChecker" << "Dark Skin" << "Cyan" << "dE2000" << 18;
    }

    void patchTablePages()
    {
        QFETCH(int, which);
        QFETCH(int, colorType);
        QFETCH(QString, title);
        QFETCH(QString, firstRow);
        QFETCH(QString, lastRow);
        QFETCH(QString, difference);
        QFETCH(int, rows);
        platform::writeSetting("measure", "colortype", colorType);
        QList<CColor> list;
        switch (which) {
        case 0:
            list = patchRun(withWhite(measure->satTargets()));
            measure->setResults(Measure::SaturationResults, list);
            break;
        case 1:
            list = patchRun(withWhite(measure->satTargets()), 0.05);
            measure->setResults(Measure::ColorScaleResults, list);
            break;
        case 2:
            list = patchRun(measure->colorChkTargets());
            measure->setResults(Measure::ColorCheckerResults, list);
            break;
        default:
            list = patchRun(measure->ebuTargets());
            measure->setResults(Measure::EbuResults, list);
            break;
        }
        exportNow();
        QCOMPARE(pageCount(detail()), 2);
        const QString text = pageText(detail(), 2);
        QVERIFY2(text.contains(title), qPrintable(text));
        QVERIFY(text.contains("X Y Z x y u' v' L a b " + difference));
        // First and last rows: the name, then X with two decimals.
        const auto rowOf = [&](const QString& name, const CColor& c) {
            return QRegularExpression(QString("(?m)^ ?%1 %2 %3 ")
                                          .arg(QRegularExpression::escape(name))
                                          .arg(c[0], 0, 'f', 2)
                                          .arg(c[1], 0, 'f', 2));
        };
        QVERIFY2(rowOf(firstRow, list[1]).match(text).hasMatch(), qPrintable(text));
        QVERIFY2(rowOf(lastRow, list.last()).match(text).hasMatch(), qPrintable(text));
        // The difference column is the set's own difference against the measured white.
        const double Yw = list[0][1];
        const double dE = which == 3 ? list[1].GetDeltaEuvTarget(Yw, 0) : list[1].GetDeltaE2000(Yw, 0);
        QVERIFY2(QRegularExpression(QString("(?m)^ ?%1 .* %2\\s*$")
                                        .arg(QRegularExpression::escape(firstRow))
                                        .arg(dE, 0, 'f', 2))
                     .match(text)
                     .hasMatch(),
                 qPrintable(QString::number(dE)));
        // yEnd = 1100 + 300 rows: the chart's frame spans yEnd + 400 .. yEnd + 2900.
        const int yEnd = 1100 + 300 * rows;
        const QImage page = renderPage(detail(), 2, QString("reports_detail_%1").arg(QTest::currentDataTag()).replace(' ', '_'));
        // (At this resolution the chart, 10 units inside, covers the frame's top and bottom lines.)
        QVERIFY(hasVerticalLine(page, 1000, yEnd + 400, yEnd + 2900));
        QVERIFY(hasVerticalLine(page, 8500, yEnd + 400, yEnd + 2900));
        QVERIFY(!hasVerticalLine(page, 1000, yEnd + 2950, yEnd + 3300));
        QVERIFY(inkInside(page, QRect(1000, yEnd + 400, 7500, 2500)) > 0.02);
        QCOMPARE(inkInside(page, QRect(0, yEnd + 3000, 9900, 14000 - yEnd - 3000)), 0.0);
    }
};

QV_TEST_MAIN_APPLICATION(TestReportPatchTables)
#include "tst_reports_patchtables.moc"
