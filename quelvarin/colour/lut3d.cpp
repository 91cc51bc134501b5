#include "colour/lut3d.h"
#include "platform/logging.h"

#include <QDebug>

#include <cmath>
#include <new>

namespace {

inline double clampUnitKeepNan(double v)
{
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

// Full-range YCbCr with 8-bit chroma offsets, BT.709-like weights. Rows follow the output
// components; zero entries are kept so each row reads as the formula it stands for.
const double kYcbcrToRgb[3][3] = {
    {1.0, 0.0, 1.54},
    {1.0, -0.183, -0.459},
    {1.0, 1.816, 0.0},
};
// 128 times the Cr, Cb/Cr and Cb weights: the chroma offsets folded into the constant term.
const double kYcbcrToRgbOffset[3] = {-197.12, 82.176, -232.448};

const double kRgbToYcbcr[3][3] = {
    {0.213, 0.715, 0.072},
    {-0.117, -0.394, 0.511},
    {0.511, -0.464, -0.047},
};
const double kRgbToYcbcrOffset[3] = {0.0, 128.0, 128.0};

void applyClamped(LutRgb* rgb, const double m[3][3], const double offset[3])
{
    const double in[3] = {rgb->rgb[0], rgb->rgb[1], rgb->rgb[2]};
    for (int i = 0; i < 3; ++i)
        rgb->rgb[i] = clampUnitKeepNan(m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2] + offset[i]);
}

} // namespace

Lut3d::Lut3d(int size) : size(size) {}

Lut3d::~Lut3d()
{
    release();
}

bool Lut3d::allocate()
{
    release();
    if (size < kMinSize || size > kMaxSize)
        return false;
    const int n = size;
    // Zeroed at every level, so release() can tell built parts from unbuilt ones at any point.
    grid = new (std::nothrow) double***[n]();
    if (!grid)
        return false;
    for (int r = 0; r < n; ++r) {
        grid[r] = new (std::nothrow) double**[n]();
        if (!grid[r]) {
            release();
            return false;
        }
        for (int g = 0; g < n; ++g) {
            grid[r][g] = new (std::nothrow) double*[n]();
            if (!grid[r][g]) {
                release();
                return false;
            }
            for (int b = 0; b < n; ++b) {
                grid[r][g][b] = new (std::nothrow) double[kNodeValues]();
                if (!grid[r][g][b]) {
                    release();
                    return false;
                }
            }
        }
    }
    setIdentity();
    return true;
}

void Lut3d::setIdentity()
{
    if (!grid)
        return;
    const double step = double(size - 1);
    for (int r = 0; r < size; ++r)
        for (int g = 0; g < size; ++g)
            for (int b = 0; b < size; ++b) {
                double* node = grid[r][g][b];
                node[0] = r / step;
                node[1] = g / step;
                node[2] = b / step;
                node[3] = 0.0;
            }
}

void Lut3d::release()
{
    if (!grid)
        return;
    for (int r = 0; r < size; ++r) {
        if (!grid[r])
            continue;
        for (int g = 0; g < size; ++g) {
            if (!grid[r][g])
                continue;
            for (int b = 0; b < size; ++b)
                delete[] grid[r][g][b];
            delete[] grid[r][g];
        }
        delete[] grid[r];
    }
    delete[] grid;
    grid = nullptr;
}

void Lut3d::lookup(LutRgb* rgb) const
{
    if (!grid || !rgb || size < kMinSize)
        return;
    trilinearLookup(size, [this](int r, int g, int b) { return grid[r][g][b]; }, rgb);
}

bool PackedLut3d::allocate()
{
    m_nodes.reset();
    if (size < kMinSize || size > kMaxSize)
        return false;
    const size_t n = size_t(size);
    m_nodes.reset(new (std::nothrow) float[n * n * n * kNodeValues]);
    if (!m_nodes)
        return false;
    const double step = double(size - 1);
    float* node = m_nodes.get();
    for (int b = 0; b < size; ++b)
        for (int g = 0; g < size; ++g)
            for (int r = 0; r < size; ++r) {
                *node++ = float(r / step);
                *node++ = float(g / step);
                *node++ = float(b / step);
            }
    return true;
}

void PackedLut3d::lookup(LutRgb* rgb) const
{
    if (!m_nodes || !rgb || size < kMinSize)
        return;
    trilinearLookup(size, [this](int r, int g, int b) { return node(r, g, b); }, rgb);
}

void Lut3d::merge3dLut(Lut3d* first, Lut3d* second)
{
    if (!first || !second || !first->grid || !second->grid) {
        qCDebug(platform::programLog) << "cdllut init error";
        return;
    }
    const int n = first->size;
    Lut3d merged(n);
    if (!merged.allocate()) {
        qCDebug(platform::programLog) << "cdllut init error";
        return;
    }
    const double step = double(n - 1);
    for (int r = 0; r < n; ++r)
        for (int g = 0; g < n; ++g)
            for (int b = 0; b < n; ++b) {
                LutRgb v(r / step, g / step, b / step);
                second->lookup(&v);
                first->lookup(&v);
                double* node = merged.grid[r][g][b];
                node[0] = v.rgb[0];
                node[1] = v.rgb[1];
                node[2] = v.rgb[2];
            }
    for (int r = 0; r < n; ++r)
        for (int g = 0; g < n; ++g)
            for (int b = 0; b < n; ++b)
                for (int k = 0; k < 3; ++k)
                    first->grid[r][g][b][k] = merged.grid[r][g][b][k];
}

LutRgb* lerpRgb(LutRgb* out, const LutRgb* a, const LutRgb* b, double t)
{
    for (int k = 0; k < 3; ++k)
        out->rgb[k] = a->rgb[k] + (b->rgb[k] - a->rgb[k]) * t;
    return out;
}

bool isInUnitRange(const LutRgb* rgb)
{
    for (double v : rgb->rgb)
        if (!(v >= 0.0 && v <= 1.0))
            return false;
    return true;
}

void ycbcrToRgb(LutRgb* rgb)
{
    applyClamped(rgb, kYcbcrToRgb, kYcbcrToRgbOffset);
}

void rgbToYcbcr(LutRgb* rgb)
{
    applyClamped(rgb, kRgbToYcbcr, kRgbToYcbcrOffset);
}

int lumaIndex(const LutRgb* rgb)
{
    const double luma = kRgbToYcbcr[0][0] * rgb->rgb[0] + kRgbToYcbcr[0][1] * rgb->rgb[1]
                        + kRgbToYcbcr[0][2] * rgb->rgb[2];
    // Truncated toward zero and clamped to 0..1, decided on the double so that no huge or NaN
    // value is ever converted: only a luma of 1 or more truncates to a positive integer.
    return luma >= 1.0 ? 1 : 0;
}
