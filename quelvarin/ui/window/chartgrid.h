#pragma once
// Drawing and mapping helpers shared by the step charts of the gray-scale page (CCT, gamma,
// luminance, RGB levels, colour difference): the dotted grid with its labels, the step axis,
// the rendering of a plot area into a report, and the guards that keep every mapped point finite.

#include <QPen>
#include <QRectF>
#include <QString>
#include <QStringList>

class QGraphicsScene;
class QPainter;

namespace chartgrid {

// Height of the title band drawn by the window frame; every plot starts below it.
constexpr int titleBand = 47;

// A gray-scale run measures at most this many steps (the sequence caps the setting there), so no
// chart loops more often, whatever a settings file holds.
constexpr int maxSteps = 65535;

// Step count of a gray-scale run as the settings store holds it (`measure/steps`, default 20).
// A stored value below 1 would divide by zero in every step mapping, so it counts as 1; one above
// maxSteps counts as maxSteps.
int stepCount();
// The same rule for a step count obtained elsewhere.
int sanitizeSteps(int steps);

// The step count n that a gray-scale list's levels describe, from the level of its first gray
// step above black (1/n) and the list's size. The level comes from a measurement or a data file,
// so n is used only when it is consistent with the list: at most the list's own size (a complete
// run holds n + 2 entries). Otherwise, and for a level outside (0, 1], 0: the list is then placed
// by position. No loop or integer arithmetic ever sees a count the list does not back.
int stepsFromLevel(double firstStepLevel, int listSize);

// The step axis of a chart that plots the steps of a gray-scale run. The gray page tells the chart
// the step count of the run it shows, so that a run is always drawn with its own count even after
// the setting has changed; while no run is known (0) the setting decides at each use.
struct StepAxis
{
    int runSteps = 0;
    int stepCount() const
    {
        return runSteps > 0 ? sanitizeSteps(runSteps) : chartgrid::stepCount();
    }
};

// Scene x of a step on a chart whose plot spans x .. x + w: x + step·w/steps, never rounded.
double stepX(int x, int w, int step, int steps);

// Guards for mapped coordinates: a value that is not finite never reaches the scene.
// Not a number and -inf land on `low`, +inf on `high`.
double finiteOr(double v, double low, double high);

// The dotted dark-grey pen of all chart grids.
QPen gridPen();

// A straight line drawn as a path item, as the charts draw their target, band and axis lines.
void addPathLine(QGraphicsScene* scene, double x1, double y1, double x2, double y2, const QPen& pen);

// Axis labels: simple text in the default font (not the application font) with a dark grey
// brush. A row label stands at `left`, centred vertically on the row; a column label stands at
// `top`, shifted left by half its height (not its width), which is how the charts have always
// placed it.
void addLabelCentredOnRow(QGraphicsScene* scene, const QString& text, double left, int row);
void addLabelUnderColumn(QGraphicsScene* scene, const QString& text, int column, double top);

// The grid of the step charts: nine dotted rows with the given labels (top to bottom) and the
// columns at 0.2, 0.4, 0.6 and 0.8 of the width with their fraction labels.
void drawStepGrid(QGraphicsScene* scene, int x, int y, int w, int h, const QStringList& rowLabels,
                  const QStringList& columnLabels);
// Only the four gray-fraction columns of that grid.
void drawStepColumns(QGraphicsScene* scene, int x, int y, int w, int h,
                     const QStringList& columnLabels);

// Renders the plot area of a window (without title band and frame edges) into a painter rect.
// Every text in it is copied whole: one reaching below the plot area is copied lifted to end at
// its bottom edge.
void renderPlot(QGraphicsScene* scene, QPainter* painter, int x, int y, int w, int h, int px,
                int py, int pw, int ph);

} // namespace chartgrid
