#include "ui/view/colorchkview.h"

// The page has no chart or table windows yet: the frame's clearing, relayout and redraw apply.
ColorChkView::ColorChkView(QGraphicsScene* scene, Measure* measure)
    : BaseView(scene, measure, Mode)
{
}
