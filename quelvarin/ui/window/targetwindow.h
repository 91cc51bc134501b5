#pragma once
// The "Target" window of the free-measurement page: a target picture centred on the reference
// white in the a*, b* plane. The page puts a ring on it at mapToChart() of the reading's a*, b*:
// b* runs to the right (towards yellow), a* downwards (towards red), 300 units of b* span the
// window's width and 300 units of a* the plot's height.
//
//   y            +------------------------------------+
//                | title band (47)                    |
//   y + 47       +------------------------------------+
//                |                 | a* - 150         |
//                |   b* - 150 -----+----- b* + 150    |  centre (x + w/2, y + 47 + H/2) is the
//                |                 | a* + 150         |  reference white; offsets are held
//   y + h        +------------------------------------+  within w/3 and h/3 of it

#include "ui/window/basewindow.h"

class QPixmap;

class TargetWindow : public BaseWindow
{
    Q_OBJECT
public:
    explicit TargetWindow(QGraphicsScene* scene);
    ~TargetWindow() override;

    // Reads a*, b* of the current reference's white (at luminance 100) as the target, then shows
    // the target picture in the plot area.
    void draw() override;

    // Scene position of a reading with a* = a and b* = b. An offset that is not a number counts
    // as none (the centre); an infinite one is held at the limit like any large one. Before the
    // first draw the target is a* = b* = 0.
    void mapToChart(double a, double b, double* sx, double* sy) const;

    QPixmap* targetPixmap = nullptr;
    double targetA = 0.0;
    double targetB = 0.0;
};
