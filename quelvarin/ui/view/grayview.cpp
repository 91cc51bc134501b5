#include "ui/view/grayview.h"

GrayView::GrayView(QGraphicsScene* scene, Measure* measure)
    : BaseView(scene, measure)
{
}

void GrayView::clear()
{
    clearDrawn();
}

// The page has no chart or table windows yet, so there is nothing to place.
void GrayView::layout() {}

void GrayView::refresh()
{
    // The scene has just deleted every item; only the references are dropped.
    forgetDrawn();
    drawResults();
}

// The page has no table window yet.
void GrayView::releaseDataTable() {}

void GrayView::drawColor(int mode)
{
    if (mode != Mode)
        return;
    drawResults();
}

// Redraws from the whole result list, so a delayed or merged notification still shows every
// result. The page has no charts yet, so there is nothing to draw.
void GrayView::drawResults() {}
