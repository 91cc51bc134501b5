// Target colours and colour differences of CColor: CIEDE2000 and the CIE 1976 u*v* differences.

#include "colour/cielab.h"
#include "colour/color.h"
#include "colour/currentreference.h"

#include <QDebug>

#include <cmath>

namespace {

// Factor of the CIE 1976 u*, v* coordinates: u* = 13 L* (u' - u'n).
constexpr double kUvScale = 13.0;

// The reference white of `ref` at luminance Yn, as components.
void whiteAt(const ColorReference& ref, double Yn, double xyz[3])
{
    const CColor xy = ref.white.toxyY();
    const double x = xy[0];
    const double y = xy[1];
    xyz[0] = (Yn / y) * x;
    xyz[1] = Yn;
    xyz[2] = (Yn / y) * ((1.0 - x) - y);
}

double lightnessAgainst(const CColor& c, const double white[3])
{
    double lab[3];
    cielab::fromXyz(c[0], c[1], c[2], white[0], white[1], white[2], lab);
    return lab[0];
}

// Target of drive levels (r, g, b) under `ref`, spanning Ymin..Ymax.
void targetOf(const ColorReference& ref, double r, double g, double b, double Ymax, double Ymin,
              CColor& out)
{
    const double p[3] = {std::pow(r, ref.gamma), std::pow(g, ref.gamma), std::pow(b, ref.gamma)};
    const Matrix t = ref.rgbToXyz * Matrix(p, 3, 1);
    const double sum = t(0, 0) + t(1, 0) + t(2, 0);
    double x, y;
    if (sum != 0.0) {
        x = t(0, 0) / sum;
        y = t(1, 0) / sum;
    } else {
        const CColor w = ref.white.toxyY();
        x = w[0];
        y = w[1];
    }
    const double relativeY = p[0] * ref.rgbToXyz(1, 0) + p[1] * ref.rgbToXyz(1, 1)
                             + p[2] * ref.rgbToXyz(1, 2);
    out.fromxyY(CColor(x, y, relativeY * (Ymax - Ymin) + Ymin));
}

} // namespace

void CColor::referenceWhite(double Yn, CColor& out)
{
    double w[3];
    whiteAt(*currentColorReference(), Yn, w);
    out[0] = w[0];
    out[1] = w[1];
    out[2] = w[2];
}

void CColor::GetTarget(double Ymax, double Ymin, CColor& out) const
{
    targetOf(*currentColorReference(), levelR, levelG, levelB, Ymax, Ymin, out);
}

double CColor::GetDeltaE2000(double Ymax, double Ymin) const
{
    CColor target;
    GetTarget(Ymax, Ymin, target);
    const CColor& self = *this;
    return deltaE2000XYZ(target[0], target[1], target[2], self[0], self[1], self[2], Ymax);
}

double CColor::deltaE2000XYZ(double X1, double Y1, double Z1, double X2, double Y2, double Z2,
                             double Yn)
{
    double w[3];
    whiteAt(*currentColorReference(), Yn, w);
    double lab1[3], lab2[3];
    cielab::fromXyz(X1, Y1, Z1, w[0], w[1], w[2], lab1);
    cielab::fromXyz(X2, Y2, Z2, w[0], w[1], w[2], lab2);
    return cielab::deltaE2000(lab1, lab2);
}

double CColor::deltaE2000Lab(const CColor& lab1, const CColor& lab2)
{
    const double a[3] = {lab1[0], lab1[1], lab1[2]};
    const double b[3] = {lab2[0], lab2[1], lab2[2]};
    return cielab::deltaE2000(a, b);
}

