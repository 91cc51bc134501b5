#include "ui/view/saturatview.h"

SaturatView::SaturatView(QGraphicsScene* scene, Measure* measure)
    : SatStepsView(scene, measure, Mode, QStringLiteral(""), QT_TR_NOOP("Saturation"))
{
}
