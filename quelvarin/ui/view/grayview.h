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

    void layout() override;

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

    // The measured-white marker on the white-point chart, from the list's first element; it
    // replaces the one on show.
    void drawWhite();
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

    // What the page drew: one curve per chart and the measured-white marker (each replaced,
    // never stacked), and the step markers, six or seven per gray step in list order.
    QGraphicsPathItem* lumaCurve() const;
    QGraphicsPathItem* cctCurve() const;
    QGraphicsPathItem* deltaECurve() const;
    QGraphicsPathItem* gammaCurve() const;
    QGraphicsPathItem* redCurve() const;
    QGraphicsPathItem* greenCurve() const;
    QGraphicsPathItem* blueCurve() const;
    QGraphicsPixmapItem* whiteMarker() const;
    QList<QGraphicsItem*> markers() const;

    LumaWindow* lumaWindow = nullptr;
    CctWindow* cctWindow = nullptr;
    WhiteWindow* whiteWindow = nullptr;
    DelteWindow* delteWindow = nullptr;
    GammaWindow* gammaWindow = nullptr;
    RgbLevelWindow* rgbLevelWindow = nullptr;
    GrayDataWindow* dataWindow = nullptr;
    QPixmap* targetPixmap = nullptr;

protected:
    void resetDrawing() override;
    void beginResults(const QList<CColor>& list, int first) override;
    void endResults(const QList<CColor>& list) override;
    // Element 0: the table's white and the measured-white marker. Element i >= 1: table row
    // i - 1 and the step on the five step charts (graysteps.cpp).
    void drawResult(const QList<CColor>& list, int i) override;

private:
    // The items the page replaces, one of each at a time.
    enum Slot { LumaSlot, CctSlot, DeltaESlot, GammaSlot, RedSlot, GreenSlot, BlueSlot, WhiteSlot };

    QGraphicsPixmapItem* makeWhiteMarker(const CColor& white) const;
    // A snapshot of the engine's gray list (empty without an engine).
    QList<CColor> grayResults() const;
    // Tells the step charts the step count of the run on show.
    void applyRunSteps(int steps);
    // Draws list element i (i >= 1) of a run of `steps` steps on the five step charts.
    void drawStep(const QList<CColor>& list, int i, int steps);
    // Whether list element i of a run of `steps` steps lies below the full level, so that it
    // has a gamma and replaces the gamma curve.
    static bool belowFullLevel(const QList<CColor>& list, int i, int steps);
    // One chart's share of a step: its polyline, its curve slot, the curve's colour and the
    // marker picture.
    struct StepPoint
    {
        QPainterPath* path;
        int slot;
        QColor colour;
        const QPixmap* picture;
    };
    // Extends the chart's polyline to (sx, sy), replaces its curve and adds the marker.
    void plotPoint(const StepPoint& point, double sx, double sy, const QString& toolTip);
    // Replaces the chart's curve by one through its polyline as it stands when the drawing
    // ends (none while it has fewer than two points).
    void replaceCurve(const StepPoint& point);
    void addMarker(const QPixmap& picture, double x, double y, const QString& toolTip);

    // The step count the current drawing places the steps with.
    int drawSteps = 1;
    // The polylines through the steps drawn so far, reset by a full redraw and a clear.
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
