#pragma once
// How well a text or a marker stands out from what it is drawn on: the contrast ratio of two
// colours as the web's accessibility guidelines define it, (L1 + 0.05) / (L2 + 0.05) of their
// relative luminances (sRGB channels linearised). 1 is no contrast, 21 black on white; text wants
// at least 4.5, a control's outline at least 3.

#include <QColor>
#include <QRgb>

#include <algorithm>
#include <cmath>

namespace contrast {

inline double relativeLuminance(QRgb p)
{
    const auto linear = [](int v) {
        const double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(p)) + 0.7152 * linear(qGreen(p)) + 0.0722 * linear(qBlue(p));
}

inline double ratio(QRgb a, QRgb b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

inline double ratio(const QColor& a, const QColor& b)
{
    return ratio(a.rgb(), b.rgb());
}

} // namespace contrast
