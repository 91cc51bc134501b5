// The instrument correction matrix and the check that guards it.

#include "colour/correction.h"

#include "colour/color.h"

#include <QtGlobal>

#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr int kDim = 3;
// A pivot this small against the largest element means the elimination divides by (nearly)
// zero: the matrix is singular for all practical purposes, and the readings behind it cannot
// define a correction.
constexpr double kPivotTolerance = 1e-12;

// The sensor calibration dialog shows these, translated in its own context.
const char* const kInvalidReading = QT_TRANSLATE_NOOP("CalibrateDialog", "Invalid sensor reading!");
const char* const kAbnormalSensorMatrix = QT_TRANSLATE_NOOP("CalibrateDialog", "Abnormal sensor matrix!");
const char* const kAbnormalReference = QT_TRANSLATE_NOOP("CalibrateDialog", "Abnormal matrix!");
const char* const kAbnormalSensorWhite = QT_TRANSLATE_NOOP("CalibrateDialog", "Abnormal sensor white!");
const char* const kAbnormalReferenceWhite = QT_TRANSLATE_NOOP("CalibrateDialog", "Abnormal reference white!");
const char* const kPrimariesAlike = QT_TRANSLATE_NOOP(
    "CalibrateDialog", "The sensor values of red, green and blue barely differ. Is the sensor on the colour patch?");

Matrix diagonal(const Matrix& v)
{
    Matrix d(0.0, kDim, kDim);
    for (int i = 0; i < kDim; ++i)
        d(i, i) = v(i, 0);
    return d;
}

bool isNullTriple(double x, double y, double z)
{
    return x == nullColor[0] && y == nullColor[1] && z == nullColor[2];
}

bool allFinite(const Matrix& m)
{
    for (int r = 0; r < m.rows(); ++r)
        for (int c = 0; c < m.cols(); ++c)
            if (!std::isfinite(m(r, c)))
                return false;
    return true;
}

// True when the Gauss-Jordan elimination of Matrix::inverse meets no zero pivot on this 3x3
// matrix. The forward pass is repeated on a copy in the same order, with the same exchange of
// an exactly zero pivot for the first lower row that is non-zero there; a pivot that vanishes
// against the matrix's largest element counts as zero, since dividing by it gives no usable
// correction.
bool invertible(const Matrix& m)
{
    double a[kDim][kDim];
    double scale = 0.0;
    for (int r = 0; r < kDim; ++r)
        for (int c = 0; c < kDim; ++c) {
            a[r][c] = m(r, c);
            scale = std::fmax(scale, std::fabs(a[r][c]));
        }
    if (!(scale > 0.0) || !std::isfinite(scale))
        return false;
    for (int i = 0; i < kDim; ++i) {
        for (int k = i + 1; a[i][i] == 0.0 && k < kDim; ++k)
            if (a[k][i] != 0.0)
                std::swap(a[i], a[k]);
        const double pivot = a[i][i];
        if (!(std::fabs(pivot) > kPivotTolerance * scale))
            return false;
        for (int k = i + 1; k < kDim; ++k) {
            const double f = -a[k][i] / pivot;
            for (int c = 0; c < kDim; ++c)
                a[k][c] += a[i][c] * f;
        }
        for (int c = 0; c < kDim; ++c)
            a[i][c] /= pivot;
    }
    return true;
}

// True when `white` is a sum of the (invertible) `primaries`, one per column, with weights that
// are all positive and finite, as a display's white is of its red, green and blue. The
// four-colour correction scales each primary by its weight: a weight of zero makes the
// correction singular or zero, a negative one flips the sign of what it corrects. A weight that
// vanishes against the largest counts as zero (a white typed in the plane of two primaries
// leaves a rounding error there, not an exact zero).
bool insidePrimaries(const Matrix& primaries, const CColor& white)
{
    if (!allFinite(white))
        return false;
    const Matrix k = primaries.inverse() * white;
    double largest = 0.0;
    for (int i = 0; i < kDim; ++i) {
        if (!std::isfinite(k(i, 0)))
            return false;
        largest = std::fmax(largest, k(i, 0));
    }
    for (int i = 0; i < kDim; ++i)
        if (!(k(i, 0) > kPivotTolerance * largest))
            return false;
    return true;
}

