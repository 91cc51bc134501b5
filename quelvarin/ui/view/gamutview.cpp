#include "ui/view/gamutview.h"

// The page has no chart or table windows yet: the frame's clearing, relayout and redraw apply.
GamutView::GamutView(QGraphicsScene* scene, Measure* measure)
    : BaseView(scene, measure, Mode)
{
}
