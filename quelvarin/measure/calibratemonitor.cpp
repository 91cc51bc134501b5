#include "measure/calibratemonitor.h"

#include "colour/correction.h"
#include "colour/currentreference.h"
#include "measure/cubefile.h"
#include "measure/file3dlut.h"
#include "measure/parallelfor.h"
#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

Q_LOGGING_CATEGORY(lcCalibrate, "quelvarin.calibrate", QtWarningMsg)

namespace {

// Initial best distances of the searches: an entry must be nearer than this to be taken.
constexpr double kCubeSearchBound = 999999999.0;
constexpr double kFastSearchBound = 99999999999.0;
constexpr double kChromaGridBound = 999999999.0;
// The target peak luminance: this fraction of the measured (or predicted) white's.
constexpr double kPeakFraction = 0.9;
// Codes of a regridded channel stand for the drive at which the channel's own value has risen
// by (code/255)^2.5 of its span.
constexpr double kCodeExponent = 2.5;
constexpr int kTopCode = CalibrateMonitor::kCodes - 1;
// Half-widths of the windowed search around the start codes: red, green, blue (the window
// reaches this far below the start and one less above it).
constexpr int kNearRed = 40;
constexpr int kNearGreen = 30;
constexpr int kNearBlue = 50;
// Half-width of the red and blue window of the neutral refinement of a gray node.
constexpr int kGrayRefine = 10;
// The one-dimensional path: 500 x 500 chromaticities between four measured colours, records
// every 5 codes from 5 to 250 and one centred on 253.
constexpr int kChromaGridPoints = 500;
constexpr int kRecordStep = 5;
constexpr int kRecordSpread = 2;
// L* of the CIE 15 formula as the colour library computes it (CColor::toLab).
constexpr double kLabEpsilon = 0.008856;
constexpr double kLabSlope = 7.787;
constexpr double kLabOffset = 16.0 / 116.0;
constexpr double kOneThird = 1.0 / 3.0;
constexpr double kNullValue = -99999.99;  // a component of the null colour

constexpr int kCubeLines = CalibrateMonitor::kCubePoints * CalibrateMonitor::kCubePoints
                           * CalibrateMonitor::kCubePoints;

inline double labF(double t)
{
    return t > kLabEpsilon ? std::pow(t, kOneThird) : kLabSlope * t + kLabOffset;
}

// The eight corner nodes of an output table, [x][y][z] = node (16x, 16y, 16z).
struct Corners
{
    double n[2][2][2][3];
};

Corners cornersOf(const Lut3d* lut)
{
    Corners c{};
    const int top = lut->size - 1;
    for (int x = 0; x < 2; ++x)
        for (int y = 0; y < 2; ++y)
            for (int z = 0; z < 2; ++z)
                for (int k = 0; k < 3; ++k)
                    c.n[x][y][z][k] = lut->grid[x * top][y * top][z * top][k];
    return c;
}

// Start codes between the corners: trilinear, with the black corner taken as zero.
void guessFrom(const Corners& c, double u, double v, double w, int out[3])
{
    for (int k = 0; k < 3; ++k) {
        auto N = [&c, k](int x, int y, int z) { return c.n[x][y][z][k]; };
        const double top = v * (u * N(1, 1, 1) + (1 - u) * N(0, 1, 1))
                           + (1 - v) * (u * N(1, 0, 1) + (1 - u) * N(0, 0, 1));
        const double bottom = v * (u * N(1, 1, 0) + (1 - u) * N(0, 1, 0)) + (1 - v) * u * N(1, 0, 0);
        const double value = w * top + (1 - w) * bottom;
        const double code = std::round(255 * value);
        // Start codes far outside 0..255 only empty the search window.
        out[k] = int(std::max(-1000.0, std::min(1000.0, std::isnan(code) ? 0.0 : code)));
    }
}

// A ramp rises when its own component goes up from its first to its last reading by more than
// twice all its falls between neighbouring readings together. A display's ramp falls only
// where the instrument's noise meets the darkest steps, by a tiny part of the rise; readings
// that do not follow the pattern fall about as much as they rise, many times their net change.
constexpr double kMaxFallShare = 0.5;

struct Xyz
{
    double v[3];
};

Xyz xyzOf(const double* p)
{
    return Xyz{{p[0], p[1], p[2]}};
}

bool isReading(const Xyz& c)
{
    const bool null = c.v[0] == kNullValue && c.v[1] == kNullValue && c.v[2] == kNullValue;
    return !null && std::isfinite(c.v[0]) && std::isfinite(c.v[1]) && std::isfinite(c.v[2]);
}

// ramps[c]: channel c's readings from drive 0 to full; black and white: the display's black
// and white, measured or predicted.
CalibrateMonitor::Readings judgeReadings(const std::vector<Xyz> (&ramps)[3], const Xyz& black,
                                         const Xyz& white)
{
    using Readings = CalibrateMonitor::Readings;
    Matrix primaries(0.0, 3, 3);  // columns: each channel's light at full drive, its black off
    for (int c = 0; c < 3; ++c) {
        const std::vector<Xyz>& ramp = ramps[c];
        double falls = 0.0;
        for (size_t i = 1; i < ramp.size(); ++i)
            falls += std::max(0.0, ramp[i - 1].v[c] - ramp[i].v[c]);
        const double rise = ramp.back().v[c] - ramp.front().v[c];
        if (!(rise > 0.0) || falls > kMaxFallShare * rise)
            return Readings::Unchanging;
        for (int k = 0; k < 3; ++k)
            primaries(k, c) = ramp.back().v[k] - ramp.front().v[k];
    }
    if (!(white.v[1] > black.v[1]))
        return Readings::Unchanging;
    if (conditionNumber(primaries) > kMaxPrimariesCondition)
        return Readings::Unchanging;
    return Readings::Display;
}

} // namespace

