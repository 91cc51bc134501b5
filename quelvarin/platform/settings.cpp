#include "platform/settings.h"

namespace platform {

QSettings kwSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, kSettingsOrganisation,
                     kSettingsApplication);
}

QVariant readSetting(const QString& group, const QString& key, const QVariant& defaultValue)
{
    QSettings store = kwSettings();
    store.beginGroup(group);
    const QVariant value = store.value(key, defaultValue);
    store.endGroup();
    return value;
}

void writeSetting(const QString& group, const QString& key, const QVariant& value)
{
    QSettings store = kwSettings();
    store.beginGroup(group);
    store.setValue(key, value);
    store.endGroup();
    store.sync();
}

} // namespace platform
