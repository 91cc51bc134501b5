#include "measure/luvcube.h"

#include "measure/parallelfor.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

constexpr int kMaxPoints = 256;
constexpr double kInf = std::numeric_limits<double>::infinity();
std::atomic<size_t> memoryLimit{0};
[[maybe_unused]] constexpr size_t kHugePageBytes = size_t(2) << 20;

inline bool isFinite(double x)
{
    return x - x == 0.0;  // inf - inf and NaN - NaN are NaN
}

// How far t lies outside [lo, hi], as the difference the distance would square.
inline double gap(double t, double lo, double hi)
{
    if (t < lo)
        return t - lo;
    if (t > hi)
        return t - hi;
    return 0.0;
}

} // namespace

bool LuvCube::allocate(int n)
{
    release();
    if (n < 1 || n > kMaxPoints)
        return false;
    const size_t bytes = size_t(n) * n * n * 3 * sizeof(double);
    const size_t limit = memoryLimit.load();
    if (limit != 0 && bytes > limit)
        return false;
    // The model of the ramp builder takes 400 MB. Its pages are asked for in huge pages where
    // the system offers them on request: every page is written once by the builder, and
    // faulting them in 2 MB at a time instead of 4 kB costs a fraction. Fresh pages are zero.
#ifdef __linux__
    if (bytes >= kHugePageBytes) {
        void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            return false;
        madvise(p, bytes, MADV_HUGEPAGE);
        m_values = static_cast<double*>(p);
        m_mapped = bytes;
    }
#endif
    if (!m_values)
        m_values = static_cast<double*>(std::calloc(bytes, 1));
    if (!m_values)
        return false;
    try {
        m_blocks = (n + kBlock - 1) / kBlock;
        m_bounds.assign(size_t(m_blocks) * m_blocks * m_blocks * 6, 0.0);
    } catch (const std::bad_alloc&) {
        release();
        return false;
    }
    m_n = n;
    return true;
}

void LuvCube::setMemoryLimit(size_t bytes)
{
    memoryLimit.store(bytes);
}

void LuvCube::release()
{
#ifdef __linux__
    if (m_mapped)
        munmap(m_values, m_mapped);
    else
#endif
        std::free(m_values);
    m_values = nullptr;
    m_mapped = 0;
    std::vector<double>().swap(m_bounds);
    m_n = 0;
    m_blocks = 0;
}

void LuvCube::buildBounds()
{
    parallel::forEach(m_blocks, [this](int br) {
        for (int bg = 0; bg < m_blocks; ++bg)
            for (int bb = 0; bb < m_blocks; ++bb) {
                double lo[3] = {kInf, kInf, kInf};
                double hi[3] = {-kInf, -kInf, -kInf};
                const int r1 = std::min(m_n, (br + 1) * kBlock);
                const int g1 = std::min(m_n, (bg + 1) * kBlock);
                const int b1 = std::min(m_n, (bb + 1) * kBlock);
                for (int r = br * kBlock; r < r1; ++r)
                    for (int g = bg * kBlock; g < g1; ++g) {
                        const double* e = entry(r, g, bb * kBlock);
                        const double* end = entry(r, g, 0) + size_t(b1) * 3;
                        for (; e != end; e += 3) {
                            // An entry that is not finite has no finite distance: it can never
                            // be the answer and gives the block no range.
                            if (!isFinite(e[0]) || !isFinite(e[1]) || !isFinite(e[2]))
                                continue;
                            for (int k = 0; k < 3; ++k) {
                                if (e[k] < lo[k])
                                    lo[k] = e[k];
                                if (e[k] > hi[k])
                                    hi[k] = e[k];
                            }
                        }
                    }
                double* out = &m_bounds[((size_t(br) * m_blocks + bg) * m_blocks + bb) * 6];
                for (int k = 0; k < 3; ++k) {
                    out[2 * k] = lo[k];
                    out[2 * k + 1] = hi[k];
                }
            }
    });
}

LuvBox LuvCube::clipped(LuvBox box) const
{
    for (int k = 0; k < 3; ++k) {
        box.lo[k] = std::max(box.lo[k], 0);
        box.hi[k] = std::min(box.hi[k], m_n);
    }
    return box;
}

bool LuvCube::nearestByScan(const LuvTarget& t, LuvBox box, double bound, int rgb[3]) const
{
    box = clipped(box);
    if (box.isEmpty())
        return false;
    double best = bound;
    bool found = false;
    for (int r = box.lo[0]; r < box.hi[0]; ++r)
        for (int g = box.lo[1]; g < box.hi[1]; ++g) {
            const double* e = entry(r, g, box.lo[2]);
            for (int b = box.lo[2]; b < box.hi[2]; ++b, e += 3) {
                const double d = luvDistance(t, e);
                if (d < best) {
                    best = d;
                    rgb[0] = r;
                    rgb[1] = g;
                    rgb[2] = b;
                    found = true;
                }
            }
        }
    return found;
}

