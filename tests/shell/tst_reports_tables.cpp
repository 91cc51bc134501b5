// The tables of the detailed PDF report, read back with poppler-utils: the title and gray pages,
// the patch tables of saturation, colour scale, colour checker and EBU, the lists complete enough
// to print them, and a long gray table that goes on over the next sheets. Renders are kept as test
// artefacts; a page's frames must close on the sheet.

#include "reportfixture.h"

#include <QDate>

#include <limits>

using namespace reportcheck;

class TestReportTables : public ReportFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void grayPageOfTheDetailedReport()
    {
        attachSensor("CS-2000");
        measure->setResults(Measure::GrayResults, grayRun(20, 100, 0.08));
        exportNow();

        QCOMPARE(pageCount(detail()), 2);
        QCOMPARE(pageSize(detail()), kA4);
        const QString title = pageText(detail(), 1);
        QVERIFY(title.contains("Color Quality Report"));
        QVERIFY(title.contains("Sensor: CS-2000"));
        QVERIFY(title.contains("Date: " + QDate::currentDate().toString("yyyy/MM/dd")));
        QVERIFY(title.contains("Signature:__________"));
        QVERIFY(title.contains("S/N:______________"));

        const QString text = pageText(detail(), 2);
        QVERIFY2(text.contains("GrayScale"), qPrintable(text));
        QVERIFY(text.contains("Gamma: 2.22222"));
        QVERIFY(text.contains("WP: D65 CCT: 650"));
        QVERIFY(text.contains("ftL CCT X Y Z x y u v L a b dE2000"));
        // Row 1 is the black: 0.08 cd/m2 is 0.02 ftL; row 21 the white level again.
        QVERIFY(QRegularExpression("(?m)^ ?1 0\\.02 \\d+ 0\\.08 0\\.08 0\\.09 0\\.31 0\\.33 0\\.20 0\\.47 ")
                    .match(text)
                    .hasMatch());
        QVERIFY(QRegularExpression("(?m)^ ?21 29\\.19 \\d+ 95\\.05 100\\.00 108\\.88 0\\.31 0\\.33 ")
                    .match(text)
                    .hasMatch());
        QVERIFY(text.contains("Contrast: 1250"));
        QVERIFY(text.contains("dE2000 Gamma RGB Levels"));

        const QImage page = renderPage(detail(), 2, "reports_detail_gray");
        QCOMPARE(page.size(), QSize(827, 1170));
        // 21 rows end at 8100; the frames span 8800 .. 11300.
        QVERIFY(hasHorizontalLine(page, 650, 3150, 8800));
        QVERIFY(hasHorizontalLine(page, 6450, 8950, 11300));
        // The three charts are copied into their frames: grid, curves and markers leave ink.
        for (int left : {650, 3550, 6450})
            QVERIFY2(inkInside(page, QRect(left, 8800, 2500, 2500)) > 0.02,
                     qPrintable(QString::number(left)));
        // Nothing is drawn below the frames.
        QCOMPARE(inkInside(page, QRect(0, 11400, 9900, 2600)), 0.0);
    }

    void grayPageNeedsACompleteRun_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("pages");
        QTest::newRow("steps + 1 entries: title page only") << 20 << 21 << 1;
        QTest::newRow("steps + 2 entries: gray page") << 20 << 22 << 2;
        QTest::newRow("steps -1, white only: title page only") << -1 << 1 << 1;
        QTest::newRow("steps 0, white and black: gray page") << 0 << 2 << 2;
        QTest::newRow("steps at the int limit: title page only")
            << std::numeric_limits<int>::max() << 22 << 1;
    }

    void grayPageNeedsACompleteRun()
    {
        QFETCH(int, steps);
        QFETCH(int, entries);
        QFETCH(int, pages);
        platform::writeSetting("measure", "steps", steps);
        measure->setResults(Measure::GrayResults, grayRun(20).mid(0, entries));
        exportNow();
        QCOMPARE(pageCount(detail()), pages);
    }

    void longGrayTableContinuesOnTheNextSheet()
    {
        const int steps = 128;
        platform::writeSetting("measure", "steps", steps);
        measure->setResults(Measure::GrayResults, grayRun(steps));
        exportNow();

        const int pages = pageCount(detail());
        QVERIFY2(pages >= 4, qPrintable(QString::number(pages)));
        QString all;
        for (int p = 2; p <= pages; ++p) {
            const QString text = pageText(detail(), p);
            all += text;
            // Every sheet of the table repeats the column headers.
            if (p < pages || text.contains(QRegularExpression("(?m)^ ?129 ")))
                QVERIFY2(text.contains("ftL CCT X Y Z x y u v L a b dE2000"),
                         qPrintable(QString("page %1").arg(p)));
        }
        for (int row = 1; row <= steps + 1; ++row)
            QVERIFY2(QRegularExpression(QString("(?m)^ ?%1 \\d").arg(row)).match(all).hasMatch(),
                     qPrintable(QString::number(row)));
        QVERIFY(all.contains("Contrast: 400"));

        // Nothing is cut off: the charts' frames close on the last sheet.
        const QImage last = renderPage(detail(), pages, "reports_detail_gray_last");
        const QString lastText = pageText(detail(), pages);
        QVERIFY(lastText.contains("dE2000 Gamma RGB Levels"));
        bool closed = false;
        for (int y = 1100 + 700 + 2500; y < 14031 && !closed; y += 6)
            closed = hasHorizontalLine(last, 650, 3150, y) && hasHorizontalLine(last, 6450, 8950, y);
        QVERIFY(closed);
    }

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

QV_TEST_MAIN_APPLICATION(TestReportTables)
#include "tst_reports_tables.moc"
