// The tables of the saturation / colour-scale and colour-checker pages, and the patch names the
// pages and reports share: fixed rows per set, the white reference, the difference column of
// each set, cells out of range, null colours.

#include "colour/currentreference.h"
#include "platform/settings.h"
#include "resources/resources.h"
#include "testenv.h"
#include "styledrundir.h"
#include "ui/window/colorchkdatawindow.h"
#include "ui/window/patchnames.h"
#include "ui/window/satdatawindow.h"

#include <QFile>
#include <QGraphicsScene>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cmath>
#include <limits>
#include <memory>

namespace {

QStringList rowOf(QTableWidget* table, int row)
{
    QStringList out;
    for (int c = 0; c < table->columnCount(); ++c)
        out << (table->item(row, c) ? table->item(row, c)->text() : QString());
    return out;
}

int filledRows(QTableWidget* table)
{
    int n = 0;
    for (int r = 0; r < table->rowCount(); ++r)
        n += table->item(r, 0) != nullptr;
    return n;
}

QStringList headers(QTableWidget* table, Qt::Orientation o)
{
    QStringList out;
    const int n = o == Qt::Horizontal ? table->columnCount() : table->rowCount();
    for (int k = 0; k < n; ++k) {
        QTableWidgetItem* item = o == Qt::Horizontal ? table->horizontalHeaderItem(k)
                                                     : table->verticalHeaderItem(k);
        out << (item ? item->text() : QString());
    }
    return out;
}

CColor patch(double X, double Y, double Z, double r, double g, double b)
{
    CColor c(X, Y, Z);
    c.levelR = r;
    c.levelG = g;
    c.levelB = b;
    return c;
}

const QStringList kLetters = {"X", "Y", "Z", "x", "y", "u'", "v'", "L", "a", "b"};

} // namespace

