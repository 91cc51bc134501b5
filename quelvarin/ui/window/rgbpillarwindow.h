#pragma once
// The "RGB Level" window of the free-measurement page: the balance of red, green and blue of a
// reading (its chromaticity through the reference's XYZ-to-RGB matrix at unit luminance, less 1)
// as three pillars that stand up or hang down from the zero line, on a scale of -0.5 .. +0.5.
// The window draws the grid; the page draws the pillars in the rectangles of barGeometry().
//
//   y            +--------------------------------------+
//                | title band (47)                      |
//   y + 47       +--------------------------------------+  <- +0.5
//                | 0.4 . . . . . . . . . . . . . . . . .|
//                | 0   . . . .[R ][G ][B ]. . . . . . . |  <- mid = y + 47 + (h - 47) / 2
//                |-0.4 . . . . . . . . . . . . . . . . .|
//   y + h        +--------------------------------------+  <- -0.5
//                x    x + 2.5u                x + 8.5u   (u = w / 10)

#include "ui/window/basewindow.h"

class RgbPillarWindow : public BaseWindow
{
    Q_OBJECT
public:
    // Full height of the scale on either side of the zero line.
    static constexpr double LevelLimit = 0.5;

    explicit RgbPillarWindow(QGraphicsScene* scene);

    void draw() override;
    // Nine dotted lines with the labels 0.4 .. -0.4, each one tenth of the plot below the
    // previous one as drawn (the rounding of one line carries into the next).
    void drawAxes();

    // The rectangle of pillar `index` (0 red, 1 green, 2 blue) for a balance `level`, limited
    // to +-0.5: upwards from the zero line for a level of 0 or more, downwards below it. A level
    // that is not a number gives a pillar of height 0, as a level of 0 does.
    void barGeometry(int index, double level, double* bx, double* by, double* bw,
                     double* bh) const;
};
