#include "ui/view/saturatview.h"

// The page has no chart or table windows yet: the frame's clearing, relayout and redraw apply.
SaturatView::SaturatView(QGraphicsScene* scene, Measure* measure)
    : BaseView(scene, measure, Mode)
{
}
