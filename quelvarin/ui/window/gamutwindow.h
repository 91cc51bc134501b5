#pragma once
// A CIE chromaticity chart: the CIE 1931 x, y diagram (0 .. 0.9) or the CIE 1976 u', v' diagram
// (0 .. 0.7), as `reference/ciechart` chooses at each draw (0: x, y; any other value: u', v').
// Below the title band it shows the diagram's picture, a dotted grid every 0.1 with labels, the
// triangle of the current reference's primaries and a caption naming the standard and diagram.
// Charts built on it add their own markers in drawMeasure(); the result pages place measured
// colours with mapToChart(), passing the pair of the diagram on show (`uv`).
//
//   y            +------------------------------------+
//                | title band (47)                    |
//   y + 47       +------------------------------------+  <- value R (0.9 or 0.7)
//                | picture, grid, triangle, caption   |
//   y + h        +------------------------------------+  <- value 0
//                x                                    x + w

#include "ui/window/basewindow.h"

class QGraphicsTextItem;
class QPainter;
class QPixmap;

class GamutWindow : public BaseWindow
{
    Q_OBJECT
public:
    // The 50 points of the Planckian locus in CIE 1931 x, y, from the reddest to the bluest.
    static const double planckLocusXy[50][2];

    GamutWindow(QGraphicsScene* scene, Measure* measure);
    ~GamutWindow() override;

    // The whole chart, in stacking order: picture, grid, reference triangle (then drawMeasure),
    // Planckian locus when shown, caption.
    void draw() override;
    // Markers of a chart built on this one; nothing here.
    virtual void drawMeasure();

    void drawAxes();
    void drawReference();
    void drawPlanckLocus();

    // A caption line of the chart in its font and colour, not yet in a scene: line 0 names the
    // standard and the diagram, line 1 stands under it (the coverage figure of the gamut page).
    QGraphicsTextItem* makeCaption(const QString& text, int line) const;

    // Scene position of a chromaticity of the diagram on show, each value first limited from
    // above to the diagram's range (so a colour beyond the picture sits on its edge). Values that
    // are not numbers land on the chart's edge, never outside the page.
    void mapToChart(double a, double b, double* sx, double* sy) const;
    // The same without the limit, for the fixed drawing (triangle, locus, reference markers).
    void mapUnlimited(double a, double b, double* sx, double* sy) const;

    // Range of the diagram on show: 0.7 for u', v', 0.9 for x, y.
    double range() const;
    bool uvChart() const { return uv; }

    bool uv = false;
    bool showReference = true;
    bool showPlanck = false;
    QPixmap* xyPixmap = nullptr;
    QPixmap* uvPixmap = nullptr;
};
