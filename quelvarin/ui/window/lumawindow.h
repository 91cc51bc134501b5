#pragma once
// The luminance chart of the gray-scale page: relative luminance per gray step with the
// reference curve of the target gamma (power law, or BT.1886 fitted to the measured white and
// black once both exist).

#include "ui/window/basewindow.h"
#include "ui/window/chartgrid.h"

#include <QPointer>

class QGraphicsPathItem;

class LumaWindow : public BaseWindow, public chartgrid::StepAxis
{
    Q_OBJECT
public:
    LumaWindow(QGraphicsScene* scene, Measure* measure);

    void draw() override;

    void mapToChart(int step, double value, double* sx, double* sy);

    // BT.1886 relative luminance of gray level i/n for the measured white and black.
    double refLuminance(int i, int n);
    // Draws the reference curve (BT.1886 when true, else the power law) and keeps its item.
    void drawReference(bool bt1886);
    // Removes and deletes the kept reference curve, if any.
    void removeItems();

    QGraphicsPathItem* referenceItem = nullptr;
};

// The BT.1886 EOTF relative to white for level v, fitted to white Lw and black Lb; capped at 1.
// Not a number when Lw equals Lb or either is negative.
double bt1886Relative(double v, double lw, double lb);