class TestPatchTables : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initPictureResources();
        // A style sheet in the working directory, as the program has it.
        QVERIFY(m_runDir.enterWith("QTableWidget { color: rgb(150, 150, 150); }"));
    }
    void init()
    {
        testenv::clearSettings();
        setCurrentColorReference(std::make_shared<ColorReference>(StandardHdtvRec709, WhiteOwn, 2.2));
    }

    void saturationTableHasThirtyFixedRows()
    {
        QGraphicsScene scene;
        SatDataWindow window(&scene, nullptr);
        window.place(13, 0, 600, 300);
        QTableWidget* table = window.currentTable();
        QVERIFY(table);
        QCOMPARE(headers(table, Qt::Horizontal), kLetters + QStringList{"dE2000"});
        const QStringList rows = headers(table, Qt::Vertical);
        QCOMPARE(rows.size(), 30);
        QCOMPARE(rows.mid(0, 6), QStringList({"R1", "R2", "R3", "R4", "R5", "G1"}));
        QCOMPARE(rows.mid(20, 10),
                 QStringList({"M1", "M2", "M3", "M4", "M5", "C1", "C2", "C3", "C4", "C5"}));
        QCOMPARE(filledRows(table), 0);
    }

    void saturationRowsByIndex_data()
    {
        QTest::addColumn<QList<int>>("indices");
        QTest::addColumn<QList<int>>("filled");
        QTest::newRow("white only: no row") << QList<int>{-1} << QList<int>{};
        QTest::newRow("first patch: R1") << QList<int>{-1, 0} << QList<int>{0};
        QTest::newRow("last patch: C5") << QList<int>{-1, 29} << QList<int>{29};
        QTest::newRow("row 3 before 0..2 leaves them empty") << QList<int>{3} << QList<int>{3};
        QTest::newRow("index 30 and beyond: nowhere") << QList<int>{30, 31, 1000} << QList<int>{};
        QTest::newRow("negative below -1: nowhere") << QList<int>{-2, -7} << QList<int>{};
    }

    void saturationRowsByIndex()
    {
        QFETCH(QList<int>, indices);
        QFETCH(QList<int>, filled);
        QGraphicsScene scene;
        SatDataWindow window(&scene, nullptr);
        window.place(0, 0, 600, 300);
        QTableWidget* table = window.currentTable();
        for (int index : indices)
            window.setData(index, patch(20, 10, 5, 1, 0, 0));
        QCOMPARE(table->rowCount(), 30);
        QList<int> got;
        for (int r = 0; r < table->rowCount(); ++r) {
            if (table->item(r, 0))
                got << r;
        }
        QCOMPARE(got, filled);
    }

    void cellsOfAPatch()
    {
        QGraphicsScene scene;
        SatDataWindow window(&scene, nullptr);
        window.place(0, 0, 600, 300);
        QTableWidget* table = window.currentTable();
        const CColor c = patch(20, 10, 5, 1, 0.5, 0.25);
        window.setData(0, c);
        const QStringList row = rowOf(table, 0);
        QCOMPARE(row.mid(0, 7), QStringList({"20.000", "10.000", "5.000", "0.571", "0.286",
                                             "0.432", "0.486"}));
        // Before any white the luminance of L*a*b* and of the target is 1.
        const CColor lab = c.toLab(1.0);
        QCOMPARE(row[7], DataWindow::numberText(lab[0]));
        QCOMPARE(row[10], DataWindow::numberText(c.GetDeltaE2000(1.0, 0.0)));
        QCOMPARE(table->item(0, 3)->foreground().color(), QColor(150, 150, 150));
        QCOMPARE(table->item(0, 3)->textAlignment(), int(Qt::AlignCenter));
    }

    void whiteAppliesToRowsWrittenAfterIt()
    {
        QGraphicsScene scene;
        SatDataWindow window(&scene, nullptr);
        window.place(0, 0, 600, 300);
        QTableWidget* table = window.currentTable();
        const CColor c = patch(40, 21, 2, 1, 0, 0);
        window.setData(-1, CColor(95.047, 100, 108.883));
        window.setData(0, c);
        const QString before = rowOf(table, 0)[7];
        window.setData(-1, CColor(47.5, 50, 54.4));
        QCOMPARE(rowOf(table, 0)[7], before);
        QCOMPARE(filledRows(table), 1);
        window.setData(1, c);
        QCOMPARE(rowOf(table, 1)[7], DataWindow::numberText(c.toLab(50)[0]));
        QVERIFY(rowOf(table, 1)[7] != before);
        QCOMPARE(window.white[1], 50.0);
    }

    void nullColourIsListed()
    {
        QGraphicsScene scene;
        SatDataWindow window(&scene, nullptr);
        window.place(0, 0, 600, 300);
        window.setData(-1, CColor(95.047, 100, 108.883));
        window.setData(4, nullColor);
        const QStringList row = rowOf(window.currentTable(), 4);
        for (int k = 0; k < 10; ++k)
            QCOMPARE(row[k], QString("-99999.990"));
    }

    void checkerTableFollowsTheSet_data()
    {
        QTest::addColumn<QVariant>("colorType");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("difference");
        QTest::newRow("unset: colour checker") << QVariant() << 18 << "DarkSkin" << "Cyan" << "dE2000";
        QTest::newRow("0: colour checker") << QVariant(0) << 18 << "DarkSkin" << "Cyan" << "dE2000";
        QTest::newRow("1: EBU 3237") << QVariant(1) << 15 << "DarkSkin" << "MediumPurple"
                                     << "dE u*v*";
        QTest::newRow("2: colour checker") << QVariant(2) << 18 << "DarkSkin" << "Cyan" << "dE2000";
    }

    void checkerTableFollowsTheSet()
    {
        QFETCH(QVariant, colorType);
        QFETCH(int, rows);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, difference);
        if (colorType.isValid())
            platform::writeSetting("measure", "colortype", colorType);
        QGraphicsScene scene;
        ColorChkDataWindow window(&scene, nullptr);
        window.place(0, 0, 600, 300);
        QTableWidget* table = window.currentTable();
        QCOMPARE(table->rowCount(), rows);
        QCOMPARE(headers(table, Qt::Horizontal), kLetters + QStringList{difference});
        const QStringList labels = headers(table, Qt::Vertical);
        QCOMPARE(labels.first(), first);
        QCOMPARE(labels.last(), last);

        // The last row takes the last patch; the next index has no row.
        window.setData(-1, CColor(95.047, 100, 108.883));
        window.setData(rows - 1, patch(20, 10, 5, 0.5, 0.3, 0.2));
        window.setData(rows, patch(20, 10, 5, 0.5, 0.3, 0.2));
        QCOMPARE(table->rowCount(), rows);
        QCOMPARE(filledRows(table), 1);
        QVERIFY(table->item(rows - 1, 0));
    }

    void checkerDifferenceColumn_data()
    {
        QTest::addColumn<int>("colorType");
        QTest::addColumn<bool>("uv");
        QTest::newRow("colour checker: CIEDE2000") << 0 << false;
        QTest::newRow("EBU 3237: dE u*v*") << 1 << true;
        QTest::newRow("colortype 2: CIEDE2000, as its header says") << 2 << false;
    }

    void checkerDifferenceColumn()
    {
        QFETCH(int, colorType);
        QFETCH(bool, uv);
        platform::writeSetting("measure", "colortype", colorType);
        QGraphicsScene scene;
        ColorChkDataWindow window(&scene, nullptr);
        window.place(0, 0, 600, 300);
        const CColor c = patch(18, 11, 6, 0.45, 0.32, 0.26);
        window.setData(-1, CColor(95.047, 100, 108.883));
        window.setData(0, c);
        const double expected = uv ? c.GetDeltaEuvTarget(100, 0) : c.GetDeltaE2000(100, 0);
        const double other = uv ? c.GetDeltaE2000(100, 0) : c.GetDeltaEuvTarget(100, 0);
        QVERIFY(std::abs(expected - other) > 0.01);
        QCOMPARE(rowOf(window.currentTable(), 0)[10], DataWindow::numberText(expected));
        // The white changes no cell.
        QCOMPARE(filledRows(window.currentTable()), 1);
    }

    void eachLayoutBuildsTheTableOfTheSetInForce()
    {
        QGraphicsScene scene;
        ColorChkDataWindow window(&scene, nullptr);
        window.place(0, 0, 600, 300);
        QCOMPARE(window.currentTable()->rowCount(), 18);
        window.setData(-1, CColor(50, 50, 50));
        platform::writeSetting("measure", "colortype", 1);
        window.removeFromScene();
        window.removeFromScene();
        scene.clear();
        window.place(0, 0, 600, 300);
        QCOMPARE(window.currentTable()->rowCount(), 15);
        QCOMPARE(window.builtSet(), patchset::Ebu3237);
        // The white survives the new table.
        QCOMPARE(window.white[1], 50.0);
        // A page that saves the picture of one set builds that set whatever the setting says.
        window.forcedSet = patchset::ColorChecker;
        window.removeFromScene();
        scene.clear();
        window.place(0, 0, 600, 300);
        QCOMPARE(window.currentTable()->rowCount(), 18);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void patchNamesArePinned()
    {
        const QStringList sat = patchnames::saturation();
        QCOMPARE(sat.size(), 31);
        QCOMPARE(sat.first(), QString("White"));
        QCOMPARE(sat.mid(1, 5), QStringList({"Red 20%", "Red 40%", "Red 60%", "Red 80%", "Red 100%"}));
        QCOMPARE(sat[6], QString("Green 20%"));
        QCOMPARE(sat[21], QString("Magenta 20%"));
        QCOMPARE(sat.last(), QString("Cyan 100%"));

        const QStringList checker = patchnames::colorChecker();
        QCOMPARE(checker.size(), 19);
        QCOMPARE(checker.mid(0, 4), QStringList({"White", "Dark Skin", "Light Skin", "Blue Sky"}));
        QCOMPARE(checker.mid(12, 7), QStringList({"Orange Yellow", "Blue", "Green", "Red", "Yellow",
                                                  "Magenta", "Cyan"}));

        const QStringList ebu = patchnames::ebu();
        QCOMPARE(ebu.size(), 16);
        QCOMPARE(ebu.mid(0, 4), QStringList({"White", "DarkSkin", "LightSkin", "GreyishRed"}));
        QCOMPARE(ebu.last(), QString("MediumPurple"));

        QCOMPARE(patchnames::forSet(patchset::Ebu3237), ebu);
        QCOMPARE(patchnames::forSet(patchset::ColorChecker), checker);
    }

    void patchSetOfASetting_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("set");
        QTest::newRow("0") << 0 << int(patchset::ColorChecker);
        QTest::newRow("1") << 1 << int(patchset::Ebu3237);
        QTest::newRow("2") << 2 << int(patchset::ColorChecker);
        QTest::newRow("-1") << -1 << int(patchset::ColorChecker);
        QTest::newRow("int max") << std::numeric_limits<int>::max() << int(patchset::ColorChecker);
    }

    void patchSetOfASetting()
    {
        QFETCH(int, value);
        QFETCH(int, set);
        QCOMPARE(int(patchset::fromSetting(value)), set);
        platform::writeSetting("measure", "colortype", value);
        QCOMPARE(int(patchset::chosen()), set);
    }

private:
    StyledRunDir m_runDir;
};

QV_TEST_MAIN_WIDGETS(TestPatchTables)
#include "tst_patchtables.moc"
