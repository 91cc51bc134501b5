#include "ui/window/chartgrid.h"

#include "platform/settings.h"

#include <QBrush>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QList>
#include <QPair>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cmath>

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

QPen gridPen()
{
    return QPen(QBrush(Qt::darkGray), 1, Qt::DotLine);
}

void addPathLine(QGraphicsScene* scene, double x1, double y1, double x2, double y2, const QPen& pen)
{
    QPainterPath path;
    path.moveTo(x1, y1);
    path.lineTo(x2, y2);
    scene->addPath(path, pen, Qt::NoBrush);
}

static QGraphicsSimpleTextItem* addLabel(QGraphicsScene* scene, const QString& text)
{
    QGraphicsSimpleTextItem* label = scene->addSimpleText(text, QFont());
    label->setBrush(QBrush(Qt::darkGray));
    return label;
}

void addLabelCentredOnRow(QGraphicsScene* scene, const QString& text, double left, int row)
{
    QGraphicsSimpleTextItem* label = addLabel(scene, text);
    label->setPos(left, row - label->boundingRect().height() / 2);
}

void addLabelUnderColumn(QGraphicsScene* scene, const QString& text, int column, double top)
{
    QGraphicsSimpleTextItem* label = addLabel(scene, text);
    label->setPos(column - label->boundingRect().height() / 2, top);
}

void drawStepColumns(QGraphicsScene* scene, int x, int y, int w, int h,
                     const QStringList& columnLabels)
{
    const double c = w / 10.0;
    for (int k = 0; k < columnLabels.size(); ++k) {
        const int j = 2 * (k + 1);
        const int xj = int(x + j * c);
        scene->addLine(xj, y + titleBand, xj, y + h - 7, gridPen());
        addLabelUnderColumn(scene, columnLabels.at(k), xj, y + h - 12);
    }
}

void drawStepGrid(QGraphicsScene* scene, int x, int y, int w, int h, const QStringList& rowLabels,
                  const QStringList& columnLabels)
{
    const double r = (h - titleBand) / 10.0;
    for (int k = 0; k < rowLabels.size(); ++k) {
        const int i = k + 1;
        const int yi = int(y + titleBand + i * r);
        scene->addLine(x + 1, yi, x + w - 1, yi, gridPen());
        addLabelCentredOnRow(scene, rowLabels.at(k), x + 5, yi);
    }
    drawStepColumns(scene, x, y, w, h, columnLabels);
}

void renderPlot(QGraphicsScene* scene, QPainter* painter, int x, int y, int w, int h, int px,
                int py, int pw, int ph)
{
    if (!scene || !painter)
        return;
    const QRectF source(x + 1, y + 48, w - 2, h - 49);
    // The labels under the columns, and a row label on the plot's bottom edge, reach below the
    // copied area with the program's fonts: copied as they stand, they would lose their lower
    // half ("0.2" would read "0 2"). For the copy they are lifted just enough to end at its
    // bottom edge, then put back, so the scene keeps its places.
    QList<QPair<QGraphicsItem*, QPointF>> lifted;
    for (QGraphicsItem* item : scene->items(source, Qt::IntersectsItemBoundingRect)) {
        if (item->type() != QGraphicsSimpleTextItem::Type && item->type() != QGraphicsTextItem::Type)
            continue;
        const double below = item->sceneBoundingRect().bottom() - source.bottom();
        if (below <= 0)
            continue;
        lifted.append({item, item->pos()});
        item->setPos(item->pos() - QPointF(0, below));
    }
    scene->render(painter, QRectF(px, py, pw, ph), source, Qt::IgnoreAspectRatio);
    for (const auto& label : lifted)
        label.first->setPos(label.second);
}

} // namespace chartgrid