// ---- process-wide state ---------------------------------------------------------------------

const CalibrateMonitor::Space CalibrateMonitor::kSpaces[3] = {
    {StandardHdtvRec709, WhiteD65, 2.4, "HDTV", 0},
    {StandardDciP3, WhiteDciP3, 2.6, "DCIP3", 1},
    {StandardUhdtvBt2020, WhiteD65, 2.4, "UHDTV", 2},
};

std::atomic<bool> CalibrateMonitor::rec709{false};
std::atomic<bool> CalibrateMonitor::dci{false};
std::atomic<bool> CalibrateMonitor::rec2020{false};

Lut3d CalibrateMonitor::measuredCube(CalibrateMonitor::kCubePoints);
Lut3d CalibrateMonitor::lutHdtv(CalibrateMonitor::kLutPoints);
Lut3d CalibrateMonitor::lutDcip3(CalibrateMonitor::kLutPoints);
Lut3d CalibrateMonitor::lutUhdtv(CalibrateMonitor::kLutPoints);

CalibrateMonitor::CalibrateMonitor()
{
    bool ok = measuredCube.allocate();
    ok = lutHdtv.allocate() && ok;
    ok = lutDcip3.allocate() && ok;
    ok = lutUhdtv.allocate() && ok;
    ok = m_resampled.allocate(kResamplePoints) && ok;
    m_allocated = ok;
}

CalibrateMonitor::~CalibrateMonitor() = default;

bool CalibrateMonitor::hasTarget()
{
    return rec709.load() || dci.load() || rec2020.load();
}

Lut3d* CalibrateMonitor::outputLut(int spaceIndex)
{
    switch (spaceIndex) {
    case 0: return &lutHdtv;
    case 1: return &lutDcip3;
    default: return &lutUhdtv;
    }
}

void CalibrateMonitor::releaseLuts()
{
    measuredCube.release();
    lutHdtv.release();
    lutDcip3.release();
    lutUhdtv.release();
}

void CalibrateMonitor::setNodeColor(int row, int node, const CColor& c)
{
    if (row < 0 || row > 2 || node < 0 || node >= kCodes)
        return;
    for (int k = 0; k < 3; ++k)
        nodeTable[row][node][k] = c[k];
}

void CalibrateMonitor::setCubeNode(int r, int g, int b, const CColor& c)
{
    if (!measuredCube.grid || r < 0 || g < 0 || b < 0 || r >= kCubePoints || g >= kCubePoints
        || b >= kCubePoints)
        return;
    for (int k = 0; k < 3; ++k)
        measuredCube.grid[r][g][b][k] = c[k];
}

// ---- are the readings a display's? ---------------------------------------------------------

CalibrateMonitor::Readings CalibrateMonitor::checkRamps() const
{
    std::vector<Xyz> ramps[3];
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < kRampSteps; ++i) {
            ramps[c].push_back(xyzOf(nodeTable[c][i]));
            if (!isReading(ramps[c].back()))
                return Readings::Failed;
        }
    // Black and white as the ramp builder takes them: black from the three ramps' first
    // readings, white their sum at full drive.
    const Xyz black{{ramps[0].front().v[0], ramps[1].front().v[1], ramps[2].front().v[2]}};
    Xyz white = black;
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 3; ++k)
            white.v[k] += ramps[c].back().v[k] - ramps[c].front().v[k];
    return judgeReadings(ramps, black, white);
}

