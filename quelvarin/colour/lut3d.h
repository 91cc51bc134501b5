#pragma once
// A cube of size x size x size nodes of output colours, looked up by trilinear interpolation,
// and the RGB triple that goes into and comes out of a lookup. Two tables share the lookup:
// Lut3d (a node of doubles, with room for a fourth value, as the monitor calibration builds it)
// and PackedLut3d (three floats a node in one block, for a large table that is only read).

#include <cmath>
#include <cstddef>
#include <memory>

// An RGB triple of doubles, contiguous, red first.
struct LutRgb
{
    LutRgb() = default;
    LutRgb(double r, double g, double b) : rgb{r, g, b} {}
    double* data() { return rgb; }
    const double* data() const { return rgb; }

    double rgb[3] = {0.0, 0.0, 0.0};
};

// Trilinear interpolation of the table of size n (n >= 2) whose component k of node (r, g, b)
// is node(r, g, b)[k]: replaces the triple by the table's output at that input. Components are
// clamped into [0, 1] first (NaN counts as 0). Red first, then green, then blue, as the tables
// were always interpolated; the arithmetic is done in doubles whatever the nodes hold.
template <typename NodeAt>
void trilinearLookup(int n, const NodeAt& node, LutRgb* rgb);

class Lut3d
{
public:
    // Node layout: output red, green, blue, then one value of the owner's (the monitor
    // calibration keeps a fourth quantity there).
    static constexpr int kNodeValues = 4;
    // Sizes that allocate() accepts: a lookup needs a cell of two nodes per axis, and 256 per
    // axis (16.7 million nodes, about 1 GB) is far beyond any table this system reads or writes.
    static constexpr int kMinSize = 2;
    static constexpr int kMaxSize = 256;

    explicit Lut3d(int size);
    ~Lut3d();
    Lut3d(const Lut3d&) = delete;
    Lut3d& operator=(const Lut3d&) = delete;

    // Builds every plane, row and node (zeroed) and fills the identity. False, with nothing
    // held and grid null, for a size outside kMinSize..kMaxSize or when memory runs out.
    bool allocate();
    // Node (r, g, b) = (r, g, b) / (size - 1); the fourth value becomes 0.
    void setIdentity();
    // Frees whatever exists; safe on a table never allocated and when called twice.
    void release();

    // Replaces the triple by the table's output at that input. Components are clamped into
    // [0, 1] first (NaN counts as 0). A table without nodes leaves the triple unchanged.
    void lookup(LutRgb* rgb) const;
    void lookup(LutRgb& rgb) const { lookup(&rgb); }

    // Replaces every node of first by first(second(node input)): second applied, then first.
    // With either table unallocated it logs "cdllut init error" and leaves first unchanged.
    static void merge3dLut(Lut3d* first, Lut3d* second);

    int size;
    // grid[r][g][b] points to the kNodeValues doubles of node (r, g, b); null until allocate().
    double**** grid = nullptr;
};

// A cube of output RGB triples kept in one block of floats, three a node, red index fastest
// (the order of the correction table files, so a reader fills it front to back). A node costs
// 12 bytes and no allocation of its own: the largest cube, 256 per axis, takes about 201 MB.
class PackedLut3d
{
public:
    static constexpr int kNodeValues = 3;
    static constexpr int kMinSize = Lut3d::kMinSize;
    static constexpr int kMaxSize = Lut3d::kMaxSize;

    explicit PackedLut3d(int size) : size(size) {}

    // Allocates the block and fills the identity. False, with nothing held, for a size outside
    // kMinSize..kMaxSize or when memory runs out.
    bool allocate();
    bool isAllocated() const { return bool(m_nodes); }

    // The kNodeValues floats of node (r, g, b); the table must be allocated and the indices lie
    // in 0..size-1.
    float* node(int r, int g, int b) { return m_nodes.get() + offset(r, g, b); }
    const float* node(int r, int g, int b) const { return m_nodes.get() + offset(r, g, b); }
    // All nodes, size^3 * kNodeValues floats in file order; null until allocate().
    float* nodes() { return m_nodes.get(); }

    // As Lut3d::lookup; a table without nodes leaves the triple unchanged.
    void lookup(LutRgb* rgb) const;

    int size;

private:
    size_t offset(int r, int g, int b) const
    {
        return ((size_t(b) * size_t(size) + size_t(g)) * size_t(size) + size_t(r)) * kNodeValues;
    }

    std::unique_ptr<float[]> m_nodes;
};

// out = a + (b - a) * t per component; returns out.
LutRgb* lerpRgb(LutRgb* out, const LutRgb* a, const LutRgb* b, double t);
// True when every component lies in [0, 1]; NaN gives false.
bool isInUnitRange(const LutRgb* rgb);
// In place, the triple read as (Y, Cb, Cr) with 8-bit offsets; each result clamped to [0, 1].
void ycbcrToRgb(LutRgb* rgb);
// In place, to (Y, Cb, Cr) with 8-bit offsets; each result clamped to [0, 1].
void rgbToYcbcr(LutRgb* rgb);
// Luma 0.213 R + 0.715 G + 0.072 B, truncated to an integer and clamped to 0..1.
int lumaIndex(const LutRgb* rgb);

namespace lut3d_detail {

// Lookup input clamped into the table's domain; NaN is taken as 0 so it can never index.
inline double clampUnit(double v)
{
    if (!(v > 0.0))
        return 0.0;
    return v < 1.0 ? v : 1.0;
}

// Lower index of the interpolation cell and the position inside it along one axis.
inline int cellIndex(double f, int n, double* frac)
{
    int i = int(std::floor(f));
    if (i > n - 2)
        i = n - 2; // input exactly 1.0: the last cell, at its upper edge
    *frac = f - i;
    return i;
}

} // namespace lut3d_detail

template <typename NodeAt>
void trilinearLookup(int n, const NodeAt& node, LutRgb* rgb)
{
    using lut3d_detail::cellIndex;
    using lut3d_detail::clampUnit;
    const double scale = double(n - 1);
    double dr, dg, db;
    const int ir = cellIndex(clampUnit(rgb->rgb[0]) * scale, n, &dr);
    const int ig = cellIndex(clampUnit(rgb->rgb[1]) * scale, n, &dg);
    const int ib = cellIndex(clampUnit(rgb->rgb[2]) * scale, n, &db);

    for (int k = 0; k < 3; ++k) {
        const auto at = [&](int r, int g, int b) { return double(node(ir + r, ig + g, ib + b)[k]); };
        const double c00 = at(0, 0, 0) + (at(1, 0, 0) - at(0, 0, 0)) * dr;
        const double c10 = at(0, 1, 0) + (at(1, 1, 0) - at(0, 1, 0)) * dr;
        const double c01 = at(0, 0, 1) + (at(1, 0, 1) - at(0, 0, 1)) * dr;
        const double c11 = at(0, 1, 1) + (at(1, 1, 1) - at(0, 1, 1)) * dr;
        const double c0 = c00 + (c10 - c00) * dg;
        const double c1 = c01 + (c11 - c01) * dg;
        rgb->rgb[k] = c0 + (c1 - c0) * db;
    }
}