double CColor::GetDeltaEuvTarget(double Ymax, double Ymin) const
{
    const std::shared_ptr<const ColorReference> ref = currentColorReference();
    double w[3];
    whiteAt(*ref, Ymax, w);
    const double L = lightnessAgainst(*this, w);
    CColor target;
    targetOf(*ref, levelR, levelG, levelB, Ymax, Ymin, target);
    const CColor uv = toupvpY();
    const CColor uvTarget = target.toupvpY();
    // Chromatic part only: both colours take the measured lightness.
    const double du = kUvScale * L * (uv[0] - uvTarget[0]);
    const double dv = kUvScale * L * (uv[1] - uvTarget[1]);
    return std::sqrt(du * du + dv * dv);
}

double CColor::GetDeltaEuv(double Yn, const CColor& other, double otherYn) const
{
    const std::shared_ptr<const ColorReference> ref = currentColorReference();
    const double L1 = GetLightness(Yn);
    const double L2 = other.GetLightness(otherYn);
    const CColor uv1 = toupvpY();
    const CColor uv2 = other.toupvpY();
    const double u1 = kUvScale * L1 * (uv1[0] - ref->whiteU);
    const double v1 = kUvScale * L1 * (uv1[1] - ref->whiteV);
    const double u2 = kUvScale * L2 * (uv2[0] - ref->whiteU);
    const double v2 = kUvScale * L2 * (uv2[1] - ref->whiteV);
    return std::sqrt((u1 - u2) * (u1 - u2) + (L1 - L2) * (L1 - L2) + (v1 - v2) * (v1 - v2));
}

double CColor::GetDeltaEuvWhite(double Yn) const
{
    return GetDeltaEuv(Yn, currentColorReference()->white, 1.0);
}

double CColor::deltaEuvAgainst(const CColor& a, const CColor& b, const CColor& w)
{
    const CColor uvw = w.toupvpY();
    const double Yw = w[1];
    const double La = a.GetLightness(Yw);
    const double Lb = b.GetLightness(Yw);
    const CColor uva = a.toupvpY();
    const CColor uvb = b.toupvpY();
    const double ua = kUvScale * La * (uva[0] - uvw[0]);
    const double va = kUvScale * La * (uva[1] - uvw[1]);
    const double ub = kUvScale * Lb * (uvb[0] - uvw[0]);
    const double vb = kUvScale * Lb * (uvb[1] - uvw[1]);
    return std::sqrt((La - Lb) * (La - Lb) + (ub - ua) * (ub - ua) + (vb - va) * (vb - va));
}

double CColor::deltaEuvFromWhite(const CColor& a, const CColor& b)
{
    return deltaEuvAgainst(a, b, b);
}

double CColor::chromaUv(double Yn) const
{
    double w[3];
    whiteAt(*currentColorReference(), Yn, w);
    const CColor uvw = CColor(w[0], w[1], w[2]).toupvpY();
    const double L = lightnessAgainst(*this, w);
    const CColor uv = toupvpY();
    const double du = kUvScale * L * (uv[0] - uvw[0]);
    const double dv = kUvScale * L * (uv[1] - uvw[1]);
    return std::sqrt(du * du + dv * dv);
}

double CColor::GetDeltauv(double Yn, const CColor& ref, double refYn) const
{
    const std::shared_ptr<const ColorReference> reference = currentColorReference();
    const double L = GetLightness(Yn);
    const double Lref = ref.GetLightness(refYn);
    const CColor uv = toupvpY();
    const CColor uvRef = ref.toupvpY();
    const double u = L * (uv[0] - reference->whiteU);
    const double v = L * (uv[1] - reference->whiteV);
    const double uRef = Lref * (uvRef[0] - reference->whiteU);
    const double vRef = Lref * (uvRef[1] - reference->whiteV);
    const double product = (u - uRef) * (v - vRef);
    qDebug("Ref: u = %lf, v = %lf, Col: u = %lf, v = %lf, duv = %lf\n", uRef, vRef, u, v, product);
    return product;
}

double CColor::uvProduct(const CColor& other) const
{
    const CColor a = toupvpY();
    const CColor b = other.toupvpY();
    return (a[0] - b[0]) * (a[1] - b[1]);
}