CalibrateMonitor::Readings CalibrateMonitor::checkCube()
{
    if (!measuredCube.grid)
        return Readings::Failed;
    for (int r = 0; r < kCubePoints; ++r)
        for (int g = 0; g < kCubePoints; ++g)
            for (int b = 0; b < kCubePoints; ++b)
                if (!isReading(xyzOf(measuredCube.grid[r][g][b])))
                    return Readings::Failed;
    // The ramps run along the cube's edges from black.
    std::vector<Xyz> ramps[3];
    for (int i = 0; i < kCubePoints; ++i) {
        ramps[0].push_back(xyzOf(measuredCube.grid[i][0][0]));
        ramps[1].push_back(xyzOf(measuredCube.grid[0][i][0]));
        ramps[2].push_back(xyzOf(measuredCube.grid[0][0][i]));
    }
    const int top = kCubePoints - 1;
    return judgeReadings(ramps, xyzOf(measuredCube.grid[0][0][0]),
                         xyzOf(measuredCube.grid[top][top][top]));
}

// ---- colour of a table entry and of a target ------------------------------------------------

namespace {

// L*, u', v' of X, Y, Z where `whiteY` is the luminance of the scaled white that L* divides by.
inline void luvAgainst(double X, double Y, double Z, double whiteY, double out[3])
{
    if (X == kNullValue && Y == kNullValue && Z == kNullValue) {
        // The conversions pass the null colour through.
        out[0] = out[1] = out[2] = kNullValue;
        return;
    }
    out[0] = 116.0 * labF(Y / whiteY) - 16.0;
    const double D = (X + 15.0 * Y) + 3.0 * Z;
    if (D != 0.0) {
        out[1] = 4.0 * X / D;
        out[2] = 9.0 * Y / D;
    } else {
        out[1] = 0.0;
        out[2] = 0.0;
    }
}

// The luminance of the white of `ref` scaled to Yn, computed as CColor::toLab computes it.
inline double scaledWhiteY(const ColorReference& ref, double Yn)
{
    const double W1 = ref.white[1];
    const double k = Yn / W1;
    return k * W1;
}

} // namespace

void CalibrateMonitor::luvOf(const ColorReference& ref, double X, double Y, double Z, double Yn,
                             double out[3])
{
    luvAgainst(X, Y, Z, scaledWhiteY(ref, Yn), out);
}

LuvTarget CalibrateMonitor::targetOf(const std::shared_ptr<const ColorReference>& ref, double r,
                                     double g, double b, double blackY, double peakY,
                                     double chromaWeight)
{
    // GetTarget reads the current reference: make it `ref` on this thread for the call.
    ScopedThreadColorReference scope(ref);
    CColor levels(0.0, 0.0, 0.0);
    levels.levelR = r;
    levels.levelG = g;
    levels.levelB = b;
    CColor target;
    levels.GetTarget(peakY, blackY, target);
    LuvTarget t;
    t.L = target.toLab(peakY, *ref)[0];
    const CColor uv = target.toupvpY();
    t.u = uv[0];
    t.v = uv[1];
    t.w = chromaWeight * (t.L * t.L);
    return t;
}

// ---- the cube builder -----------------------------------------------------------------------

bool CalibrateMonitor::doCalibrate3D()
{
    const bool chosen[3] = {rec709.load(), dci.load(), rec2020.load()};
    if (!chosen[0] && !chosen[1] && !chosen[2])
        return true;
    if (!m_allocated)
        return false;
    for (int s = 0; s < 3; ++s) {
        if (!chosen[s])
            continue;
        const Space& space = kSpaces[s];
        ScopedThreadColorReference scope(
            std::make_shared<const ColorReference>(space.standard, space.white, space.gamma));
        Lut3d* lut = outputLut(s);
        lut->setIdentity();
        calibrate3D(lut);
    }
    return true;
}

void CalibrateMonitor::calibrate3D(Lut3d* lut)
{
    if (!lut || !lut->grid || !measuredCube.grid || !m_resampled.isAllocated())
        return;
    const std::shared_ptr<const ColorReference> ref = currentColorReference();
    const int top = kCubePoints - 1;
    peakY = kPeakFraction * measuredCube.grid[top][top][top][1];
    blackY = measuredCube.grid[0][0][0][1];
    const double whiteY = scaledWhiteY(*ref, peakY);

    const int n = kResamplePoints;
    const double step = double(n - 1);
    parallel::forEach(n, [&](int i) {
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                LutRgb rgb(i / step, j / step, k / step);
                measuredCube.lookup(&rgb);
                luvAgainst(rgb.rgb[0], rgb.rgb[1], rgb.rgb[2], whiteY, m_resampled.entry(i, j, k));
            }
    });
    m_resampled.buildBounds();

    const int size = lut->size;
    const double lutStep = double(size - 1);
    const LuvBox all{{0, 0, 0}, {n, n, n}};
    parallel::forEach(size * size, [&](int ab) {
        const int a = ab / size, b = ab % size;
        for (int c = 0; c < size; ++c) {
            const LuvTarget t = targetOf(ref, a / lutStep, b / lutStep, c / lutStep, blackY, peakY,
                                         kCubeChromaWeight);
            int best[3];
            // A node that nothing comes near (a cube without light) keeps its identity value.
            if (m_resampled.nearest(t, all, kCubeSearchBound, best)) {
                double* node = lut->grid[a][b][c];
                node[0] = best[0] / step;
                node[1] = best[1] / step;
                node[2] = best[2] / step;
            }
        }
    });
    if (lcCalibrate().isDebugEnabled()) {
        for (int a = 0; a < size; ++a)
            for (int b = 0; b < size; ++b)
                for (int c = 0; c < size; ++c)
                    qCDebug(lcCalibrate) << "lut rgb" << a << b << c;
        qCDebug(lcCalibrate) << "over";
    }
}