void LuvCube::scanBlock(const LuvTarget& t, const LuvBox& box, int br, int bg, int bb,
                        double* bestD, int64_t* bestIndex) const
{
    const int r0 = std::max(box.lo[0], br * kBlock), r1 = std::min(box.hi[0], (br + 1) * kBlock);
    const int g0 = std::max(box.lo[1], bg * kBlock), g1 = std::min(box.hi[1], (bg + 1) * kBlock);
    const int b0 = std::max(box.lo[2], bb * kBlock), b1 = std::min(box.hi[2], (bb + 1) * kBlock);
    double best = *bestD;
    int64_t bestAt = *bestIndex;
    for (int r = r0; r < r1; ++r)
        for (int g = g0; g < g1; ++g) {
            const int64_t rowStart = int64_t(index(r, g, 0));
            const double* e = m_values + (size_t(rowStart) + size_t(b0)) * 3;
            for (int b = b0; b < b1; ++b, e += 3) {
                const double d = luvDistance(t, e);
                // Strictly nearer wins; an equal distance wins only over a later entry, which
                // is what the scan in order would have kept.
                if (d < best || (d == best && bestAt >= 0 && rowStart + b < bestAt)) {
                    best = d;
                    bestAt = rowStart + b;
                }
            }
        }
    *bestD = best;
    *bestIndex = bestAt;
}

bool LuvCube::nearest(const LuvTarget& t, LuvBox box, double bound, int rgb[3]) const
{
    box = clipped(box);
    if (box.isEmpty() || m_bounds.empty())
        return false;
    if (!(std::isfinite(t.L) && std::isfinite(t.u) && std::isfinite(t.v) && std::isfinite(t.w)))
        return false;

    int blo[3], bhi[3];
    for (int k = 0; k < 3; ++k) {
        blo[k] = box.lo[k] / kBlock;
        bhi[k] = (box.hi[k] - 1) / kBlock + 1;
    }
    const int nr = bhi[0] - blo[0], ng = bhi[1] - blo[1], nb = bhi[2] - blo[2];
    // The lower bound of every block of the box; reused across calls on the same thread.
    thread_local std::vector<double> lower;
    lower.resize(size_t(nr) * ng * nb);
    size_t bestBlock = 0;
    double bestLower = kInf;
    size_t i = 0;
    for (int br = blo[0]; br < bhi[0]; ++br)
        for (int bg = blo[1]; bg < bhi[1]; ++bg)
            for (int bb = blo[2]; bb < bhi[2]; ++bb, ++i) {
                const double* bd = &m_bounds[((size_t(br) * m_blocks + bg) * m_blocks + bb) * 6];
                double lb = kInf;
                if (bd[0] <= bd[1]) {
                    const double dL = gap(t.L, bd[0], bd[1]);
                    const double du = gap(t.u, bd[2], bd[3]);
                    const double dv = gap(t.v, bd[4], bd[5]);
                    lb = dL * dL + t.w * (du * du + dv * dv);
                }
                lower[i] = lb;
                if (lb < bestLower) {
                    bestLower = lb;
                    bestBlock = i;
                }
            }
    if (!(bestLower < kInf))
        return false;

    double bestD = bound;
    int64_t bestIndex = -1;
    auto blockAt = [&](size_t k, int* br, int* bg, int* bb) {
        *bb = blo[2] + int(k % size_t(nb));
        *bg = blo[1] + int((k / size_t(nb)) % size_t(ng));
        *br = blo[0] + int(k / (size_t(nb) * ng));
    };
    // The most promising block first, so the best distance is small before the others are
    // looked at; then every block that could still hold an entry as near.
    int br, bg, bb;
    blockAt(bestBlock, &br, &bg, &bb);
    if (bestLower <= bestD)
        scanBlock(t, box, br, bg, bb, &bestD, &bestIndex);
    for (size_t k = 0; k < lower.size(); ++k) {
        if (k == bestBlock || !(lower[k] <= bestD))
            continue;
        blockAt(k, &br, &bg, &bb);
        scanBlock(t, box, br, bg, bb, &bestD, &bestIndex);
    }
    if (bestIndex < 0)
        return false;
    const int64_t n = m_n;
    rgb[2] = int(bestIndex % n);
    rgb[1] = int((bestIndex / n) % n);
    rgb[0] = int(bestIndex / (n * n));
    return true;
}
