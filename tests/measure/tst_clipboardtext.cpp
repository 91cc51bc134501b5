// The clipboard text of all results: its sections, columns and numbers, from the lists alone,
// and the engine's copy reaching the system clipboard.

#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "measure/clipboardtext.h"
#include "measure/measure.h"
#include "testenv.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

namespace {

CColor colour(double X, double Y, double Z, double level)
{
    CColor c(X, Y, Z);
    c.levelR = c.levelG = c.levelB = level;
    return c;
}

CColor colour(double X, double Y, double Z, double r, double g, double b)
{
    CColor c(X, Y, Z);
    c.levelR = r;
    c.levelG = g;
    c.levelB = b;
    return c;
}

SpectrumData spectrum(std::initializer_list<float> values)
{
    const QVector<float> v(values);
    return SpectrumData(380, 780, v.size(), v.constData());
}

// A gray scale of 2 steps (white, then levels 0, 1/2, 1), a gamut run, two EBU patches and two
// free readings whose spectra are short, the second shorter than the first.
ResultLists fixture()
{
    ResultLists l;
    l.gray = {colour(95.05, 100, 108.9, 1), colour(0.5, 0.52, 0.6, 0), colour(20.1, 21.4, 23.0, 0.5),
              colour(95.0, 99.9, 108.7, 1)};
    l.gamut = {colour(95.05, 100, 108.9, 1, 1, 1), colour(41.2, 21.3, 1.9, 1, 0, 0),
               colour(35.8, 71.5, 11.9, 0, 1, 0), colour(18.0, 7.2, 95.0, 0, 0, 1),
               colour(77.0, 92.8, 13.9, 1, 1, 0), colour(53.8, 78.7, 107.0, 0, 1, 1),
               colour(59.3, 28.5, 96.9, 1, 0, 1)};
    l.ebu = {colour(95.05, 100, 108.9, 1), colour(12.0, 10.0, 5.0, 0.5, 0.3, 0.2)};
    l.free = {colour(95.05, 100, 108.9, 1), colour(47.5, 50.0, 54.4, 1)};
    l.spectra = {spectrum({0.25f, 0.5f, 0.125f}), spectrum({1.5f, 2.0f})};
    return l;
}

// The fixture's text against the default reference (HDTV Rec709, D65), read by eye and kept.
const char kGolden[] =
    "Gray:\n"
    "\tCCT\tX\tY\tZ\tx\ty\tu'\tv'\tL\ta\tb\tdE2000\n"
    "\t6808\t0.5\t0.52\t0.6\t0.308642\t0.320988\t0.19802\t0.463366\t4.69712\t0.235787\t-0.482469\t0.590274\n"
    "\t6540\t20.1\t21.4\t23\t0.311628\t0.331783\t0.19605\t0.469642\t53.3845\t-1.18115\t0.522408\t1.83121\n"
    "\t6491\t95\t99.9\t108.7\t0.312912\t0.329051\t0.197958\t0.468379\t99.9613\t0.0844179\t0.0540166\t0.139017\n"
    "Gamut:\n"
    "\tX\tY\tZ\tx\ty\tu'\tv'\tL\ta\tb\tdE2000\n"
    "\t95.05\t100\t108.9\t0.312716\t0.329001\t0.197841\t0.468323\t100\t0.00538509\t-0.00180714\t0.00827577\n"
    "\t41.2\t21.3\t1.9\t0.639752\t0.330745\t0.449782\t0.523199\t53.2763\t79.7999\t67.5687\t0.223672\n"
    "\t35.8\t71.5\t11.9\t0.300336\t0.599832\t0.125175\t0.5625\t87.7274\t-86.0083\t83.2221\t0.0464992\n"
    "\t18\t7.2\t95\t0.14975\t0.0599002\t0.175182\t0.157664\t32.2579\t79.1235\t-107.899\t0.0489008\n"
    "\t77\t92.8\t13.9\t0.419162\t0.505171\t0.203879\t0.552856\t97.1464\t-21.5908\t94.3799\t0.0316628\n"
    "\t53.8\t78.7\t107\t0.224635\t0.328601\t0.138366\t0.455411\t91.0984\t-48.0269\t-14.1794\t0.0394292\n"
    "\t59.3\t28.5\t96.9\t0.321061\t0.154304\t0.30508\t0.329904\t60.3378\t98.2014\t-60.751\t0.0222841\n"
    "ColorEBU3237:\n"
    "\tX\tY\tZ\tx\ty\tu'\tv'\tL\ta\tb\tdE u*v*\n"
    "\t95.05\t100\t108.9\t0.312716\t0.329001\t0.197841\t0.468323\t100\t0.00538509\t-0.00180714\t0.00770395\n"
    "\t12\t10\t5\t0.444444\t0.37037\t0.271186\t0.508475\t37.8424\t18.7534\t21.215\t5.80174\n"
    "Free:\n"
    "\tCCT\tX\tY\tZ\tx\ty\tu'\tv'\tL\ta\tb\t\n"
    "\t6502\t95.05\t100\t108.9\t0.312716\t0.329001\t0.197841\t0.468323\t100\t0.00538509\t-0.00180714\n"
    "\t6502\t47.5\t50\t54.4\t0.312706\t0.329164\t0.197772\t0.468408\t76.0693\t-0.065325\t0.0471699\n"
    "Spectrum:\n"
    "\tMinWaveLength:380\tMaxWaveLength:780\tBandWidth:3\n"
    "\t0.25\t\t1.5\t\n"
    "\t0.5\t\t2\t\n"
    "\t0.125\t\t\t\n";

} // namespace

