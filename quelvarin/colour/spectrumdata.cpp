#include "colour/spectrumdata.h"

#include "colour/color.h"

#include <cmath>

const SpectrumData emptySpectrum(0, 0, 0);

SpectrumData::SpectrumData(int minWaveLength, int maxWaveLength, int count)
    : minWaveLength(minWaveLength)
    , maxWaveLength(maxWaveLength)
    , count(count > 0 ? count : 0)
    , values(this->count, 0.0f)
{
}

SpectrumData::SpectrumData(int minWaveLength, int maxWaveLength, int count, const float* values)
    : SpectrumData(minWaveLength, maxWaveLength, count)
{
    if (values)
        std::copy(values, values + this->count, this->values.begin());
}

bool SpectrumData::setValues(int start, int count, const float* values)
{
    // 64-bit sum: start + count must not wrap around for large arguments.
    if (start < 0 || qint64(start) + count > this->values.size())
        return false;
    if (count < 1)
        return true;
    if (!values)
        return false;
    std::copy(values, values + count, this->values.begin() + start);
    return true;
}

float SpectrumData::valueAt(float nm) const
{
    const int n = values.size();
    if (n == 0)
        return 0.0f;
    if (n == 1)
        return values[0];

    // Lower sample of the segment: the one at floor(nm), kept inside the first and last segment
    // (and inside the samples present). The comparisons come before the conversion to int, so a
    // NaN or huge wavelength never reaches it.
    const int lastLower = qMin(kFullCount - 2, n - 2);
    int lower;
    if (!(nm >= float(kFirstNm)))
        lower = 0;
    else if (nm >= float(kFirstNm + lastLower))
        lower = lastLower;
    else
        lower = int(std::floor(nm)) - kFirstNm;

    const float t = nm - float(kFirstNm + lower);
    const float a = values[lower];
    const float b = values[lower + 1];
    return a + (b - a) * t;
}

bool SpectrumData::operator==(const SpectrumData& other) const
{
    return minWaveLength == other.minWaveLength && maxWaveLength == other.maxWaveLength
           && count == other.count && values == other.values;
}

CColor emptyColor()
{
    return nullColor;
}
