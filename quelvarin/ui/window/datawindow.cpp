#include "ui/window/datawindow.h"
#include "platform/logging.h"

#include <QBrush>
#include <QDebug>
#include <QFile>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPalette>
#include <QTableWidget>
#include <QSignalBlocker>
#include <QTextStream>

#include <utility>

namespace {

// Style sheet of every table, delivered with the program and read from the working directory.
const char styleFileName[] = "table.qss";

const QColor baseColour(20, 20, 20);
const QColor alternateColour(40, 40, 40);
const QColor cellColour(150, 150, 150);

const char horizontalHeaderStyle[] =
    "QHeaderView::section{height: 30px; border: 1px solid black; background-color: rgb(30, 30, "
    "30);color: rgb(200, 200, 200); font: bold}";
const char verticalHeaderStyle[] =
    "QHeaderView::section{border: 1px solid black; background-color: rgb(30, 30, 30);color: "
    "rgb(200, 200, 200); font: bold}";

// The text of "table.qss" once it has been read (and was not empty).
QString& styleCache()
{
    static QString cache;
    return cache;
}

// A cell of the common look: its text comes from the row's shared texts, its colour and
// alignment are answered, not stored, so that a cell of a long table costs little more than the
// item itself. A value set on the cell itself still wins.
class RowCell : public QTableWidgetItem
{
public:
    RowCell(std::shared_ptr<const RowTexts> texts, int column)
        : m_texts(std::move(texts)), m_column(column)
    {
    }

    QVariant data(int role) const override
    {
        const QVariant stored = QTableWidgetItem::data(role);
        if (stored.isValid())
            return stored;
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return m_texts->text(m_column);
        case Qt::ForegroundRole:
            return QBrush(cellColour);
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        default:
            return stored;
        }
    }

private:
    std::shared_ptr<const RowTexts> m_texts;
    int m_column;
};

} // namespace

DataWindow::DataWindow(QGraphicsScene* scene, Measure* measure)
    : BaseWindow(tr("Data"), ":/icons/resource/icon_data.png", scene, measure)
{
}

QString DataWindow::numberText(double value)
{
    return QString("%1").arg(value, 5, 'f', 3, QLatin1Char(' '));
}

void DataWindow::loadStyle(QTableWidget* table)
{
    if (!table)
        return;
    QString& cache = styleCache();
    if (!cache.isEmpty()) {
        table->setStyleSheet(cache);
        return;
    }
    QFile file(styleFileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(platform::programLog) << __FILE__ << __LINE__ << Q_FUNC_INFO << "can not open css file";
        return;
    }
    QTextStream stream(&file);
    cache = stream.readAll();
    file.close();
    table->setStyleSheet(cache);
}

void DataWindow::initTable()
{
    if (!table)
        return;
    if (!scene) {
        // Nowhere to show it: the widget would belong to nobody.
        delete table.data();
        return;
    }
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette palette = QGuiApplication::palette();
    palette.setBrush(QPalette::All, QPalette::Base, QBrush(baseColour));
    palette.setBrush(QPalette::All, QPalette::AlternateBase, QBrush(alternateColour));
    table->setPalette(palette);
    table->setAlternatingRowColors(true);
    table->setFrameShape(QFrame::NoFrame);
    loadStyle(table);
    table->setShowGrid(false);
    proxy = scene->addWidget(table);
    proxy->setGeometry(QRectF(x + 2, y + 47, width - 2, height - 49));
    table->horizontalHeader()->setStyleSheet(horizontalHeaderStyle);
    table->verticalHeader()->setStyleSheet(verticalHeaderStyle);
}

void DataWindow::setItem(int row, int column, QTableWidgetItem* item)
{
    if (!item)
        return;
    if (!table || row < 0 || column < 0 || row >= table->rowCount()
        || column >= table->columnCount()) {
        // QTableWidget would drop such an item without deleting it.
        delete item;
        return;
    }
    item->setForeground(QBrush(cellColour));
    item->setTextAlignment(Qt::AlignCenter);
    table->setItem(row, column, item);
}

QString RowTexts::text(int column) const
{
    if (m_make) {
        m_texts = m_make();
        // What the texts were made from is no longer needed.
        m_make = nullptr;
    }
    return m_texts.value(column);
}

void DataWindow::setRowTexts(int row, const QStringList& texts)
{
    if (row >= 0)
        putRow({row, int(texts.size()), std::make_shared<const RowTexts>(texts)});
}

void DataWindow::setRowTextsLater(int row, int columns, std::function<QStringList()> make)
{
    if (row >= 0 && make)
        putRow({row, columns, std::make_shared<const RowTexts>(std::move(make))});
}

void DataWindow::putRow(const Row& row)
{
    if (batchDepth > 0) {
        pendingRows.append(row);
        return;
    }
    // Without a table (before the first draw, or after the scene deleted it) there is no row
    // to write.
    if (!table)
        return;
    if (!fixedRows)
        table->setRowCount(row.row + 1);
    else if (row.row >= table->rowCount())
        return;
    for (int column = 0; column < row.columns && column < table->columnCount(); ++column)
        table->setItem(row.row, column, new RowCell(row.texts, column));
}

void DataWindow::beginBatch()
{
    ++batchDepth;
}

void DataWindow::endBatch()
{
    if (batchDepth == 0 || --batchDepth > 0)
        return;
    applyRows();
}

void DataWindow::applyRows()
{
    const QVector<Row> rows = std::exchange(pendingRows, {});
    if (!table || rows.isEmpty())
        return;
    // As one write after the other would leave it: the last row written sets the count.
    if (!fixedRows)
        table->setRowCount(rows.last().row + 1);
    int top = rows.first().row;
    int bottom = top;
    {
        // Each cell would tell the view on its own (and the view would look at its geometry
        // each time); the view hears of the whole range once, below.
        const QSignalBlocker quiet(table->model());
        for (const Row& r : rows) {
            if (r.row >= table->rowCount())
                continue;
            top = qMin(top, r.row);
            bottom = qMax(bottom, r.row);
            for (int column = 0; column < r.columns && column < table->columnCount(); ++column)
                table->setItem(r.row, column, new RowCell(r.texts, column));
        }
    }
    QAbstractItemModel* model = table->model();
    bottom = qMin(bottom, table->rowCount() - 1);
    if (top <= bottom && model->columnCount() > 0)
        emit model->dataChanged(model->index(top, 0),
                                model->index(bottom, model->columnCount() - 1));
}

void DataWindow::clearContents()
{
    if (table)
        table->clearContents();
}

void DataWindow::removeFromScene()
{
    if (firstRelease) {
        firstRelease = false;
        return;
    }
    if (!proxy)
        return;
    if (proxy->scene())
        proxy->scene()->removeItem(proxy);
    // Its cells go now: the table that replaces it is filled before the event loop deletes
    // this one, and a long list would be held twice in the meantime.
    if (table)
        table->setRowCount(0);
    // Deleted once the event loop runs, after the layout that follows; the widget goes with it.
    proxy->deleteLater();
    proxy = nullptr;
    table = nullptr;
}
