#pragma once
// Checks the inputs of the instrument correction matrix (CColor::correctionMatrix) before it is
// computed, so that no reading or typed value can lead to a matrix error.

#include <QString>

class CColor;
class Matrix;

// True when correctionMatrix(measured, reference, measuredWhite, referenceWhite) can be computed
// without a matrix error and with a finite result. False, with the message for the user in *why
// (when why is not null), when an instrument reading (a primary or the white) is the null colour
// or not finite, or when the measured or the reference matrix is not 3x3, holds a value that is
// not finite, or cannot be inverted (also when the four-colour correction would have to invert
// a singular scaled matrix).
bool canComputeCorrection(const Matrix& measured, const Matrix& reference,
                          const CColor& measuredWhite, const CColor& referenceWhite,
                          QString* why);
