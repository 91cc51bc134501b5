#pragma once
// A cube of size x size x size nodes of output colours, looked up by trilinear interpolation,
// and the RGB triple that goes into and comes out of a lookup.

// An RGB triple of doubles, contiguous, red first.
struct LutRgb
{
    LutRgb() = default;
    LutRgb(double r, double g, double b) : rgb{r, g, b} {}
    double* data() { return rgb; }
    const double* data() const { return rgb; }

    double rgb[3] = {0.0, 0.0, 0.0};
};

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
