#include "ui/view/colorlumaview.h"

// The page has no chart or table windows yet: the frame's clearing, relayout and redraw apply.
ColorLumaView::ColorLumaView(QGraphicsScene* scene, Measure* measure)
    : BaseView(scene, measure, Mode)
{
}
