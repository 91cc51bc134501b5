#pragma once
// The colour-scale page of the result scene (measurement mode 3). It draws from
// Measure::colorLumaList: the white and 30 patches.

#include "ui/view/baseview.h"

class ColorLumaView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 3;

    ColorLumaView(QGraphicsScene* scene, Measure* measure);

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
