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
#include <QTextStream>

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
    // Deleted once the event loop runs, after the layout that follows; the widget goes with it.
    proxy->deleteLater();
    proxy = nullptr;
    table = nullptr;
}
