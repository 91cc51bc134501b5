#include "colour/color.h"

#include "colour/colorreference.h"
#include "colour/currentreference.h"

#include <QCoreApplication>

#include <cmath>

namespace {

// CIE 15 lightness: the linear segment below this ratio (the program's rounded value, used by
// the lightness and by toLab; xyzToLab uses the longer kLabEpsilonExact).
constexpr double kLabEpsilon = 0.008856;
constexpr double kLabEpsilonExact = 0.008856451679;
constexpr double kLabKappa = 903.3;      // slope of the linear lightness segment
constexpr double kLabSlope = 7.787;      // slope of the linear segment of f(t)
constexpr double kLabOffset = 16.0 / 116.0;
constexpr double kOneThird = 1.0 / 3.0;  // cube roots are taken as this power
constexpr double kPi = 3.141592653589793;

double labF(double t, double threshold)
{
    return t > threshold ? std::pow(t, kOneThird) : kLabSlope * t + kLabOffset;
}

double labFInverse(double f)
{
    const double c = f * f * f;
    return c > kLabEpsilon ? c : (f - kLabOffset) / kLabSlope;
}

} // namespace

CColor::CColor() : Matrix(1.0, 3, 1) {}

CColor::CColor(double X, double Y, double Z) : Matrix(0.0, 3, 1)
{
    Matrix::operator()(0, 0) = X;
    Matrix::operator()(1, 0) = Y;
    Matrix::operator()(2, 0) = Z;
}

CColor::CColor(double x, double y) : Matrix(0.0, 3, 1)
{
    fromxyY(CColor(x, y, 1.0));
}

CColor::CColor(const Matrix& m) : Matrix(0.0, 3, 1)
{
    if (m.rows() != 3 || m.cols() != 1)
        ErrorMsg(QStringLiteral("out-of-bounds index"), true);
    const int n = m.cols() > 0 ? std::min(m.rows(), 3) : 0;
    for (int i = 0; i < n; ++i)
        Matrix::operator()(i, 0) = m(i, 0);
}

CColor::CColor(const CColor& other)
    : Matrix(other), levelR(other.levelR), levelG(other.levelG), levelB(other.levelB)
{
}

CColor& CColor::operator=(const CColor& other)
{
    if (this != &other)
        Matrix::operator=(other);
    return *this;
}

double& CColor::operator[](int i)
{
    return Matrix::operator()(i, 0);
}

double CColor::operator[](int i) const
{
    return Matrix::operator()(i, 0);
}

double CColor::getY() const
{
    return (*this)[1];
}

void CColor::setXYZ(const CColor& c)
{
    const double X = c[0], Y = c[1], Z = c[2];
    (*this)[0] = X;
    (*this)[1] = Y;
    (*this)[2] = Z;
}

bool CColor::isNull() const
{
    return *this == nullColor;
}

// ---------------------------------------------------------------------------------------------
// Chromaticity

CColor CColor::toxyY() const
{
    if (isNull())
        return nullColor;
    const double X = (*this)[0], Y = (*this)[1], Z = (*this)[2];
    const double S = X + Y + Z;
    if (S != 0.0)
        return CColor(X / S, Y / S, Y);
    return CColor(0.0, 0.0, Y);
}

void CColor::fromxyY(const CColor& s)
{
    if (s.isNull()) {
        setXYZ(nullColor);
        return;
    }
    const double x = s[0], y = s[1], Y = s[2];
    if (y != 0.0) {
        (*this)[0] = (x / y) * Y;
        (*this)[1] = Y;
        (*this)[2] = (((1.0 - x) - y) * Y) / y;
    } else {
        setXYZ(CColor(0.0, 0.0, 0.0));
    }
}

CColor CColor::toupvpY() const
{
    if (isNull())
        return nullColor;
    const double X = (*this)[0], Y = (*this)[1], Z = (*this)[2];
    const double D = (X + 15.0 * Y) + 3.0 * Z;
    if (D != 0.0)
        return CColor(4.0 * X / D, 9.0 * Y / D, Y);
    return CColor(0.0, 0.0, Y);
}

