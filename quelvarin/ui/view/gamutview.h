#pragma once
// The gamut page of the result scene (measurement mode 1). It draws from
// Measure::gamutList: white, red, green, blue, yellow, cyan, magenta.

#include "ui/view/baseview.h"

class GamutView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 1;

    GamutView(QGraphicsScene* scene, Measure* measure);

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