// ---- the ramp builder -----------------------------------------------------------------------

bool CalibrateMonitor::doCalibrateFast3D()
{
    const bool chosen[3] = {rec709.load(), dci.load(), rec2020.load()};
    if (!chosen[0] && !chosen[1] && !chosen[2])
        return true;
    if (!m_allocated)
        return false;
    prepareRamps();
    if (!m_model.isAllocated() && !m_model.allocate(kCodes))
        return false;
    // The model holds the display's own colours: a space's reference enters it only through its
    // white's luminance (the scale of L*), which is the same for every space built in. It is
    // built once and built again only for a space whose white would give other entries.
    bool built = false;
    double builtWhiteY = 0.0;
    for (int s = 0; s < 3; ++s) {
        if (!chosen[s])
            continue;
        const Space& space = kSpaces[s];
        ScopedThreadColorReference scope(
            std::make_shared<const ColorReference>(space.standard, space.white, space.gamma));
        const double whiteY = currentColorReference()->white[1];
        if (!built || whiteY != builtWhiteY) {
            buildModelTable();
            built = true;
            builtWhiteY = whiteY;
        }
        Lut3d* lut = outputLut(s);
        lut->setIdentity();
        calibrateFast3D(lut);
    }
    return true;
}

void CalibrateMonitor::prepareRamps()
{
    blackX = nodeTable[0][0][0];
    blackY = nodeTable[1][0][1];
    blackZ = nodeTable[2][0][2];
    regridChannel(0);
    regridChannel(1);
    regridChannel(2);
}

void CalibrateMonitor::regridChannel(int row)
{
    if (row < 0 || row > 2)
        return;
    const int c = row;  // the channel's own component: X red, Y green, Z blue
    double m[kRampSteps][3];
    for (int i = 0; i < kRampSteps; ++i)
        for (int k = 0; k < 3; ++k)
            m[i][k] = nodeTable[row][i][k];
    const int last = kRampSteps - 1;

    double out[kCodes][4];
    for (int k = 0; k < 3; ++k) {
        out[0][k] = m[0][k];
        out[kTopCode][k] = m[last][k];
    }
    out[0][3] = 0.0;
    out[kTopCode][3] = 1.0;

    const double base = m[0][c];
    const double span = m[last][c] - base;
    for (int code = 1; code < kTopCode; ++code) {
        const double t = base + span * std::pow(code / 255.0, kCodeExponent);
        bool found = false;
        for (int i = 1; i < kRampSteps; ++i) {
            const double a = m[i - 1][c];
            const double b = m[i][c];
            if (a <= t && t < b) {
                const double f = (t - a) / (b - a);
                for (int k = 0; k < 3; ++k)
                    out[code][k] = m[i - 1][k] + f * (m[i][k] - m[i - 1][k]);
                out[code][3] = (i - 1 + f) / last;
                found = true;
            }
        }
        if (!found) {
            // A ramp whose full value does not rise above its black brackets no target: the
            // code takes the nearer end of the ramp, so no node is left undefined.
            const bool low = std::fabs(t - m[0][c]) <= std::fabs(t - m[last][c]);
            const int end = low ? 0 : last;
            for (int k = 0; k < 3; ++k)
                out[code][k] = m[end][k];
            out[code][3] = low ? 0.0 : 1.0;
        }
    }
    const double black[3] = {blackX, blackY, blackZ};
    for (int code = 0; code < kCodes; ++code) {
        for (int k = 0; k < 3; ++k)
            nodeTable[row][code][k] = out[code][k] - black[k];
        nodeTable[row][code][3] = out[code][3];
    }
}