class TestClipboardText : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void goldenText();
    void sectionsLeftOutWhenTheirListIsTooShort_data();
    void sectionsLeftOutWhenTheirListIsTooShort();
    void columnLinesAndRowEnds_data();
    void columnLinesAndRowEnds();
    void chromaticityColumnsFollowTheFormulas();
    void grayRowsUseWhiteAndBlackAsTheirLimits();
    void nullColourIsListedLikeAnyOther();
    void spectraShorterThanTheFirstLeaveEmptyCells();
    void referenceChangeChangesOnlyLabAndDifferences();
    void copyPutsTheEngineSnapshotOnTheClipboard();
};

void TestClipboardText::init()
{
    setCurrentColorReference(nullptr);
}

void TestClipboardText::goldenText()
{
    const QString text = resultsClipboardText(fixture());
    if (text != QString::fromLatin1(kGolden))
        qInfo().noquote() << text;
    QCOMPARE(text, QString::fromLatin1(kGolden));
}

void TestClipboardText::sectionsLeftOutWhenTheirListIsTooShort_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("heading"); // empty: no section at all
    QTest::newRow("nothing measured: empty text") << "none" << 0 << "";
    QTest::newRow("gray holding only its white") << "gray" << 1 << "";
    QTest::newRow("gray with white and black") << "gray" << 2 << "Gray:";
    QTest::newRow("gamut of one") << "gamut" << 1 << "Gamut:";
    QTest::newRow("saturation of one") << "saturation" << 1 << "Saturation:";
    QTest::newRow("colour scale of one") << "colorScale" << 1 << "ColorScale:";
    QTest::newRow("colour checker of one") << "colorChecker" << 1 << "ColorChecker:";
    QTest::newRow("EBU of one") << "ebu" << 1 << "ColorEBU3237:";
    QTest::newRow("free of one") << "free" << 1 << "Free:";
}

