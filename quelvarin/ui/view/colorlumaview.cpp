#include "ui/view/colorlumaview.h"

ColorLumaView::ColorLumaView(QGraphicsScene* scene, Measure* measure)
    : SatStepsView(scene, measure, Mode, QStringLiteral("_1"), QT_TR_NOOP("ColorScale"))
{
}
