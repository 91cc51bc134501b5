#pragma once
// The gray-scale page of the result scene (measurement mode 0). It draws from
// Measure::grayList: the white, then the gray levels 0/steps to steps/steps.

#include "ui/view/baseview.h"

class GrayView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 0;

    GrayView(QGraphicsScene* scene, Measure* measure);

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
