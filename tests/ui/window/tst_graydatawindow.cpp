// The table window and the gray-scale table: building, styling, rows that follow the data, the
// cell formats, and a table that is missing (before the first draw, after a clear of the scene).

#include "ui/window/graydatawindow.h"

#include "colour/currentreference.h"
#include "logcapture.h"
#include "resources/resources.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>

#include <memory>

namespace {

// A cell that counts its deletions, to show that refused cells are not leaked.
class CountedItem : public QTableWidgetItem
{
public:
    explicit CountedItem(int* deleted) : QTableWidgetItem("x"), m_deleted(deleted) {}
    ~CountedItem() override { ++*m_deleted; }

private:
    int* m_deleted;
};

QStringList rowOf(QTableWidget* table, int row)
{
    QStringList out;
    for (int c = 0; c < table->columnCount(); ++c)
        out << (table->item(row, c) ? table->item(row, c)->text() : QString());
    return out;
}

CColor level(double x, double y, double z, double lv)
{
    CColor c(x, y, z);
    c.levelR = c.levelG = c.levelB = lv;
    return c;
}

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestGrayDataWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initPictureResources();
        setCurrentColorReference(std::make_shared<ColorReference>(StandardHdtvRec709, WhiteOwn, 2.2));
        // Run in a directory without "table.qss" unless a test writes one.
        QVERIFY(m_dir.isValid());
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }
    void cleanupTestCase()
    {
        QDir::setCurrent(m_oldDir);
        flushDeferredDeletes();
    }

    void drawBuildsAnEmptyTableInTheFrame()
    {
        QGraphicsScene scene;
        GrayDataWindow window(&scene, nullptr);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("can not open css file"));
        window.place(13, 0, 574, 246);
        QTableWidget* table = window.currentTable();
        QVERIFY(table);
        QCOMPARE(table->rowCount(), 0);
        QStringList headers;
        for (int c = 0; c < table->columnCount(); ++c)
            headers << table->horizontalHeaderItem(c)->text();
        QCOMPARE(headers, QStringList({"CCT", "X", "Y", "Z", "x", "y", "u'", "v'", "L", "a", "b", "dE2000"}));
        QCOMPARE(window.currentProxy()->geometry(), QRectF(15, 47, 572, 197));
        QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(table->alternatingRowColors());
        QVERIFY(!table->showGrid());
        QCOMPARE(table->palette().color(QPalette::Base), QColor(20, 20, 20));
        QCOMPARE(table->palette().color(QPalette::AlternateBase), QColor(40, 40, 40));
        QCOMPARE(table->horizontalHeader()->styleSheet(),
                 QString("QHeaderView::section{height: 30px; border: 1px solid black; "
                         "background-color: rgb(30, 30, 30);color: rgb(200, 200, 200); font: bold}"));
        QCOMPARE(table->verticalHeader()->styleSheet(),
                 QString("QHeaderView::section{border: 1px solid black; background-color: rgb(30, "
                         "30, 30);color: rgb(200, 200, 200); font: bold}"));
    }

    void rowsFollowTheIndex()
    {
        QGraphicsScene scene;
        GrayDataWindow window(&scene, nullptr);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("can not open css file"));
        window.place(0, 0, 600, 300);
        QTableWidget* table = window.currentTable();

        window.setData(-1, level(95.047, 100, 108.883, 1));
        QCOMPARE(table->rowCount(), 0);
        QCOMPARE(window.white[1], 100.0);
        window.setData(0, level(0.95, 1, 1.09, 0));
        window.setData(1, level(9.5, 10, 10.9, 0.5));
        QCOMPARE(table->rowCount(), 2);
        window.setData(5, level(9.5, 10, 10.9, 0.5));
        QCOMPARE(table->rowCount(), 6);
        QVERIFY(!table->item(3, 0));
        QVERIFY(table->item(5, 11));
        window.setData(1, level(9.5, 10, 10.9, 0.5));
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(window.black[1], 1.0);

        // Clearing empties the cells and keeps rows, columns and headers.
        window.clearContents();
        QCOMPARE(table->rowCount(), 2);
        QVERIFY(!table->item(1, 1));
        QCOMPARE(table->horizontalHeaderItem(11)->text(), QString("dE2000"));
    }

    // Rows written in a batch reach the table when the batch ends, all at once: the table ends
    // exactly as writing them one by one leaves it, its rows are inserted in one step and its
    // view hears of the cells once.
    void aBatchFillsTheRowsInOneGo_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("rows in order") << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("a row written twice") << QList<int>{0, 1, 2, 1, 2};
        QTest::newRow("the last row written is lower") << QList<int>{0, 1, 5, 2};
        QTest::newRow("one row") << QList<int>{0};
    }

    void aBatchFillsTheRowsInOneGo()
    {
        QFETCH(QList<int>, rows);
        QGraphicsScene scene;
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("can not open css file"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("can not open css file"));
        GrayDataWindow direct(&scene, nullptr);
        GrayDataWindow batched(&scene, nullptr);
        direct.place(0, 0, 600, 300);
        batched.place(0, 310, 600, 300);
        QTableWidget* table = batched.currentTable();
        QSignalSpy inserted(table->model(), &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);

        for (GrayDataWindow* w : {&direct, &batched})
            w->setData(-1, level(95.047, 100, 108.883, 1));
        batched.beginBatch();
        batched.beginBatch(); // nested: only the outermost end applies the rows
        for (int k = 0; k < rows.size(); ++k) {
            const CColor c = level(k + 0.5, k + 1, k + 1.5, 0.1 * k);
            direct.setData(rows[k], c);
            batched.setData(rows[k], c);
        }
        batched.endBatch();
        QCOMPARE(table->rowCount(), 0);
        batched.endBatch();

        QTableWidget* expected = direct.currentTable();
        QCOMPARE(table->rowCount(), expected->rowCount());
        for (int row = 0; row < expected->rowCount(); ++row) {
            QCOMPARE(rowOf(table, row), rowOf(expected, row));
            for (int c = 0; c < table->columnCount(); ++c) {
                if (QTableWidgetItem* item = table->item(row, c)) {
                    QCOMPARE(item->foreground(), expected->item(row, c)->foreground());
                    QCOMPARE(item->textAlignment(), expected->item(row, c)->textAlignment());
                }
            }
        }
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(changed.size(), 1);
        // An empty batch changes nothing.
        batched.beginBatch();
        batched.endBatch();
        QCOMPARE(table->rowCount(), expected->rowCount());
        QCOMPARE(changed.size(), 1);
    }

    void cellTexts_data()
    {
        QTest::addColumn<CColor>("colour");
        QTest::addColumn<QStringList>("expected");
        // Against the reference white at luminance 100 and a black of luminance 0.
        const CColor w(currentColorReference()->white);
        CColor d65 = level(w[0] * 100, w[1] * 100, w[2] * 100, 1);
        const int cct = d65.GetCCT();
        QTest::newRow("the white itself")
            << d65
            << QStringList{QString::number(cct), DataWindow::numberText(d65[0]), "100.000",
                           DataWindow::numberText(d65[2]), "0.313", "0.329",
                           "0.198", "0.468", "100.000", "0.000", "0.000",
                           DataWindow::numberText(d65.GetDeltaE2000(100, 0))};
        QTest::newRow("a failed reading")
            << CColor(nullColor)
            << QStringList{"12001", "-99999.990", "-99999.990", "-99999.990", "-99999.990",
                           "-99999.990", "-99999.990", "-99999.990", "-99999.990", "-99999.990",
                           "-99999.990", DataWindow::numberText(CColor(nullColor).GetDeltaE2000(100, 0))};
    }

    void cellTexts()
    {
        QFETCH(CColor, colour);
        QFETCH(QStringList, expected);
        QGraphicsScene scene;
        GrayDataWindow window(&scene, nullptr);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("can not open css file"));
        window.place(0, 0, 600, 300);
        const CColor w(currentColorReference()->white);
        window.setData(-1, level(w[0] * 100, 100, w[2] * 100, 1));
        window.setData(0, level(0, 0, 0, 0));
        window.setData(1, colour);
        QCOMPARE(rowOf(window.currentTable(), 1), expected);
        QTableWidgetItem* cell = window.currentTable()->item(1, 4);
        QCOMPARE(cell->foreground().color(), QColor(150, 150, 150));
        QCOMPARE(cell->textAlignment(), int(Qt::AlignCenter));
    }

    void numberFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("three decimals") << 0.31274 << "0.313";
        QTest::newRow("rounded") << 120.45678 << "120.457";
        QTest::newRow("whole number") << 5.0 << "5.000";
        QTest::newRow("negative") << -0.25 << "-0.250";
        QTest::newRow("null component") << -99999.99 << "-99999.990";
    }

    void numberFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(DataWindow::numberText(value), text);
    }

    void cellsOutsideTheRowsAreDiscarded()
    {
        QGraphicsScene scene;
        GrayDataWindow window(&scene, nullptr);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("can not open css file"));
        window.place(0, 0, 600, 300);
        window.setData(0, level(1, 1, 1, 0));
        int deleted = 0;
        window.setItem(4, 0, new CountedItem(&deleted));
        window.setItem(0, 12, new CountedItem(&deleted));
        window.setItem(-1, 0, new CountedItem(&deleted));
        QCOMPARE(deleted, 3);
        QCOMPARE(window.currentTable()->rowCount(), 1);
        // A cell inside replaces the one there, which the table deletes.
        window.setItem(0, 0, new CountedItem(&deleted));
        window.setItem(0, 0, new CountedItem(&deleted));
        QCOMPARE(deleted, 4);
    }

    void withoutATableNothingHappens()
    {
        QGraphicsScene scene;
        GrayDataWindow window(&scene, nullptr);
        // Before the first draw.
        window.setData(-1, level(95, 100, 108, 1));
        window.setData(3, level(1, 1, 1, 0.1));
        window.clearContents();
        int deleted = 0;
        window.setItem(0, 0, new CountedItem(&deleted));
        QCOMPARE(deleted, 1);
        QCOMPARE(window.white[1], 100.0);

        // After the scene deleted the table with everything else.
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("can not open css file"));
        window.place(0, 0, 600, 300);
        QVERIFY(window.currentTable());
        scene.clear();
        QVERIFY(!window.currentTable());
        QVERIFY(!window.currentProxy());
        window.setData(2, level(1, 1, 1, 0.1));
        window.clearContents();
        window.removeFromScene();
        window.removeFromScene();
    }

    void removeFromScene()
    {
        QGraphicsScene scene;
        GrayDataWindow window(&scene, nullptr);
        window.removeFromScene(); // the first call only records itself
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("can not open css file"));
        window.place(0, 0, 600, 300);
        QPointer<QGraphicsProxyWidget> proxy = window.currentProxy();
        QPointer<QTableWidget> table = window.currentTable();
        window.removeFromScene();
        QVERIFY(!proxy->scene());
        // The scene can be cleared without touching the table; it goes with the event loop.
        scene.clear();
        QVERIFY(table);
        flushDeferredDeletes();
        QVERIFY(!proxy);
        QVERIFY(!table);
        QVERIFY(!window.currentTable());
    }

    // The style file is read once it can be read, and tables built later take the cached text.
    void styleSheetIsReadOnce()
    {
        QGraphicsScene scene;
        GrayDataWindow window(&scene, nullptr);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("can not open css file"));
        window.place(0, 0, 600, 300);
        QVERIFY(window.currentTable()->styleSheet().isEmpty());

        QFile empty("table.qss");
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        window.removeFromScene();
        window.removeFromScene();
        window.place(0, 0, 600, 300); // an empty file: applied, not cached
        QVERIFY(window.currentTable()->styleSheet().isEmpty());

        const QByteArray style = "QTableWidget { color: rgb(150, 150, 150); }\n";
        QFile file("table.qss");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(style);
        file.close();
        window.removeFromScene();
        window.place(0, 0, 600, 300);
        QCOMPARE(window.currentTable()->styleSheet(), QString(style));

        QVERIFY(QFile::remove("table.qss"));
        window.removeFromScene();
        LogCapture log;
        window.place(0, 0, 600, 300); // the file is not touched again
        QCOMPARE(window.currentTable()->styleSheet(), QString(style));
        QVERIFY(log.messages().isEmpty());
    }

private:
    QTemporaryDir m_dir;
    QString m_oldDir;
};

QV_TEST_MAIN_WIDGETS(TestGrayDataWindow)
#include "tst_graydatawindow.moc"