bool CalibrateMonitor::buildModelTable()
{
    if (!m_model.isAllocated() && !m_model.allocate(kCodes))
        return false;
    const std::shared_ptr<const ColorReference> ref = currentColorReference();
    const auto& n0 = nodeTable[0];
    const auto& n1 = nodeTable[1];
    const auto& n2 = nodeTable[2];
    const double black[3] = {blackX, blackY, blackZ};
    peakY = kPeakFraction * (((n0[kTopCode][1] + n1[kTopCode][1]) + n2[kTopCode][1]) + black[1]);
    const double whiteY = scaledWhiteY(*ref, peakY);
    // XYZ of (r, g, b) is ((red + green) + blue) + black, summed in that order.
    parallel::forEach(kCodes, [&](int r) {
        for (int g = 0; g < kCodes; ++g) {
            const double rg[3] = {n0[r][0] + n1[g][0], n0[r][1] + n1[g][1], n0[r][2] + n1[g][2]};
            double* e = m_model.entry(r, g, 0);
            for (int b = 0; b < kCodes; ++b, e += 3) {
                const double* blue = n2[b];
                luvAgainst((rg[0] + blue[0]) + black[0], (rg[1] + blue[1]) + black[1],
                           (rg[2] + blue[2]) + black[2], whiteY, e);
            }
        }
    });
    m_model.buildBounds();
    return true;
}

LuvTarget CalibrateMonitor::fastTarget(const CColor& target) const
{
    const std::shared_ptr<const ColorReference> ref = currentColorReference();
    LuvTarget t;
    t.L = target.toLab(peakY, *ref)[0];
    const CColor uv = target.toupvpY();
    t.u = uv[0];
    t.v = uv[1];
    t.w = kFastChromaWeight * (t.L * t.L);
    return t;
}

bool CalibrateMonitor::searchAllLuv(const LuvTarget& t, int rgb[3]) const
{
    // Code 255 is on no axis of the search.
    const LuvBox box{{0, 0, 0}, {kTopCode, kTopCode, kTopCode}};
    return m_model.nearest(t, box, kFastSearchBound, rgb);
}

bool CalibrateMonitor::searchNearLuv(const LuvTarget& t, int r0, int g0, int b0, int rgb[3]) const
{
    const LuvBox box{{std::max(r0 - kNearRed, 0), std::max(g0 - kNearGreen, 0), std::max(b0 - kNearBlue, 0)},
                     {std::min(r0 + kNearRed, kTopCode), std::min(g0 + kNearGreen, kTopCode),
                      std::min(b0 + kNearBlue, kTopCode)}};
    if (!m_model.nearest(t, box, kFastSearchBound, rgb))
        return false;
    if (r0 == g0 && g0 == b0 && g0 >= 0 && g0 < kCodes) {
        // A gray node: with green held at the green the search chose, the red and blue near its
        // choice that give the target's chromaticity. The green must be the one kept: red and
        // blue neutral at any other green tint the gray.
        const int green = rgb[1];
        const int rc = rgb[0], bc = rgb[2];
        double best = kFastSearchBound;
        int red = -1, blue = -1;
        for (int r = std::max(rc - kGrayRefine, 0); r < std::min(rc + kGrayRefine, kTopCode); ++r)
            for (int b = std::max(bc - kGrayRefine, 0); b < std::min(bc + kGrayRefine, kTopCode); ++b) {
                const double* e = m_model.entry(r, green, b);
                const double du = t.u - e[1];
                const double dv = t.v - e[2];
                const double d = du * du + dv * dv;
                if (d < best) {
                    best = d;
                    red = r;
                    blue = b;
                }
            }
        if (red >= 0) {
            rgb[0] = red;
            rgb[2] = blue;
        }
    }
    return true;
}

bool CalibrateMonitor::searchAll(const CColor& target, int* r, int* g, int* b) const
{
    int rgb[3];
    if (!searchAllLuv(fastTarget(target), rgb))
        return false;
    *r = rgb[0];
    *g = rgb[1];
    *b = rgb[2];
    return true;
}

bool CalibrateMonitor::searchNear(const CColor& target, int r0, int g0, int b0, int* r, int* g,
                                  int* b) const
{
    int rgb[3];
    if (!searchNearLuv(fastTarget(target), r0, g0, b0, rgb))
        return false;
    *r = rgb[0];
    *g = rgb[1];
    *b = rgb[2];
    return true;
}

void CalibrateMonitor::cornerGuess(const Lut3d* lut, double u, double v, double w, int* r, int* g,
                                   int* b)
{
    int out[3];
    guessFrom(cornersOf(lut), u, v, w, out);
    *r = out[0];
    *g = out[1];
    *b = out[2];
}

