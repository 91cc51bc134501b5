// Target colours and colour differences of CColor: CIEDE2000 and the CIE 1976 u*v* differences.

#include "colour/cielab.h"
#include "colour/color.h"
#include "colour/currentreference.h"
#include "platform/logging.h"

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

double deltaE2000Against(const ColorReference& ref, const double xyz1[3], const double xyz2[3],
                         double Yn)
{
    double w[3];
    whiteAt(ref, Yn, w);
    double lab1[3], lab2[3];
    cielab::fromXyz(xyz1[0], xyz1[1], xyz1[2], w[0], w[1], w[2], lab1);
    cielab::fromXyz(xyz2[0], xyz2[1], xyz2[2], w[0], w[1], w[2], lab2);
    return cielab::deltaE2000(lab1, lab2);
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

// L* (u' - u'n) and L* (v' - v'n) of a colour, times `scale` (13 for CIE 1976 u*, v*).
struct UvOffset
{
    double u;
    double v;
};

UvOffset uvOffset(const CColor& c, double L, double un, double vn, double scale)
{
    const CColor uv = c.toupvpY();
    return {scale * L * (uv[0] - un), scale * L * (uv[1] - vn)};
}

double deltaEuvWith(const ColorReference& ref, const CColor& c1, double Yn1, const CColor& c2,
                    double Yn2)
{
    const double L1 = c1.GetLightness(Yn1);
    const double L2 = c2.GetLightness(Yn2);
    const UvOffset a = uvOffset(c1, L1, ref.whiteU, ref.whiteV, kUvScale);
    const UvOffset b = uvOffset(c2, L2, ref.whiteU, ref.whiteV, kUvScale);
    return std::sqrt((a.u - b.u) * (a.u - b.u) + (L1 - L2) * (L1 - L2) + (a.v - b.v) * (a.v - b.v));
}

} // namespace

// Every operation below takes one snapshot of the current reference and computes with it
// throughout, so a reference replaced meanwhile never mixes into one result.

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
    const std::shared_ptr<const ColorReference> ref = currentColorReference();
    CColor target;
    targetOf(*ref, levelR, levelG, levelB, Ymax, Ymin, target);
    const CColor& self = *this;
    const double t[3] = {target[0], target[1], target[2]};
    const double c[3] = {self[0], self[1], self[2]};
    return deltaE2000Against(*ref, t, c, Ymax);
}

double CColor::deltaE2000XYZ(double X1, double Y1, double Z1, double X2, double Y2, double Z2,
                             double Yn)
{
    const double xyz1[3] = {X1, Y1, Z1};
    const double xyz2[3] = {X2, Y2, Z2};
    return deltaE2000Against(*currentColorReference(), xyz1, xyz2, Yn);
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
    // Chromatic part only: both colours take the measured lightness.
    const CColor uvTarget = target.toupvpY();
    const UvOffset d = uvOffset(*this, L, uvTarget[0], uvTarget[1], kUvScale);
    return std::sqrt(d.u * d.u + d.v * d.v);
}

double CColor::GetDeltaEuv(double Yn, const CColor& other, double otherYn) const
{
    return deltaEuvWith(*currentColorReference(), *this, Yn, other, otherYn);
}

double CColor::GetDeltaEuvWhite(double Yn) const
{
    const std::shared_ptr<const ColorReference> ref = currentColorReference();
    return deltaEuvWith(*ref, *this, Yn, ref->white, 1.0);
}

double CColor::deltaEuvAgainst(const CColor& a, const CColor& b, const CColor& w)
{
    const CColor uvw = w.toupvpY();
    const double Yw = w[1];
    const double La = a.GetLightness(Yw);
    const double Lb = b.GetLightness(Yw);
    const UvOffset da = uvOffset(a, La, uvw[0], uvw[1], kUvScale);
    const UvOffset db = uvOffset(b, Lb, uvw[0], uvw[1], kUvScale);
    return std::sqrt((La - Lb) * (La - Lb) + (db.u - da.u) * (db.u - da.u)
                     + (db.v - da.v) * (db.v - da.v));
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
    const UvOffset d = uvOffset(*this, L, uvw[0], uvw[1], kUvScale);
    return std::sqrt(d.u * d.u + d.v * d.v);
}

double CColor::GetDeltauv(double Yn, const CColor& ref, double refYn) const
{
    const std::shared_ptr<const ColorReference> reference = currentColorReference();
    // Without the factor 13 of u*, v*.
    const UvOffset c = uvOffset(*this, GetLightness(Yn), reference->whiteU, reference->whiteV, 1.0);
    const UvOffset r = uvOffset(ref, ref.GetLightness(refYn), reference->whiteU, reference->whiteV, 1.0);
    const double product = (c.u - r.u) * (c.v - r.v);
    qCDebug(platform::programLog, "Ref: u = %lf, v = %lf, Col: u = %lf, v = %lf, duv = %lf\n", r.u, r.v, c.u, c.v, product);
    return product;
}

double CColor::uvProduct(const CColor& other) const
{
    const CColor a = toupvpY();
    const CColor b = other.toupvpY();
    return (a[0] - b[0]) * (a[1] - b[1]);
}