void CColor::fromupvpY(const CColor& s)
{
    if (s.isNull()) {
        setXYZ(nullColor);
        return;
    }
    const double u = s[0], v = s[1], Y = s[2];
    if (v != 0.0) {
        const double X = (9.0 * u * Y * 0.25) / v;
        (*this)[0] = X;
        (*this)[1] = Y;
        (*this)[2] = (9.0 * Y - X * v - 15.0 * Y * v) / (3.0 * v);
    } else {
        setXYZ(CColor(0.0, 0.0, 0.0));
    }
}

double CColor::xyDistance(const CColor& other) const
{
    const CColor a = toxyY();
    const CColor b = other.toxyY();
    const double dx = a[0] - b[0];
    const double dy = a[1] - b[1];
    return std::sqrt(dx * dx + dy * dy);
}

// ---------------------------------------------------------------------------------------------
// Linear RGB of a colour reference

CColor CColor::toRGB() const
{
    return toRGB(*currentColorReference());
}

CColor CColor::toRGB(const ColorReference& ref) const
{
    if (isNull())
        return nullColor;
    return CColor(ref.xyzToRgb * *this);
}

void CColor::fromRGB(const CColor& s)
{
    fromRGB(s, *currentColorReference());
}

void CColor::fromRGB(const CColor& s, const ColorReference& ref)
{
    if (s.isNull()) {
        setXYZ(nullColor);
        return;
    }
    setXYZ(CColor(ref.rgbToXyz * s));
}

CColor CColor::chromaRGB() const
{
    return chromaRGB(*currentColorReference());
}

CColor CColor::chromaRGB(const ColorReference& ref) const
{
    const CColor xy = toxyY();
    const double x = xy[0], y = xy[1];
    return CColor(x / y, 1.0, (1.0 - (x + y)) / y).toRGB(ref);
}

// ---------------------------------------------------------------------------------------------
// CIE lightness and CIELAB

double CColor::GetLightness(double Yn) const
{
    if (isNull())
        return 0.0;
    if (Yn <= 0.0)
        return 100.0;
    const double t = (*this)[1] / Yn;
    if (t > kLabEpsilon)
        return 116.0 * std::pow(t, kOneThird) - 16.0;
    return kLabKappa * t;
}

CColor CColor::toLab(double Yn) const
{
    return toLab(Yn, *currentColorReference());
}

CColor CColor::toLab(double Yn, const ColorReference& ref) const
{
    if (isNull())
        return nullColor;
    const CColor& W = ref.white;
    const double k = Yn / W[1];
    const double fx = labF((*this)[0] / (k * W[0]), kLabEpsilon);
    const double fy = labF((*this)[1] / (k * W[1]), kLabEpsilon);
    const double fz = labF((*this)[2] / (k * W[2]), kLabEpsilon);
    return CColor(116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz));
}

CColor CColor::xyzToLab(double X, double Y, double Z, double Xn, double Yn, double Zn)
{
    const double fx = labF(X / Xn, kLabEpsilonExact);
    const double fy = labF(Y / Yn, kLabEpsilonExact);
    const double fz = labF(Z / Zn, kLabEpsilonExact);
    return CColor(116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz));
}

CColor CColor::toLCh(double Yn) const
{
    return toLCh(Yn, *currentColorReference());
}

CColor CColor::toLCh(double Yn, const ColorReference& ref) const
{
    if (isNull())
        return nullColor;
    const CColor lab = toLab(Yn, ref);
    const double a = lab[1], b = lab[2];
    double h = std::atan2(b, a) / kPi * 180.0;
    if (h < 0.0)
        h += 360.0;
    return CColor(lab[0], std::sqrt(a * a + b * b), h);
}

void CColor::fromLab(const CColor& s)
{
    fromLab(s, *currentColorReference());
}

void CColor::fromLab(const CColor& s, const ColorReference& ref)
{
    if (s.isNull()) {
        setXYZ(nullColor);
        return;
    }
    const double fy = (s[0] + 16.0) / 116.0;
    const double fx = s[1] / 500.0 + fy;
    const double fz = fy - s[2] / 200.0;
    const CColor& W = ref.white;
    setXYZ(CColor(labFInverse(fx) * W[0], labFInverse(fy) * W[1], labFInverse(fz) * W[2]));
}

// ---------------------------------------------------------------------------------------------

void registerColorMetaType()
{
    qRegisterMetaType<CColor>("CColor");
}

Q_COREAPP_STARTUP_FUNCTION(registerColorMetaType)
