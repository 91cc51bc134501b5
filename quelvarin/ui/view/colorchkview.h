#pragma once
// The colour-checker page of the result scene (measurement mode 4). It draws from
// Measure::colorChkList, or Measure::ebuList for the EBU 3237 set.

#include "ui/view/baseview.h"

class ColorChkView : public BaseView
{
    Q_OBJECT

public:
    static constexpr int Mode = 4;

    ColorChkView(QGraphicsScene* scene, Measure* measure);

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
