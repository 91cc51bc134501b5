#pragma once
// The gray-scale page of the result scene (measurement mode 0). It draws from
// Measure::grayList: the white, then the gray levels 0/steps to steps/steps.

#include "ui/view/baseview.h"

#include "colour/color.h"
#include "ui/view/reportpage.h"

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QPixmap>
#include <QString>
#include <QStringList>

class CctWindow;
class DelteWindow;
class GammaWindow;
class GrayDataWindow;
class LumaWindow;
class RgbLevelWindow;
class WhiteWindow;
class QDataStream;
class QGraphicsPathItem;
class QGraphicsPixmapItem;

class GrayView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 0;

    GrayView(QGraphicsScene* scene, Measure* measure);
    ~GrayView() override;

    void clear() override;
    void layout() override;
    void refresh() override;

    // Takes the page's table out of the scene before the scene is cleared.
    void releaseDataTable() override;

    // Its section of the measurement data file and its page picture (viewdata.cpp). exportData is
    // false when the picture could not be saved; loadData replaces the engine's list only with a
    // whole valid section.
    bool exportData(QString baseName, QDataStream& out);
    bool loadData(QDataStream& in);

    // The gray-scale page of the detailed report, when the list holds more than steps + 1
    // colours (reportpages.cpp).
    void exportPro(QPainter* painter, QPrinter* printer) override;
    // The thirteen values of one row of the report table, with the white's and black's Y.
    static QStringList reportRowValues(const CColor& c, double Yw, double Yb);
    // White over black, or 1e19 when the black is 1e-11 or less.
    static double reportContrast(double Yw, double Yb);
    // The charts of the report page, left to right: dE2000, gamma, RGB levels.
    reportpage::ChartRender reportChart(int which);

    // The gamma, RGB levels and dE2000 charts on the summary report page.
    void renderCharts(QPainter* painter) override;

    // The measured-white marker on the white-point chart, from the list's first element.
    void drawWhite();
    // Draws list element i (i >= 1) on the five step charts (graysteps.cpp).
    void drawStep(int i);
    // Measured gamma of element i of a run of n steps: power law, and against BT.1886 fitted to
    // the measured white and black.
    double gammaAt(int i, int n);
    double gammaAt1886(int i, int n);
    // The same as pure functions of the white, black and step luminance and the step's level.
    static double stepGamma(double yw, double yb, double yi, double level);
    static double stepGamma1886(double yw, double yb, double yi, double level);
    // Step count of the run a gray list holds, from the stored level of its first gray step
    // above black; 0 while that is not known yet.
    static int runStepCount(const QList<CColor>& list);
    // The same, with the `measure/steps` setting deciding while the list does not tell it.
    static int stepsOf(const QList<CColor>& list);
    // Step index of list element i in a run of n steps, from its stored stimulus level (by its
    // position when the list's levels do not describe a run).
    static int stepIndex(const QList<CColor>& list, int i, int n);

    LumaWindow* lumaWindow = nullptr;
    CctWindow* cctWindow = nullptr;
    WhiteWindow* whiteWindow = nullptr;
    DelteWindow* delteWindow = nullptr;
    GammaWindow* gammaWindow = nullptr;
    RgbLevelWindow* rgbLevelWindow = nullptr;
    GrayDataWindow* dataWindow = nullptr;
    QPixmap* targetPixmap = nullptr;

    // What the view drew itself: one curve per chart, the measured-white marker and the step
    // markers (stacked: every redraw of the list adds a new set above the earlier ones).
    QGraphicsPathItem* lumaCurve = nullptr;
    QGraphicsPathItem* cctCurve = nullptr;
    QGraphicsPathItem* deltaECurve = nullptr;
    QGraphicsPathItem* gammaCurve = nullptr;
    QGraphicsPathItem* redCurve = nullptr;
    QGraphicsPathItem* greenCurve = nullptr;
    QGraphicsPathItem* blueCurve = nullptr;
    QGraphicsPixmapItem* whiteMarker = nullptr;
    QList<QGraphicsItem*> markers;

private:
    void drawResults() override;
    void removeWhite();
    // A snapshot of the engine's gray list (empty without an engine).
    QList<CColor> grayResults() const;
    // Tells the step charts the step count of the run on show.
    void applyRunSteps(int steps);
    // Which of its curve items a step makes. Every step replaces the curves it draws on, so a
    // walk over the whole list makes each curve only at the last step that replaces it: an item
    // made and deleted again within the walk would only cost the scene a renumbering of all its
    // items (the markers pile up to tens of thousands on a long run).
    struct CurveItems
    {
        bool steps = true; // luminance, CCT, dE2000, red, green and blue
        bool gamma = true;
    };
    void drawStep(const QList<CColor>& list, int i, int steps, CurveItems make);
    // Whether list element i of a run of `steps` steps lies below the full level, so that it
    // has a gamma and replaces the gamma curve.
    static bool belowFullLevel(const QList<CColor>& list, int i, int steps);
    void removeCurves(bool withGamma);
    // One chart's share of a step: its polyline, its curve item (made only when makeCurve is
    // set), the curve's colour and the marker picture.
    struct StepPoint
    {
        QPainterPath* path;
        QGraphicsPathItem** curve;
        bool makeCurve;
        QColor colour;
        const QPixmap* picture;
    };
    // Extends the chart's polyline to (sx, sy), replaces its curve item and adds the marker.
    void plotPoint(const StepPoint& point, double sx, double sy, const QString& toolTip);
    QGraphicsPathItem* addCurve(const QPainterPath& path, const QColor& colour);
    void addMarker(const QPixmap& picture, double x, double y, const QString& toolTip);

    // The polylines of the current walk over the list, reset by its first step.
    QPainterPath lumaPath;
    QPainterPath cctPath;
    QPainterPath deltaEPath;
    QPainterPath gammaPath;
    QPainterPath redPath;
    QPainterPath greenPath;
    QPainterPath bluePath;
    QPixmap measWhite;
    QPixmap measRed;
    QPixmap measGreen;
    QPixmap measBlue;
};