void CalibrateMonitor::calibrateFast3D(Lut3d* lut)
{
    if (!lut || !lut->grid || !m_model.isAllocated())
        return;
    const std::shared_ptr<const ColorReference> ref = currentColorReference();
    const int size = lut->size;
    const int top = size - 1;
    auto drives = [this](const int rgb[3], double* node) {
        node[0] = nodeTable[0][rgb[0]][3];
        node[1] = nodeTable[1][rgb[1]][3];
        node[2] = nodeTable[2][rgb[2]][3];
    };

    // 1. The seven lit corners, each by a search of the whole model.
    struct Corner
    {
        int x, y, z;
        const char* name;
    };
    const Corner corners[7] = {{1, 1, 1, "white"}, {1, 0, 0, "red"},     {0, 1, 0, "green"},
                               {0, 0, 1, nullptr}, {1, 1, 0, nullptr},   {1, 0, 1, nullptr},
                               {0, 1, 1, nullptr}};
    int cornerCodes[7][3];
    bool cornerFound[7];
    parallel::forEach(7, [&](int i) {
        const Corner& c = corners[i];
        const LuvTarget t = targetOf(ref, c.x, c.y, c.z, blackY, peakY, kFastChromaWeight);
        cornerFound[i] = searchAllLuv(t, cornerCodes[i]);
    });
    for (int i = 0; i < 7; ++i) {
        const Corner& c = corners[i];
        double* node = lut->grid[c.x * top][c.y * top][c.z * top];
        if (cornerFound[i])
            drives(cornerCodes[i], node);
        if (c.name) {
            qCDebug(lcCalibrate) << c.name;
            qCDebug(lcCalibrate) << node[0] << node[1] << node[2];
        }
    }

    // 2. Every node by a windowed search around codes interpolated from the corners. A corner
    // replaced during this pass changes the start codes of the nodes after it, so the corners
    // go first, in the order of the pass, each recording the corner state that the nodes up to
    // the next corner start from; then all other nodes are independent.
    auto position = [size](int a, int b, int c) { return (a * size + b) * size + c; };
    std::vector<int> cornerPositions;
    for (const Corner& c : corners)
        cornerPositions.push_back(position(c.x * top, c.y * top, c.z * top));
    std::sort(cornerPositions.begin(), cornerPositions.end());
    std::vector<Corners> states{cornersOf(lut)};
    const double lutStep = double(top);
    auto solve = [&](int pos, const Corners& state, double* node) {
        const int a = pos / (size * size), b = (pos / size) % size, c = pos % size;
        const double u = a / lutStep, v = b / lutStep, w = c / lutStep;
        const LuvTarget t = targetOf(ref, u, v, w, blackY, peakY, kFastChromaWeight);
        int start[3];
        guessFrom(state, u, v, w, start);
        int best[3];
        // A node whose window holds nothing near keeps its identity value.
        if (searchNearLuv(t, start[0], start[1], start[2], best))
            drives(best, node);
    };
    for (int pos : cornerPositions) {
        const int a = pos / (size * size), b = (pos / size) % size, c = pos % size;
        solve(pos, states.back(), lut->grid[a][b][c]);
        states.push_back(cornersOf(lut));
    }
    const int count = size * size * size;
    parallel::forEach(count, [&](int pos) {
        const auto after = std::lower_bound(cornerPositions.begin(), cornerPositions.end(), pos);
        if (after != cornerPositions.end() && *after == pos)
            return;  // a corner, solved above
        const size_t state = size_t(after - cornerPositions.begin());
        const int a = pos / (size * size), b = (pos / size) % size, c = pos % size;
        solve(pos, states[state], lut->grid[a][b][c]);
    });
    if (lcCalibrate().isDebugEnabled())
        for (int pos = 0; pos < count; ++pos)
            qCDebug(lcCalibrate) << "rgb" << pos / (size * size) << (pos / size) % size << pos % size;
}

// ---- the one-dimensional path ---------------------------------------------------------------

int CalibrateMonitor::rowOf(ColorStandard standard)
{
    if (standard == StandardUhdtvBt2020)
        return 2;
    if (standard == StandardDciP3)
        return 1;
    return 0;
}

void CalibrateMonitor::toMonitorRgb(LutRgb* rgb, ColorStandard standard)
{
    if (standard == StandardHdtvRec709)
        lutHdtv.lookup(rgb);
    else if (standard == StandardDciP3)
        lutDcip3.lookup(rgb);
    else
        lutUhdtv.lookup(rgb);
}

void CalibrateMonitor::targetColor(int node, LutRgb* rgb, ColorStandard standard) const
{
    if (node < 0 || node >= kCodes)
        return;
    const double* n = nodeTable[rowOf(standard)][node];
    *rgb = LutRgb(n[0], n[1], n[2]);
    toMonitorRgb(rgb, standard);
}

void CalibrateMonitor::setNodeValue(int node, double value, ColorStandard standard)
{
    if (node < 0 || node >= kCodes)
        return;
    nodeTable[rowOf(standard)][node][3] = value;
}

