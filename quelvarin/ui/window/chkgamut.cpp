#include "ui/window/chkgamut.h"

#include "measure/measure.h"
#include "measure/patchset.h"
#include "ui/window/patchnames.h"
#include "ui/window/satgamut.h"

ChkGamut::ChkGamut(QGraphicsScene* scene, Measure* measure)
    : GamutWindow(scene, measure)
{
}

void ChkGamut::drawMeasure()
{
    if (!measure)
        return;
    const patchset::Set set =
        forcedSet >= 0 ? patchset::fromSetting(forcedSet) : patchset::chosen();
    const QList<CColor> targets =
        set == patchset::Ebu3237 ? measure->ebuTargets() : measure->colorChkTargets();
    const QStringList names = patchnames::forSet(set);
    for (int i = 0; i < targets.size() && i < names.size(); ++i) {
        double a, b;
        SatGamut::targetChromaticity(this, targets[i], &a, &b);
        SatGamut::addTargetRing(this, a, b, names[i]);
    }
}
