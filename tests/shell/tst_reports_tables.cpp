// The gray-scale tables of the detailed PDF report, read back with poppler-utils: the title and
// gray pages, the gray run complete enough to print them, and a long gray table that goes on over
// the next sheets. Renders are kept as test artefacts; a page's frames must close on the sheet.
// The patch tables are in tst_reports_patchtables.cpp and tst_reports_patchlists.cpp.

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
};

QV_TEST_MAIN_APPLICATION(TestReportTables)
#include "tst_reports_tables.moc"
