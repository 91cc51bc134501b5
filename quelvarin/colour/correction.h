#pragma once
// Checks the inputs of the instrument correction matrix (CColor::correctionMatrix) before it is
// computed, so that no reading or typed value can lead to a matrix error, and tells whether the
// readings of three primaries can be a display's at all.

#include <QString>

class CColor;
class Matrix;

// The condition number of a 3x3 matrix in the 1-norm, |M| |M^-1| with |M| the largest sum of
// absolute values in a column: by how much an error in the columns can grow in the inverse.
// Infinity when the matrix cannot be inverted or holds a value that is not finite.
double conditionNumber(const Matrix& m);

// The largest condition number accepted for the XYZ of a display's red, green and blue (one
// column each). Real displays stay far below it, whatever instrument reads them: Rec.709
// primaries balanced to D65 give about 5, BT.2020 about 3, a washed-out projector about 10, and
// even a channel at a tenth of its balanced light stays under 80. Three readings taken beside
// the patch (ambient light, noise) differ by a few per cent at most and give several hundred up
// to millions; a correction or a calibration built on them only magnifies that noise.
constexpr double kMaxPrimariesCondition = 100.0;

// True when correctionMatrix(measured, reference, measuredWhite, referenceWhite) can be computed
// without a matrix error and with a finite result. False, with the message for the user in *why
// (when why is not null), when an instrument reading (a primary or the white) is the null colour
// or not finite, or when the measured or the reference matrix is not 3x3, holds a value that is
// not finite, or cannot be inverted (also when the four-colour correction would have to invert
// a singular scaled matrix), or when the measured primaries barely differ (their condition
// number is above kMaxPrimariesCondition). With a reference white (not the null colour), each
// white must also lie inside its primaries: refused when one of its weights, the factors that
// add the primaries up to it, is zero, negative or not finite. The messages are texts of the
// sensor calibration dialog (translation context "CalibrateDialog").
bool canComputeCorrection(const Matrix& measured, const Matrix& reference,
                          const CColor& measuredWhite, const CColor& referenceWhite,
                          QString* why);
