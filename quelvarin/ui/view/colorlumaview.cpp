#include "ui/view/colorlumaview.h"

#include "ui/window/gmtgamut.h"

ColorLumaView::ColorLumaView(QGraphicsScene* scene, Measure* measure)
    : SatStepsView(scene, measure, Mode, QStringLiteral("_1"), QT_TR_NOOP("ColorScale"))
{
    gamutWindow = new GmtGamut(scene, measure);
}
