#include "ui/view/freeview.h"

// The page has no chart or table windows yet: the frame's clearing, relayout and redraw apply.
FreeView::FreeView(QGraphicsScene* scene, Measure* measure)
    : BaseView(scene, measure, Mode)
{
}