void TestClipboardText::sectionsLeftOutWhenTheirListIsTooShort()
{
    QFETCH(QString, list);
    QFETCH(int, entries);
    QFETCH(QString, heading);
    ResultLists l;
    QList<CColor> colours;
    for (int i = 0; i < entries; ++i)
        colours << colour(10 + i, 11 + i, 12 + i, 1);
    QList<CColor>* target = list == "gray"           ? &l.gray
                            : list == "gamut"        ? &l.gamut
                            : list == "saturation"   ? &l.saturation
                            : list == "colorScale"   ? &l.colorScale
                            : list == "colorChecker" ? &l.colorChecker
                            : list == "ebu"          ? &l.ebu
                                                     : &l.free;
    if (list != "none")
        *target = colours;
    const QString text = resultsClipboardText(l);
    if (heading.isEmpty()) {
        QCOMPARE(text, QString());
        return;
    }
    const QStringList lines = text.split('\n');
    QCOMPARE(lines.first(), heading);
    // Heading, column line, one row per listed entry, and the empty piece after the last "\n".
    QCOMPARE(lines.size(), 2 + (list == "gray" ? entries - 1 : entries) + 1);
    QCOMPARE(lines.last(), QString());
}

void TestClipboardText::columnLinesAndRowEnds_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<int>("fields"); // fields of a row, each after one tab
    QTest::newRow("gray: CCT and dE2000")
        << "gray" << "\tCCT\tX\tY\tZ\tx\ty\tu'\tv'\tL\ta\tb\tdE2000" << 12;
    QTest::newRow("colour checker: dE2000, no CCT")
        << "colorChecker" << "\tX\tY\tZ\tx\ty\tu'\tv'\tL\ta\tb\tdE2000" << 11;
    QTest::newRow("EBU: dE u*v*") << "ebu" << "\tX\tY\tZ\tx\ty\tu'\tv'\tL\ta\tb\tdE u*v*" << 11;
    QTest::newRow("free: a tab before the line feed, no difference")
        << "free" << "\tCCT\tX\tY\tZ\tx\ty\tu'\tv'\tL\ta\tb\t" << 11;
}

void TestClipboardText::columnLinesAndRowEnds()
{
    QFETCH(QString, list);
    QFETCH(QString, columns);
    QFETCH(int, fields);
    ResultLists l;
    const QList<CColor> two = {colour(95.05, 100, 108.9, 1), colour(20, 21, 23, 0.5)};
    if (list == "gray")
        l.gray = two;
    else if (list == "colorChecker")
        l.colorChecker = two;
    else if (list == "ebu")
        l.ebu = two;
    else
        l.free = two;
    const QStringList lines = resultsClipboardText(l).split('\n');
    QCOMPARE(lines.at(1), columns);
    const QString row = lines.at(2);
    QVERIFY(row.startsWith('\t'));
    QVERIFY(!row.endsWith('\t'));
    QCOMPARE(row.count('\t'), fields);
}

void TestClipboardText::chromaticityColumnsFollowTheFormulas()
{
    ResultLists l;
    l.gamut = {colour(45.21, 47.58, 51.93, 1)};
    const QStringList f = resultsClipboardText(l).split('\n').at(2).split('\t');
    const double X = 45.21, Y = 47.58, Z = 51.93;
    QCOMPARE(f.at(1), QString("45.21"));
    QCOMPARE(f.at(2), QString("47.58"));
    QCOMPARE(f.at(3), QString("51.93"));
    QCOMPARE(f.at(4), QString::number(X / (X + Y + Z), 'g', 6));
    QCOMPARE(f.at(5), QString::number(Y / (X + Y + Z), 'g', 6));
    QCOMPARE(f.at(6), QString::number(4 * X / (X + 15 * Y + 3 * Z), 'g', 6));
    QCOMPARE(f.at(7), QString::number(9 * Y / (X + 15 * Y + 3 * Z), 'g', 6));
    QCOMPARE(f.at(4), QString("0.312396"));
    QCOMPARE(f.at(7), QString("0.468153"));
    // The section's own white (entry 0) is its L* 100.
    QCOMPARE(f.at(8), QString("100"));
}

