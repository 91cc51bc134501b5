#pragma once
// A cube of n x n x n colours in L*, u', v' (the display's answer to every drive triple of a
// grid), and the nearest-colour search that inverts it.
//
// The search returns exactly what the straightforward scan returns: visit every entry of a box
// with red outermost and blue innermost, keep an entry only when its distance is strictly below
// the best so far (which starts at a given bound), so that among equal distances the first entry
// in scan order wins. It gets there faster by splitting the cube into blocks of 8 x 8 x 8 with
// the range of L*, u' and v' in each: a block whose nearest possible distance already exceeds
// the best distance found cannot hold the answer and is skipped. The bound of a block is
// computed with the same operations as the distance, on values at least as close as any of its
// entries, so rounding never lets it exceed the distance of an entry.

#include <cstddef>
#include <cstdint>
#include <vector>

// What a search looks for: a colour and the weight of its chromaticity term.
struct LuvTarget
{
    double L = 0.0;
    double u = 0.0;
    double v = 0.0;
    double w = 0.0;  // weight of (u' - ut)^2 + (v' - vt)^2 against (L* - Lt)^2
};

// A half-open box of grid indices per axis, [lo, hi).
struct LuvBox
{
    int lo[3];
    int hi[3];
    bool isEmpty() const { return lo[0] >= hi[0] || lo[1] >= hi[1] || lo[2] >= hi[2]; }
};

// The distance of an entry to a target: (Lt - L)^2 + w ((ut - u)^2 + (vt - v)^2).
inline double luvDistance(const LuvTarget& t, const double* e)
{
    const double dL = t.L - e[0];
    const double du = t.u - e[1];
    const double dv = t.v - e[2];
    return dL * dL + t.w * (du * du + dv * dv);
}

class LuvCube
{
public:
    static constexpr int kBlock = 8;

    LuvCube() = default;
    ~LuvCube() { release(); }
    LuvCube(const LuvCube&) = delete;
    LuvCube& operator=(const LuvCube&) = delete;

    // n^3 entries of three doubles, all 0. False, holding nothing, when n is below 1 or above
    // 256 or the memory cannot be had.
    bool allocate(int n);
    // The most one cube may take, in bytes (0: no limit but the system's). Lets the tests see
    // what a calibration does when its tables cannot be had.
    static void setMemoryLimit(size_t bytes);
    void release();
    bool isAllocated() const { return m_values != nullptr; }
    int size() const { return m_n; }

    double* entry(int r, int g, int b) { return m_values + index(r, g, b) * 3; }
    const double* entry(int r, int g, int b) const { return m_values + index(r, g, b) * 3; }

    // The block ranges; to be called once every entry is set, before any search.
    void buildBounds();

    // The nearest entry of `box` (clipped to the cube) to `t` with a distance strictly below
    // `bound`, first in scan order among equals, into rgb. False, rgb untouched, when no entry
    // qualifies (an empty box, a target that is not finite, or every distance at or above the
    // bound or undefined).
    bool nearest(const LuvTarget& t, LuvBox box, double bound, int rgb[3]) const;
    // The same result by the straightforward scan of every entry.
    bool nearestByScan(const LuvTarget& t, LuvBox box, double bound, int rgb[3]) const;

private:
    size_t index(int r, int g, int b) const { return (size_t(r) * m_n + size_t(g)) * m_n + size_t(b); }
    LuvBox clipped(LuvBox box) const;
    void scanBlock(const LuvTarget& t, const LuvBox& box, int br, int bg, int bb, double* bestD,
                   int64_t* bestIndex) const;

    int m_n = 0;
    int m_blocks = 0;  // blocks per axis
    // The entries, zeroed (see allocate()); m_mapped bytes when mapped from the system, else
    // from calloc.
    double* m_values = nullptr;
    size_t m_mapped = 0;
    // Per block: L min, L max, u min, u max, v min, v max over its finite entries (an empty
    // range, min > max, when it has none).
    std::vector<double> m_bounds;
};
