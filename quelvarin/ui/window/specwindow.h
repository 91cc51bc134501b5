#pragma once
// The "Spectrum" window of the free-measurement page: a value axis 0 .. 1 (ticks 0.1 .. 0.9) and
// a wavelength axis 380 .. 780 nm (ticks 400 .. 750). The page draws the reading's spectrum,
// normalised to its largest sample, inside plotRect() with mapY().
//
//   y            +-------------------------------------------+
//                | title band (47)                           |
//   y + 47       +----+--------------------------------------+  <- value 1 (plot top)
//                | 0.9|-                                     |
//                |  ..|-      plot (x + 31, y + 47,          |
//                | 0.1|-            w - 31, h - 67)          |
//   y + h - 20   |    +--------------------------------------|  <- value axis end, value 0
//                |       |400    |450 ...           |750     |
//   y + h        +-------------------------------------------+
//                x   x + 30 (380 nm)                  x + w (780 nm)

#include "ui/window/basewindow.h"

class SpecWindow : public BaseWindow
{
    Q_OBJECT
public:
    explicit SpecWindow(QGraphicsScene* scene);

    void draw() override;
    void drawAxes();

    // The plot area right of the value axis and above the wavelength axis.
    void plotRect(int* px, int* py, int* pw, int* ph) const;
    // Scene y of a relative value: 1 at the plot's top, 0 and below held one pixel above the
    // wavelength axis; a value above 1 is not limited, except that a position beyond any finite
    // one becomes the plot's top. A value that is not a number lands one pixel above the axis.
    void mapY(double v, double* sy) const;
};
