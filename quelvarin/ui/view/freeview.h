#pragma once
// The free-measurement page of the result scene (measurement mode 5). It draws from
// Measure::freeList, one entry per reading.

#include "ui/view/baseview.h"

class FreeView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 5;

    FreeView(QGraphicsScene* scene, Measure* measure);

    void clear() override;
    void layout() override;
    void refresh() override;

    // Takes the page's table out of the scene before the scene is cleared.
    void releaseDataTable();

public slots:
    // A result was appended to the list of `mode`; only the view of that mode redraws.
    void drawColor(int mode);

private:
    void drawResults();
};
