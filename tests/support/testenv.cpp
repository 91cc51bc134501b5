#include "testenv.h"

#include <QDir>
#include <QSettings>

namespace testenv {

const char kDebugLineRules[] = "quelvarin*.debug=true\n"
                               "quelvarin.calibrate.debug=false\n"
                               "quelvarin.sensors.as5216.debug=false\n"
                               "quelvarin.free.spectrum.debug=false";

SettingsSandbox::SettingsSandbox()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, m_dir.path() + "/system");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir.path() + "/system");
}

SettingsSandbox::~SettingsSandbox() = default;

void clearSettings()
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "Brantova", "KW");
    s.clear();
    s.sync();
}

QString artifactDir()
{
    QString dir = qEnvironmentVariable("QV_TEST_ARTIFACTS");
    if (dir.isEmpty())
        dir = QDir::temp().filePath("quelvarin-artifacts");
    QDir().mkpath(dir);
    return dir;
}

} // namespace testenv
