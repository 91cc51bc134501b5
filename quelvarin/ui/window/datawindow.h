#pragma once
// The common table window of the result pages: a QTableWidget carried into the result scene by a
// proxy item, inside a framed window with the title "Data". Each table class builds its own
// widget in draw() and hands it to initTable(); every layout of the scene builds a new one.
//
// The scene owns the proxy (and through it the widget), so both are watched: when a clear of the
// scene deletes them the window simply has no table until its next draw, and every operation on a
// missing table does nothing.

#include "ui/window/basewindow.h"

#include <QGraphicsProxyWidget>
#include <QPointer>
#include <QStringList>
#include <QTableWidget>
#include <QVector>

#include <functional>
#include <memory>

// The texts of one table row, shared by its cells: given, or made once on first demand.
class RowTexts
{
public:
    explicit RowTexts(QStringList texts) : m_texts(std::move(texts)) {}
    explicit RowTexts(std::function<QStringList()> make) : m_make(std::move(make)) {}
    // The text of a column; empty outside the row's texts.
    QString text(int column) const;

private:
    mutable std::function<QStringList()> m_make;
    mutable QStringList m_texts;
};

class DataWindow : public BaseWindow
{
    Q_OBJECT
public:
    DataWindow(QGraphicsScene* scene, Measure* measure);

    // Styles the table, puts it into the scene in a proxy and fits it into the window frame.
    void initTable();
    // Gives a table the style text of "table.qss" (read once per run, then cached).
    static void loadStyle(QTableWidget* table);
    // Places a cell with the common look; a cell outside the table's rows or columns (or with no
    // table) is discarded.
    void setItem(int row, int column, QTableWidgetItem* item);
    // Empties every cell; rows, columns and headers stay.
    void clearContents();
    // Writes one row with the common look; the row count becomes row + 1 (a table of fixed rows
    // keeps its count and discards a row beyond it). setRowTextsLater
    // gives the row `columns` cells whose texts `make` returns when one of them is first asked
    // for its text (painted, read), so a table of tens of thousands of rows formats only the
    // rows that are looked at and keeps one list of texts per row, not per cell.
    // Between beginBatch and endBatch the rows are kept aside and reach the table at endBatch in
    // one go: its row count is set once and no cell makes the widget lay itself out again.
    // Batches nest; the outermost end applies them.
    void setRowTexts(int row, const QStringList& texts);
    void setRowTextsLater(int row, int columns, std::function<QStringList()> make);
    void beginBatch();
    void endBatch();
    // Takes the table out of the scene before the scene is cleared (the first call after
    // construction only records that it was made).
    void removeFromScene();

    // The current table, or null before the first draw and after the scene deleted it.
    QTableWidget* currentTable() const { return table; }
    QGraphicsProxyWidget* currentProxy() const { return proxy; }

    // The text of a numeric cell: fixed-point, three decimals, at least five characters wide.
    static QString numberText(double value);

protected:
    QPointer<QTableWidget> table;
    QPointer<QGraphicsProxyWidget> proxy;
    bool firstRelease = true;
    // A table of fixed rows (one per patch of a set): writing a row leaves the row count as
    // draw() made it, and a row beyond it is discarded.
    bool fixedRows = false;

private:
    struct Row
    {
        int row;
        int columns;
        std::shared_ptr<const RowTexts> texts;
    };
    void putRow(const Row& row);
    void applyRows();

    int batchDepth = 0;
    QVector<Row> pendingRows;
};
