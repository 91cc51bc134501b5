// Spectra on their own wavelength grids: products and quotients on the merged grid of two spectra,
// trapezoid integrals and the inner product built from them.

#include "tavrin/spectrum.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// A denominator of exactly zero is replaced by this, so a quotient stays finite.
constexpr float kZeroDenominator = 0.00001f;

float* zeroedFloats(uint32_t count)
{
    return static_cast<float*>(std::calloc(std::max<size_t>(count, 1), sizeof(float)));
}

// Value of `s` at wavelength w, which lies before s's point `next` (and after point next - 1 when
// there is one): linear between the two, 0 before the spectrum begins.
float interpolateBefore(const Spectrum* s, uint32_t next, float w)
{
    if (next == 0)
        return 0.0f;
    const float w0 = s->wavelengths[next - 1], w1 = s->wavelengths[next];
    const float v0 = s->values[next - 1], v1 = s->values[next];
    if (w1 == w0)
        return v0;
    return v0 + (v1 - v0) * ((w - w0) / (w1 - w0));
}

bool usable(const Spectrum* s)
{
    return s && (s->count == 0 || (s->wavelengths && s->values));
}

// Walks both ascending grids like a merge and writes one point per distinct wavelength, with
// combine(value of a, value of b). Stops when either grid is exhausted.
template <typename Combine>
ERRORCODE merge(const Spectrum* a, const Spectrum* b, Spectrum** out, Combine combine)
{
    *out = nullptr;
    const size_t capacity = size_t(a->count) + b->count;
    if (capacity > UINT32_MAX)
        return EC_InvalidArgument;
    Spectrum* r = static_cast<Spectrum*>(std::calloc(1, sizeof(Spectrum)));
    float* wavelengths = zeroedFloats(uint32_t(capacity));
    float* values = zeroedFloats(uint32_t(capacity));
    if (!r || !wavelengths || !values) {
        std::free(r);
        std::free(wavelengths);
        std::free(values);
        return EC_AllocationFailed;
    }
    uint32_t i = 0, j = 0, n = 0;
    while (i < a->count && j < b->count) {
        const float wa = a->wavelengths[i], wb = b->wavelengths[j];
        float va, vb, w;
        if (wa < wb) {
            w = wa;
            va = a->values[i++];
            vb = interpolateBefore(b, j, w);
        } else if (wb < wa) {
            w = wb;
            va = interpolateBefore(a, i, w);
            vb = b->values[j++];
        } else {
            w = wa;
            va = a->values[i++];
            vb = b->values[j++];
        }
        wavelengths[n] = w;
        values[n] = combine(va, vb);
        ++n;
    }
    // Behind the result: the remaining wavelengths of the longer grid, with value 0.
    size_t tail = n;
    for (; i < a->count; ++i)
        wavelengths[tail++] = a->wavelengths[i];
    for (; j < b->count; ++j)
        wavelengths[tail++] = b->wavelengths[j];
    r->count = n;
    r->ownsWavelengths = 1;
    r->ownsValues = 1;
    r->wavelengths = wavelengths;
    r->values = values;
    *out = r;
    return EC_Success;
}

} // namespace

extern "C" {

ERRORCODE DSPLI_SpectrumAllocation(Spectrum** out, float* wavelengths, float* values, uint32_t count)
{
    if (!out)
        return EC_NullArgument;
    *out = nullptr;
    Spectrum* s = static_cast<Spectrum*>(std::calloc(1, sizeof(Spectrum)));
    float* ownWavelengths = wavelengths ? nullptr : zeroedFloats(count);
    float* ownValues = values ? nullptr : zeroedFloats(count);
    if (!s || (!wavelengths && !ownWavelengths) || (!values && !ownValues)) {
        std::free(s);
        std::free(ownWavelengths);
        std::free(ownValues);
        return EC_AllocationFailed;
    }
    s->count = count;
    s->ownsWavelengths = wavelengths ? 0 : 1;
    s->ownsValues = values ? 0 : 1;
    s->wavelengths = wavelengths ? wavelengths : ownWavelengths;
    s->values = values ? values : ownValues;
    *out = s;
    return EC_Success;
}

ERRORCODE DSPLI_SpectrumSet(Spectrum* spectrum, float* wavelengths, float* values)
{
    if (!spectrum)
        return EC_NullArgument;
    if (wavelengths) {
        if (spectrum->ownsWavelengths)
            std::memmove(spectrum->wavelengths, wavelengths, spectrum->count * sizeof(float));
        else
            spectrum->wavelengths = wavelengths;
    }
    if (values) {
        if (spectrum->ownsValues)
            std::memmove(spectrum->values, values, spectrum->count * sizeof(float));
        else
            spectrum->values = values;
    }
    return EC_Success;
}

ERRORCODE DSPLI_SpectrumFree(Spectrum* spectrum)
{
    if (spectrum) {
        if (spectrum->ownsWavelengths)
            std::free(spectrum->wavelengths);
        if (spectrum->ownsValues)
            std::free(spectrum->values);
        std::free(spectrum);
    }
    return EC_Success;
}

ERRORCODE DSPLI_SpectrumMultiplication(const Spectrum* first, Spectrum* second, Spectrum** out)
{
    if (!usable(first) || !usable(second))
        return EC_InvalidArgument;
    if (out)
        return merge(first, second, out, [](float a, float b) { return a * b; });

    // In place on the second spectrum, over its own grid, up to the first spectrum's last wavelength.
    if (first->count == 0)
        return EC_Success;
    const float last = first->wavelengths[first->count - 1];
    uint32_t next = 0; // first point of `first` at or after the current wavelength
    for (uint32_t j = 0; j < second->count; ++j) {
        const float w = second->wavelengths[j];
        if (w > last)
            break;
        while (next < first->count && first->wavelengths[next] < w)
            ++next;
        const float f = first->wavelengths[next] == w ? first->values[next] : interpolateBefore(first, next, w);
        second->values[j] *= f;
    }
    return EC_Success;
}

ERRORCODE DSPLI_SpectrumDivision(const Spectrum* numerator, const Spectrum* denominator, Spectrum** out)
{
    if (!out)
        return EC_NullArgument;
    if (!usable(numerator) || !usable(denominator))
        return EC_InvalidArgument;
    return merge(numerator, denominator, out,
                 [](float a, float b) { return a / (b == 0.0f ? kZeroDenominator : b); });
}

ERRORCODE DSPLI_SpectrumIntegration(const Spectrum* spectrum, double* out)
{
    if (!out)
        return EC_NullArgument;
    if (!usable(spectrum))
        return EC_InvalidArgument;
    *out = 0;
    long double sum = 0;
    for (uint32_t i = 0; i + 1 < spectrum->count; ++i)
        sum += (long double)(spectrum->wavelengths[i + 1] - spectrum->wavelengths[i])
               * ((long double)spectrum->values[i] + spectrum->values[i + 1]);
    *out = double(0.5L * sum);
    return EC_Success;
}

ERRORCODE DSPLI_SpectrumInnerProduct(const Spectrum* first, const Spectrum* second, double* out)
{
    if (!out)
        return EC_NullArgument;
    if (!usable(first) || !usable(second))
        return EC_InvalidArgument;
    Spectrum* product = nullptr;
    ERRORCODE rc = merge(first, second, &product, [](float a, float b) { return a * b; });
    if (rc == EC_Success)
        rc = DSPLI_SpectrumIntegration(product, out);
    DSPLI_SpectrumFree(product);
    return rc;
}

} // extern "C"
