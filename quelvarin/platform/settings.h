#pragma once
// The program's one settings store: an INI file in the user's scope, organisation "Brantova",
// application "KW". Every component reaches its keys through these functions, so the engine, the
// dialogs and the drivers always read and write the same file.

#include <QSettings>
#include <QString>
#include <QVariant>

namespace platform {

// Organisation and application names that locate the INI file. The options dialog and the engine
// must agree on them, so they are written once, here.
inline constexpr char kSettingsOrganisation[] = "Brantova";
inline constexpr char kSettingsApplication[] = "KW";

// Opens the store. Returned by value (guaranteed elision), so callers write
//   QSettings s = platform::kwSettings(); s.beginGroup("measure"); ...
QSettings kwSettings();

// One read of `group/key`, with `defaultValue` when the key is missing.
QVariant readSetting(const QString& group, const QString& key, const QVariant& defaultValue = {});

// One write of `group/key`; the value is on disk when the call returns.
void writeSetting(const QString& group, const QString& key, const QVariant& value);

} // namespace platform