void CalibrateMonitor::buildChromaGrid(const Point1D& p)
{
    const int n = kChromaGridPoints;
    m_chromaGrid.resize(size_t(n) * n * 3);
    const double step = double(n - 1);
    double ll[3], lh[3], hl[3], hh[3];
    for (int k = 0; k < 3; ++k) {
        ll[k] = p.lowLow[k];
        lh[k] = p.lowHigh[k];
        hl[k] = p.highLow[k];
        hh[k] = p.highHigh[k];
    }
    for (int i = 0; i < n; ++i) {
        const double s = i / step;
        double A[3], B[3];
        for (int k = 0; k < 3; ++k) {
            A[k] = ll[k] + s * (hl[k] - ll[k]);
            B[k] = lh[k] + s * (hh[k] - lh[k]);
        }
        double* cell = &m_chromaGrid[size_t(i) * n * 3];
        for (int j = 0; j < n; ++j, cell += 3) {
            const double t = j / step;
            for (int k = 0; k < 3; ++k)
                cell[k] = A[k] + t * (B[k] - A[k]);
        }
    }
}

void CalibrateMonitor::getPointLut(Point1D& p)
{
    buildChromaGrid(p);
    const std::shared_ptr<const ColorReference> ref = currentColorReference();
    double m[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m[r][c] = ref->xyzToRgb(r, c);
    const int n = kChromaGridPoints;
    double best = kChromaGridBound;
    // Without any cell near the white (every distance undefined) the record stays neutral: the
    // centre cell, red and blue at the level.
    int bi = n / 2, bj = n / 2;
    const double* cell = m_chromaGrid.data();
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j, cell += 3) {
            // The reference RGB of the cell's chromaticity at Y = 1 (CColor::chromaRGB).
            const double sum = cell[0] + cell[1] + cell[2];
            const double x = sum != 0.0 ? cell[0] / sum : 0.0;
            const double y = sum != 0.0 ? cell[1] / sum : 0.0;
            const double xyz[3] = {x / y, 1.0, (1.0 - (x + y)) / y};
            double d = 0.0;
            for (int c = 0; c < 3; ++c) {
                const double v = m[c][0] * xyz[0] + m[c][1] * xyz[1] + m[c][2] * xyz[2];
                d += (1 - v) * (1 - v);
            }
            if (d < best) {
                best = d;
                bi = i;
                bj = j;
            }
        }
    const double L = p.level;
    const double step = double(n - 1);
    p.red = (L - kRecordSpread + 2.0 * kRecordSpread * bi / step) / 255.0;
    p.blue = (L - kRecordSpread + 2.0 * kRecordSpread * bj / step) / 255.0;
    p.level = L / 255.0;
    p.luminance = m_chromaGrid[(size_t(bi) * n + bj) * 3 + 1];
    qCDebug(lcCalibrate) << "lut node" << p.level << p.red << p.blue << p.luminance;
}

void CalibrateMonitor::doCalibrateCCT(ColorStandard standard)
{
    for (Point1D& p : pointList)
        getPointLut(p);
    const int row = rowOf(standard);
    nodeTable[row][0][0] = nodeTable[row][0][1] = nodeTable[row][0][2] = 0.0;
    pointList.prepend(Point1D());
    if (pointList.size() < 2)
        return;
    auto values = [](const Point1D& p, double out[3]) {
        out[0] = p.red;
        out[1] = p.level;
        out[2] = p.blue;
    };
    for (int k = 1; k < kTopCode; ++k) {
        const int q = k / kRecordStep;
        const int rem = k % kRecordStep;
        double v[3];
        if (q >= pointList.size())
            break;
        values(pointList[q], v);
        if (rem != 0 && q + 1 < pointList.size()) {
            double w[3];
            values(pointList[q + 1], w);
            for (int c = 0; c < 3; ++c)
                v[c] = v[c] + (w[c] - v[c]) * rem / kRecordStep;
        }
        for (int c = 0; c < 3; ++c)
            nodeTable[row][k][c] = v[c];
        qCDebug(lcCalibrate) << "lut1d node" << k << v[0] << v[1] << v[2];
    }
    double v[3];
    values(pointList.last(), v);
    for (int c = 0; c < 3; ++c)
        nodeTable[row][kTopCode][c] = v[c];
}

void CalibrateMonitor::doCalibrateGamma(ColorStandard standard)
{
    const int row = rowOf(standard);
    const double Lb = nodeTable[row][0][3];
    const double Lw = nodeTable[row][kTopCode][3];
    const double gamma = currentColorReference()->gamma;
    const int gammaType = platform::readSetting("reference", "gammatype", 0).toInt();
    const bool bt1886 = gammaType == GammaBt1886 && standard == StandardHdtvRec709;
    constexpr double kBt1886Exponent = 2.4;
    const double wRoot = std::pow(Lw, 1.0 / kBt1886Exponent);
    const double bRoot = std::pow(Lb, 1.0 / kBt1886Exponent);
    const double a = std::pow(wRoot - bRoot, kBt1886Exponent);
    const double b = bRoot / (wRoot - bRoot);
    for (int k = 1; k < kCodes; ++k) {
        const double x = k / 255.0;
        const double t = bt1886 ? a * std::pow(x + b, kBt1886Exponent) : Lb + (Lw - Lb) * std::pow(x, gamma);
        for (int i = 1; i < kCodes; ++i) {
            const double lo = nodeTable[row][i - 1][3];
            const double hi = nodeTable[row][i][3];
            if (lo <= t && t < hi) {
                const double f = (t - lo) / (hi - lo);
                double v[3];
                for (int c = 0; c < 3; ++c)
                    v[c] = nodeTable[row][i - 1][c] + f * (nodeTable[row][i][c] - nodeTable[row][i - 1][c]);
                qCDebug(lcCalibrate) << "lut ssds" << k << v[0] << v[1] << v[2];
                break;
            }
        }
    }
}