void TestClipboardText::grayRowsUseWhiteAndBlackAsTheirLimits()
{
    // The black row measures exactly its own target (Ymin is its Y), so its dE2000 is 0; the
    // gray section never lists its white.
    ResultLists l;
    l.gray = {colour(95.05, 100, 108.9, 1), colour(0.95, 1.0, 1.089, 0)};
    const QStringList lines = resultsClipboardText(l).split('\n');
    QCOMPARE(lines.size(), 4);
    const QStringList f = lines.at(2).split('\t');
    QCOMPARE(f.at(2), QString("0.95"));
    QCOMPARE(f.last(), QString::number(l.gray[1].GetDeltaE2000(100, 1.0), 'g', 6));
    QCOMPARE(f.at(9), QString::number(l.gray[1].toLab(100)[0], 'g', 6));
}

void TestClipboardText::nullColourIsListedLikeAnyOther()
{
    ResultLists l;
    l.free = {colour(95.05, 100, 108.9, 1), CColor(nullColor)};
    const QStringList f = resultsClipboardText(l).split('\n').at(3).split('\t');
    QCOMPARE(f.at(1), QString("12001"));
    for (int i = 2; i <= 11; ++i)
        QCOMPARE(f.at(i), QString("-100000"));
}

void TestClipboardText::spectraShorterThanTheFirstLeaveEmptyCells()
{
    ResultLists l;
    l.spectra = {spectrum({0.25f, 0.5f, 0.125f}), spectrum({1.5f}), spectrum({3.0f, 4.0f, 5.0f})};
    const QString text = resultsClipboardText(l);
    QCOMPARE(text, QString("Spectrum:\n"
                           "\tMinWaveLength:380\tMaxWaveLength:780\tBandWidth:3\n"
                           "\t0.25\t\t1.5\t\t3\t\n"
                           "\t0.5\t\t\t\t4\t\n"
                           "\t0.125\t\t\t\t5\t\n"));

    // A first spectrum without values leaves only the two heading lines.
    l.spectra = {SpectrumData(0, 0, 0), spectrum({1.0f})};
    QCOMPARE(resultsClipboardText(l),
             QString("Spectrum:\n\tMinWaveLength:0\tMaxWaveLength:0\tBandWidth:0\n"));
}

void TestClipboardText::referenceChangeChangesOnlyLabAndDifferences()
{
    ResultLists l;
    l.gamut = {colour(95.05, 100, 108.9, 1, 1, 1), colour(41.2, 21.3, 1.9, 1, 0, 0)};
    const QStringList before = resultsClipboardText(l).split('\n').at(3).split('\t');
    setCurrentColorReference(std::make_shared<ColorReference>(ColorStandard(0), 6, 2.4));
    const QStringList after = resultsClipboardText(l).split('\n').at(3).split('\t');
    QCOMPARE(after.mid(0, 8), before.mid(0, 8)); // empty, X, Y, Z, x, y, u', v'
    QVERIFY(after.at(9) != before.at(9));        // a*
    QVERIFY(after.at(11) != before.at(11));      // dE2000
}

void TestClipboardText::copyPutsTheEngineSnapshotOnTheClipboard()
{
    Measure engine;
    const ResultLists l = fixture();
    engine.setResults(Measure::GrayResults, l.gray);
    engine.setResults(Measure::GamutResults, l.gamut);
    engine.setResults(Measure::EbuResults, l.ebu);
    engine.setResults(Measure::FreeResults, l.free);
    engine.setSpectrumList(l.spectra);
    QGuiApplication::clipboard()->setText("earlier");
    engine.doCpDataToClip();
    QCOMPARE(QGuiApplication::clipboard()->text(), resultsClipboardText(l));

    // Nothing measured: the clipboard is emptied all the same.
    engine.detachSensor();
    engine.doCpDataToClip();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
}

QV_TEST_MAIN_WIDGETS(TestClipboardText)
#include "tst_clipboardtext.moc"
