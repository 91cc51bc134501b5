#pragma once
// Display models for the monitor calibration's tests: a display that follows a colour reference
// (with black light and noise), the calibration's cube and ramps filled from a model, the
// reference of a calibration space, what is compared of the LUTs built (the first node that
// differs, the identity, how far the display shows each node's drive from its target), and the
// state each test starts from.

#include "colour/colorreference.h"
#include "colour/currentreference.h"
#include "colour/lut3d.h"
#include "measure/calibratemonitor.h"
#include "testenv.h"

#include <QMetaType>
#include <QString>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace displaymodel {

using Model = std::function<void(double r, double g, double b, double xyz[3])>;

// A display that follows a colour reference exactly: XYZ = white x M (levels^gamma) + black.
inline Model referenceDisplay(ColorStandard standard, double gamma, double white, double black,
                              double noise = 0.0)
{
    const ColorReference ref(standard, WhiteOwn, gamma);
    const Matrix m = ref.rgbToXyz;
    return [m, gamma, white, black, noise](double r, double g, double b, double xyz[3]) {
        const double p[3] = {std::pow(r, gamma), std::pow(g, gamma), std::pow(b, gamma)};
        for (int k = 0; k < 3; ++k) {
            const double wobble = noise * std::sin(12.9898 * r + 78.233 * g + 37.719 * b + k);
            xyz[k] = white * (m(k, 0) * p[0] + m(k, 1) * p[1] + m(k, 2) * p[2]) * (1 + wobble) + black;
        }
    };
}

inline void fillCube(CalibrateMonitor& cm, const Model& model)
{
    for (int r = 0; r < 16; ++r)
        for (int g = 0; g < 16; ++g)
            for (int b = 0; b < 16; ++b) {
                double xyz[3];
                model(r / 15.0, g / 15.0, b / 15.0, xyz);
                cm.setCubeNode(r, g, b, CColor(xyz[0], xyz[1], xyz[2]));
            }
}

inline void fillRamps(CalibrateMonitor& cm, const Model& model)
{
    for (int ch = 0; ch < 3; ++ch)
        for (int i = 0; i < 30; ++i) {
            const double l = i / 29.0;
            double xyz[3];
            model(ch == 0 ? l : 0, ch == 1 ? l : 0, ch == 2 ? l : 0, xyz);
            cm.setNodeColor(ch, i, CColor(xyz[0], xyz[1], xyz[2]));
        }
}

inline std::shared_ptr<const ColorReference> spaceReference(int s)
{
    const CalibrateMonitor::Space& sp = CalibrateMonitor::kSpaces[s];
    return std::make_shared<const ColorReference>(sp.standard, sp.white, sp.gamma);
}

inline QString nodeDiff(const Lut3d& got, const Lut3d& want)
{
    for (int a = 0; a < got.size; ++a)
        for (int b = 0; b < got.size; ++b)
            for (int c = 0; c < got.size; ++c)
                for (int k = 0; k < 3; ++k)
                    if (got.grid[a][b][c][k] != want.grid[a][b][c][k])
                        return QString("node %1 %2 %3 component %4: %5 vs %6")
                            .arg(a).arg(b).arg(c).arg(k)
                            .arg(got.grid[a][b][c][k], 0, 'g', 17)
                            .arg(want.grid[a][b][c][k], 0, 'g', 17);
    return QString();
}

inline bool isIdentity(const Lut3d& lut)
{
    for (int a = 0; a < lut.size; ++a)
        for (int b = 0; b < lut.size; ++b)
            for (int c = 0; c < lut.size; ++c)
                if (lut.grid[a][b][c][0] != a / 16.0 || lut.grid[a][b][c][1] != b / 16.0
                    || lut.grid[a][b][c][2] != c / 16.0)
                    return false;
    return true;
}

// How far what the display shows at each node's drive lies from the node's target, over the
// nodes with a level of at least 1/2 (dark targets weigh their chromaticity little): the
// largest L* and u'v' differences.
inline void shownAgainstTarget(const Lut3d& lut, const Model& display, const CalibrateMonitor& cm,
                               const std::shared_ptr<const ColorReference>& ref, double* maxL,
                               double* maxUv)
{
    ScopedThreadColorReference scope(ref);
    *maxL = *maxUv = 0.0;
    for (int a = 0; a < 17; ++a)
        for (int b = 0; b < 17; ++b)
            for (int c = 0; c < 17; ++c) {
                if (std::max({a, b, c}) < 8)
                    continue;
                const double* node = lut.grid[a][b][c];
                double xyz[3];
                display(node[0], node[1], node[2], xyz);
                const CColor shown(xyz[0], xyz[1], xyz[2]);
                CColor levels(0, 0, 0), target;
                levels.levelR = a / 16.0;
                levels.levelG = b / 16.0;
                levels.levelB = c / 16.0;
                levels.GetTarget(cm.peakY, cm.blackY, target);
                *maxL = std::max(*maxL, std::fabs(shown.toLab(cm.peakY)[0] - target.toLab(cm.peakY)[0]));
                *maxUv = std::max(*maxUv, std::hypot(shown.toupvpY()[0] - target.toupvpY()[0],
                                                     shown.toupvpY()[1] - target.toupvpY()[1]));
            }
}

inline void chooseSpaces(bool hdtv, bool dci, bool uhdtv)
{
    CalibrateMonitor::rec709 = hdtv;
    CalibrateMonitor::dci = dci;
    CalibrateMonitor::rec2020 = uhdtv;
}

// Where each test starts: no stored settings, no current colour reference, no space chosen.
inline void resetCalibrationState()
{
    testenv::clearSettings();
    setCurrentColorReference(nullptr);
    chooseSpaces(false, false, false);
}

} // namespace displaymodel

Q_DECLARE_METATYPE(displaymodel::Model)
