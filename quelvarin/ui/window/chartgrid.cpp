#include "ui/window/chartgrid.h"

#include "platform/settings.h"

#include <QBrush>
#include <QFont>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <memory>

namespace chartgrid {

// A gray-scale run measures 20 steps unless the operator chose otherwise.
constexpr int defaultSteps = 20;

int sanitizeSteps(int steps)
{
    return qBound(1, steps, maxSteps);
}

int stepsFromLevel(double firstStepLevel, int listSize)
{
    if (!std::isfinite(firstStepLevel) || firstStepLevel <= 0 || firstStepLevel > 1)
        return 0;
    // Compared as a double: 1 / level may be far beyond any int.
    const double n = std::round(1.0 / firstStepLevel);
    if (!(n <= double(qMin(listSize, maxSteps))))
        return 0;
    return qMax(1, int(n));
}

int stepCount()
{
    return sanitizeSteps(platform::readSetting("measure", "steps", defaultSteps).toInt());
}

double stepX(int x, int w, int step, int steps)
{
    const double sx = x + double(step) * w / sanitizeSteps(steps);
    return finiteOr(sx, x, x + w);
}

double finiteOr(double v, double low, double high)
{
    if (std::isnan(v))
        return low;
    if (std::isinf(v))
        return v > 0 ? high : low;
    return v;
}

namespace {

QPen dottedPen(const QColor& colour)
{
    return QPen(QBrush(colour), 1, Qt::DotLine);
}

// A label not yet in the scene, so that its grid line can be added below it first.
QGraphicsSimpleTextItem* makeLabel(const QString& text, const QColor& colour)
{
    auto* label = new QGraphicsSimpleTextItem(text);
    label->setFont(QFont());
    label->setBrush(QBrush(colour));
    return label;
}

void placeOnRow(QGraphicsSimpleTextItem* label, double left, int row)
{
    label->setPos(left, row - label->boundingRect().height() / 2);
}

void placeUnderColumn(QGraphicsSimpleTextItem* label, int column, double top)
{
    label->setPos(column - label->boundingRect().height() / 2, top);
}

} // namespace

QPen gridPen()
{
    return dottedPen(Qt::darkGray);
}

void addLabelCentredOnRow(QGraphicsScene* scene, const QString& text, double left, int row)
{
    QGraphicsSimpleTextItem* label = makeLabel(text, Qt::darkGray);
    placeOnRow(label, left, row);
    scene->addItem(label);
}

void addLabelUnderColumn(QGraphicsScene* scene, const QString& text, int column, double top)
{
    QGraphicsSimpleTextItem* label = makeLabel(text, Qt::darkGray);
    placeUnderColumn(label, column, top);
    scene->addItem(label);
}

QVector<QLineF> clearOf(const QLineF& line, const QVector<QRectF>& texts)
{
    const bool horizontal = line.dy() == 0;
    if (!horizontal && line.dx() != 0)
        return {line};
    // Along the line from `from` to `to`, across it at `at`; the 1-pixel pen covers half a pixel
    // each side.
    const double from = horizontal ? qMin(line.x1(), line.x2()) : qMin(line.y1(), line.y2());
    const double to = horizontal ? qMax(line.x1(), line.x2()) : qMax(line.y1(), line.y2());
    const double at = horizontal ? line.y1() : line.x1();
    QVector<QPair<double, double>> gaps;
    for (const QRectF& text : texts) {
        const QRectF r = text.adjusted(-labelClearance, -labelClearance, labelClearance,
                                       labelClearance);
        const double acrossLow = horizontal ? r.top() : r.left();
        const double acrossHigh = horizontal ? r.bottom() : r.right();
        if (at + 0.5 <= acrossLow || at - 0.5 >= acrossHigh)
            continue;
        gaps.append(horizontal ? qMakePair(r.left(), r.right()) : qMakePair(r.top(), r.bottom()));
    }
    std::sort(gaps.begin(), gaps.end());
    QVector<QLineF> pieces;
    const auto keep = [&](double a, double b) {
        if (b - a < minimumPiece)
            return;
        pieces.append(horizontal ? QLineF(a, at, b, at) : QLineF(at, a, at, b));
    };
    double start = from;
    for (const auto& gap : gaps) {
        if (gap.first > start)
            keep(start, qMin(gap.first, to));
        start = qMax(start, gap.second);
        if (start >= to)
            break;
    }
    if (start < to)
        keep(start, to);
    // The pieces run the way the line did.
    const bool reversed = horizontal ? line.x1() > line.x2() : line.y1() > line.y2();
    if (reversed) {
        std::reverse(pieces.begin(), pieces.end());
        for (QLineF& piece : pieces)
            piece = QLineF(piece.p2(), piece.p1());
    }
    return pieces;
}

void addLineClearOf(QGraphicsScene* scene, const QLineF& line, const QPen& pen,
                    const QVector<QRectF>& texts)
{
    for (const QLineF& piece : clearOf(line, texts))
        scene->addLine(piece, pen);
}

void addPathClearOf(QGraphicsScene* scene, const QLineF& line, const QPen& pen,
                    const QVector<QRectF>& texts)
{
    for (const QLineF& piece : clearOf(line, texts)) {
        QPainterPath path;
        path.moveTo(piece.p1());
        path.lineTo(piece.p2());
        scene->addPath(path, pen, Qt::NoBrush);
    }
}

QRectF addLabelledRow(QGraphicsScene* scene, const QString& text, int row, double x1, double x2,
                      double left, const QColor& colour, const QVector<QRectF>& alsoClear)
{
    QGraphicsSimpleTextItem* label = makeLabel(text, colour);
    placeOnRow(label, left, row);
    const QRectF rect = label->sceneBoundingRect();
    addLineClearOf(scene, QLineF(x1, row, x2, row), dottedPen(colour), alsoClear + QVector<QRectF>{rect});
    scene->addItem(label);
    return rect;
}

QRectF addLabelledColumn(QGraphicsScene* scene, const QString& text, int column, double y1,
                         double y2, double top, const QColor& colour,
                         const QVector<QRectF>& alsoClear)
{
    QGraphicsSimpleTextItem* label = makeLabel(text, colour);
    placeUnderColumn(label, column, top);
    const QRectF rect = label->sceneBoundingRect();
    addLineClearOf(scene, QLineF(column, y1, column, y2), dottedPen(colour),
                   alsoClear + QVector<QRectF>{rect});
    scene->addItem(label);
    return rect;
}

namespace {

// Column k of the step grid: the column at 0.2, 0.4, 0.6 and 0.8 of the width.
int stepColumn(int x, int w, int k)
{
    return int(x + 2 * (k + 1) * (w / 10.0));
}

} // namespace

void drawStepColumns(QGraphicsScene* scene, int x, int y, int w, int h,
                     const QStringList& columnLabels)
{
    for (int k = 0; k < columnLabels.size(); ++k)
        addLabelledColumn(scene, columnLabels.at(k), stepColumn(x, w, k), y + titleBand, y + h - 7,
                          y + h - 12);
}

QVector<QRectF> stepColumnLabelRects(int x, int y, int w, int h, const QStringList& columnLabels)
{
    QVector<QRectF> rects;
    for (int k = 0; k < columnLabels.size(); ++k) {
        const std::unique_ptr<QGraphicsSimpleTextItem> label(makeLabel(columnLabels.at(k), Qt::darkGray));
        placeUnderColumn(label.get(), stepColumn(x, w, k), y + h - 12);
        rects << label->sceneBoundingRect();
    }
    return rects;
}

QVector<QRectF> drawStepGrid(QGraphicsScene* scene, int x, int y, int w, int h,
                             const QStringList& rowLabels, const QStringList& columnLabels)
{
    const double r = (h - titleBand) / 10.0;
    QVector<QRectF> labels;
    for (int k = 0; k < rowLabels.size(); ++k) {
        const int i = k + 1;
        const int yi = int(y + titleBand + i * r);
        labels << addLabelledRow(scene, rowLabels.at(k), yi, x + 1, x + w - 1, x + 5);
    }
    drawStepColumns(scene, x, y, w, h, columnLabels);
    return labels;
}

void renderPlot(QGraphicsScene* scene, QPainter* painter, int x, int y, int w, int h, int px,
                int py, int pw, int ph)
{
    if (!scene || !painter)
        return;
    scene->render(painter, QRectF(px, py, pw, ph), QRectF(x + 1, y + 48, w - 2, h - 49),
                  Qt::IgnoreAspectRatio);
}

} // namespace chartgrid
