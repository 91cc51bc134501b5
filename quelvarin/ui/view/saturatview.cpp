#include "ui/view/saturatview.h"

#include "ui/window/satgamut.h"

SaturatView::SaturatView(QGraphicsScene* scene, Measure* measure)
    : SatStepsView(scene, measure, Mode, QStringLiteral(""), QT_TR_NOOP("Saturation"))
{
    gamutWindow = new SatGamut(scene, measure);
}
