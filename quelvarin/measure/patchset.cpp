#include "measure/patchset.h"

#include "platform/settings.h"

namespace patchset {

Set fromSetting(int colorType)
{
    return colorType == Ebu3237 ? Ebu3237 : ColorChecker;
}

Set chosen()
{
    return fromSetting(
        platform::readSetting(QStringLiteral("measure"), QStringLiteral("colortype"), 0).toInt());
}

} // namespace patchset