double columnNorm(const Matrix& m)
{
    double norm = 0.0;
    for (int c = 0; c < kDim; ++c)
        norm = std::fmax(norm, std::fabs(m(0, c)) + std::fabs(m(1, c)) + std::fabs(m(2, c)));
    return norm;
}

bool refuse(QString* why, const char* message)
{
    if (why)
        *why = QString::fromLatin1(message);
    return false;
}

} // namespace

double conditionNumber(const Matrix& m)
{
    if (m.rows() != kDim || m.cols() != kDim || !allFinite(m) || !invertible(m))
        return std::numeric_limits<double>::infinity();
    const double k = columnNorm(m) * columnNorm(m.inverse());
    return std::isfinite(k) ? k : std::numeric_limits<double>::infinity();
}

Matrix CColor::correctionMatrix(const Matrix& measured, const Matrix& reference,
                                const CColor& measuredWhite, const CColor& referenceWhite)
{
    // Without both whites (or with a reference that cannot scale its primaries) the
    // three-colour correction maps each measured primary onto the reference primary.
    if (measuredWhite.isNull() || referenceWhite.isNull() || reference.det() == 0.0)
        return reference * measured.inverse();

    // Four-colour correction: scale the primaries of each set so they sum to its white, then
    // map the scaled measured primaries onto the scaled reference primaries. K Wm = Wr.
    const Matrix kr = reference.inverse() * referenceWhite;
    const Matrix km = measured.inverse() * measuredWhite;
    return (reference * diagonal(kr)) * (measured * diagonal(km)).inverse();
}

bool canComputeCorrection(const Matrix& measured, const Matrix& reference,
                          const CColor& measuredWhite, const CColor& referenceWhite, QString* why)
{
    if (measured.rows() != kDim || measured.cols() != kDim)
        return refuse(why, kAbnormalSensorMatrix);
    if (reference.rows() != kDim || reference.cols() != kDim)
        return refuse(why, kAbnormalReference);

    // A failed instrument reading arrives as the null colour; it must not become a primary or
    // quietly turn the four-colour correction into the three-colour one.
    for (int c = 0; c < kDim; ++c)
        if (isNullTriple(measured(0, c), measured(1, c), measured(2, c)))
            return refuse(why, kInvalidReading);
    if (isNullTriple(measuredWhite[0], measuredWhite[1], measuredWhite[2])
        || !allFinite(measuredWhite))
        return refuse(why, kInvalidReading);

    if (!allFinite(measured) || !invertible(measured))
        return refuse(why, kAbnormalSensorMatrix);
    // Invertible, but so close to singular that the correction would be mostly noise.
    if (conditionNumber(measured) > kMaxPrimariesCondition)
        return refuse(why, kPrimariesAlike);
    if (!allFinite(reference) || reference.det() == 0.0 || !invertible(reference))
        return refuse(why, kAbnormalReference);

    const bool fourColour = !isNullTriple(referenceWhite[0], referenceWhite[1], referenceWhite[2]);
    if (fourColour) {
        // Each white must lie inside its primaries. A reference white typed as 0 0 0, negated or
        // in the plane of two primaries would store a zero, sign-flipped or singular correction.
        if (!insidePrimaries(reference, referenceWhite))
            return refuse(why, kAbnormalReferenceWhite);
        const Matrix km = measured.inverse() * measuredWhite;
        if (!insidePrimaries(measured, measuredWhite) || !invertible(measured * diagonal(km)))
            return refuse(why, kAbnormalSensorWhite);
    }
    return true;
}