bool CalibrateMonitor::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCWarning(lcCalibrate) << "cube file open Error";
        return false;
    }
    // Every line is read and checked before the cube changes.
    std::vector<double> values;
    values.reserve(size_t(kCubeLines) * 3);
    QTextStream in(&file);
    for (int line = 1; line <= kCubeLines; ++line) {
        const QString text = in.readLine();
        if (text.isNull()) {
            qCWarning(lcCalibrate).noquote() << QStringLiteral("%1: %2 lines where %3 are needed")
                                        .arg(path)
                                        .arg(line - 1)
                                        .arg(kCubeLines);
            return false;
        }
        const QStringList fields = text.split(',');
        bool ok = fields.size() >= 3;
        for (int k = 0; ok && k < 3; ++k) {
            const double v = fields[k].trimmed().toDouble(&ok);
            ok = ok && std::isfinite(v);
            values.push_back(v);
        }
        if (!ok) {
            qCWarning(lcCalibrate).noquote()
                << QStringLiteral("%1, line %2: not three numbers (\"%3\")").arg(path).arg(line).arg(text.left(80));
            return false;
        }
    }
    if (!measuredCube.grid && !measuredCube.allocate())
        return false;
    size_t i = 0;
    for (int r = 0; r < kCubePoints; ++r)
        for (int g = 0; g < kCubePoints; ++g)
            for (int b = 0; b < kCubePoints; ++b, i += 3) {
                double* node = measuredCube.grid[r][g][b];
                node[0] = values[i];
                node[1] = values[i + 1];
                node[2] = values[i + 2];
                qCDebug(lcCalibrate) << node[0] << node[1] << node[2];
            }
    return true;
}

// ---- LUT files ------------------------------------------------------------------------------

bool CalibrateMonitor::dumpLutFiles(QString* error)
{
    std::vector<std::unique_ptr<QSaveFile>> files;
    auto failed = [error](const QString& path) {
        if (error)
            *error = tr("The LUT file %1 could not be written.").arg(QDir::toNativeSeparators(path));
        return false;
    };
    const bool chosen[3] = {rec709.load(), dci.load(), rec2020.load()};
    for (int s = 0; s < 3; ++s) {
        if (!chosen[s])
            continue;
        QSettings settings = platform::kwSettings();
        settings.beginGroup("calibrate");
        const QString dir = QString::fromUtf8(settings.value("savedir").toByteArray());
        const bool with3dlut = settings.value("lut3d", false).toBool();
        settings.endGroup();

        const Lut3d* lut = outputLut(s);
        const QString base = QString::fromLatin1(kSpaces[s].fileBase);
        const QString cubePath = dir.isEmpty() ? base + ".cube" : dir + "/" + base + ".cube";
        qCDebug(lcCalibrate) << "calibrate monitor create file path" << cubePath;
        auto cube = std::make_unique<QSaveFile>(cubePath);
        QString why;
        if (!cube->open(QIODevice::WriteOnly) || !cubefile::write(cube.get(), *lut, &why)) {
            qCWarning(lcCalibrate) << "Lut3D file open Error" << cubePath << why << cube->errorString();
            return failed(cubePath);
        }
        files.push_back(std::move(cube));
        if (with3dlut) {
            const QString lutPath = dir.isEmpty() ? base + ".3dlut" : dir + "/" + base + ".3dlut";
            auto bin = std::make_unique<QSaveFile>(lutPath);
            if (!bin->open(QIODevice::WriteOnly) || !File3dLut::write(bin.get(), *lut, &why)) {
                qCWarning(lcCalibrate) << "3dlutfile dump Error" << lutPath << why << bin->errorString();
                return failed(lutPath);
            }
            files.push_back(std::move(bin));
        }
    }
    // Every file is complete: put them all in place.
    for (const auto& f : files) {
        if (!f->commit()) {
            qCWarning(lcCalibrate) << "LUT file commit failed" << f->fileName() << f->errorString();
            return failed(f->fileName());
        }
    }
    return true;
}
