#pragma once
// A measured spectrum as a value: first and last wavelength, the announced sample count and the
// samples, one per nanometre. Copies share the samples until one of them writes (QVector).

#include <QVector>

class CColor;

class SpectrumData
{
public:
    // The grid that valueAt() reads: sample k lies at kFirstNm + k nm, and a full spectrum
    // holds kFullCount samples (380..780 nm), as every spectral instrument delivers it.
    static constexpr int kFirstNm = 380;
    static constexpr int kFullCount = 401;

    // A count below 0 gives an empty spectrum (count 0, no samples).
    SpectrumData(int minWaveLength, int maxWaveLength, int count);
    // As above, then sample i = values[i]; a null values pointer leaves the samples at 0.
    SpectrumData(int minWaveLength, int maxWaveLength, int count, const float* values);

    // Samples start..start+count-1 become values[0..count-1]. False, and nothing changes, when
    // start < 0 or the range runs past the samples present; count < 1 changes nothing and is true.
    bool setValues(int start, int count, const float* values);

    // Linear interpolation on the fixed 380 nm grid; the first and last segments extend
    // linearly beyond 380 and 780 nm. With fewer than 401 samples the last segment present is
    // used, with one sample its value, with none 0. A NaN wavelength gives NaN.
    float valueAt(float nm) const;

    bool operator==(const SpectrumData& other) const;
    bool operator!=(const SpectrumData& other) const { return !(*this == other); }

    int minWaveLength;
    int maxWaveLength;
    int count;
    QVector<float> values;
};

// The spectrum of a sensor that has measured none: (0, 0, 0), no samples.
extern const SpectrumData emptySpectrum;

// A copy of the null colour, the colour counterpart of emptySpectrum.
CColor emptyColor();
