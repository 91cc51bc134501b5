#include "ui/window/patchnames.h"

#include <QCoreApplication>

namespace {

const char* const kSaturationNames[] = {
    QT_TRANSLATE_NOOP("SatGamut", "White"),
    QT_TRANSLATE_NOOP("SatGamut", "Red 20%"),     QT_TRANSLATE_NOOP("SatGamut", "Red 40%"),
    QT_TRANSLATE_NOOP("SatGamut", "Red 60%"),     QT_TRANSLATE_NOOP("SatGamut", "Red 80%"),
    QT_TRANSLATE_NOOP("SatGamut", "Red 100%"),    QT_TRANSLATE_NOOP("SatGamut", "Green 20%"),
    QT_TRANSLATE_NOOP("SatGamut", "Green 40%"),   QT_TRANSLATE_NOOP("SatGamut", "Green 60%"),
    QT_TRANSLATE_NOOP("SatGamut", "Green 80%"),   QT_TRANSLATE_NOOP("SatGamut", "Green 100%"),
    QT_TRANSLATE_NOOP("SatGamut", "Blue 20%"),    QT_TRANSLATE_NOOP("SatGamut", "Blue 40%"),
    QT_TRANSLATE_NOOP("SatGamut", "Blue 60%"),    QT_TRANSLATE_NOOP("SatGamut", "Blue 80%"),
    QT_TRANSLATE_NOOP("SatGamut", "Blue 100%"),   QT_TRANSLATE_NOOP("SatGamut", "Yellow 20%"),
    QT_TRANSLATE_NOOP("SatGamut", "Yellow 40%"),  QT_TRANSLATE_NOOP("SatGamut", "Yellow 60%"),
    QT_TRANSLATE_NOOP("SatGamut", "Yellow 80%"),  QT_TRANSLATE_NOOP("SatGamut", "Yellow 100%"),
    QT_TRANSLATE_NOOP("SatGamut", "Magenta 20%"), QT_TRANSLATE_NOOP("SatGamut", "Magenta 40%"),
    QT_TRANSLATE_NOOP("SatGamut", "Magenta 60%"), QT_TRANSLATE_NOOP("SatGamut", "Magenta 80%"),
    QT_TRANSLATE_NOOP("SatGamut", "Magenta 100%"), QT_TRANSLATE_NOOP("SatGamut", "Cyan 20%"),
    QT_TRANSLATE_NOOP("SatGamut", "Cyan 40%"),    QT_TRANSLATE_NOOP("SatGamut", "Cyan 60%"),
    QT_TRANSLATE_NOOP("SatGamut", "Cyan 80%"),    QT_TRANSLATE_NOOP("SatGamut", "Cyan 100%"),
};

const char* const kColorCheckerNames[] = {
    QT_TRANSLATE_NOOP("ChkGamut", "White"),         QT_TRANSLATE_NOOP("ChkGamut", "Dark Skin"),
    QT_TRANSLATE_NOOP("ChkGamut", "Light Skin"),    QT_TRANSLATE_NOOP("ChkGamut", "Blue Sky"),
    QT_TRANSLATE_NOOP("ChkGamut", "Foliage"),       QT_TRANSLATE_NOOP("ChkGamut", "Blue Flower"),
    QT_TRANSLATE_NOOP("ChkGamut", "Bluish Green"),  QT_TRANSLATE_NOOP("ChkGamut", "Orange"),
    QT_TRANSLATE_NOOP("ChkGamut", "Purplish Blue"), QT_TRANSLATE_NOOP("ChkGamut", "Moderate Red"),
    QT_TRANSLATE_NOOP("ChkGamut", "Purple"),        QT_TRANSLATE_NOOP("ChkGamut", "Yellow Green"),
    QT_TRANSLATE_NOOP("ChkGamut", "Orange Yellow"), QT_TRANSLATE_NOOP("ChkGamut", "Blue"),
    QT_TRANSLATE_NOOP("ChkGamut", "Green"),         QT_TRANSLATE_NOOP("ChkGamut", "Red"),
    QT_TRANSLATE_NOOP("ChkGamut", "Yellow"),        QT_TRANSLATE_NOOP("ChkGamut", "Magenta"),
    QT_TRANSLATE_NOOP("ChkGamut", "Cyan"),
};

const char* const kEbuNames[] = {
    QT_TRANSLATE_NOOP("ChkGamut", "White"),       QT_TRANSLATE_NOOP("ChkGamut", "DarkSkin"),
    QT_TRANSLATE_NOOP("ChkGamut", "LightSkin"),   QT_TRANSLATE_NOOP("ChkGamut", "GreyishRed"),
    QT_TRANSLATE_NOOP("ChkGamut", "YellowGreen"), QT_TRANSLATE_NOOP("ChkGamut", "BluishGreen"),
    QT_TRANSLATE_NOOP("ChkGamut", "Violet"),      QT_TRANSLATE_NOOP("ChkGamut", "Foliage"),
    QT_TRANSLATE_NOOP("ChkGamut", "MediumRed"),   QT_TRANSLATE_NOOP("ChkGamut", "MediumGreen"),
    QT_TRANSLATE_NOOP("ChkGamut", "MediumBlue"),  QT_TRANSLATE_NOOP("ChkGamut", "DarkRed"),
    QT_TRANSLATE_NOOP("ChkGamut", "DarkGreen"),   QT_TRANSLATE_NOOP("ChkGamut", "DarkBlue"),
    QT_TRANSLATE_NOOP("ChkGamut", "YellowRed"),   QT_TRANSLATE_NOOP("ChkGamut", "MediumPurple"),
};

template <size_t N>
QStringList translated(const char* context, const char* const (&names)[N])
{
    QStringList out;
    out.reserve(int(N));
    for (const char* name : names)
        out << QCoreApplication::translate(context, name);
    return out;
}

} // namespace

namespace patchnames {

QStringList saturation()
{
    return translated("SatGamut", kSaturationNames);
}

QStringList colorChecker()
{
    return translated("ChkGamut", kColorCheckerNames);
}

QStringList ebu()
{
    return translated("ChkGamut", kEbuNames);
}

QStringList forSet(patchset::Set set)
{
    return set == patchset::Ebu3237 ? ebu() : colorChecker();
}

} // namespace patchnames
