#pragma once
// CIE 1976 L*a*b* and the CIEDE2000 colour difference as plain functions of doubles: no colour
// objects, no reference, no allocation. The colour-value operations are built on them, and
// anything that compares many colours (tables, reports, benchmarks) can call them directly.

namespace cielab {

// L*, a*, b* of X, Y, Z against the white Xn, Yn, Zn (CIE 15:2004, 8.2.1). The cube-root branch
// starts above (6/29)^3 = 0.008856451679; below it the linear segment 7.787 t + 16/116 is used.
void fromXyz(double X, double Y, double Z, double Xn, double Yn, double Zn, double lab[3]);

// CIEDE2000 of two L*a*b* values with kL = kC = kH = 1 (CIE 142-2001; Sharma, Wu and Dalal 2005).
// Angles are handled in degrees with pi taken as 3.1415926, the value our results have always
// been computed with, so differences stay comparable with stored reports.
double deltaE2000(const double lab1[3], const double lab2[3]);

} // namespace cielab
