#pragma once
// The program's logging category, "quelvarin". Its debug lines (the pattern generator's exchange,
// optional files that are absent, values worth a look while developing) are off by default, so a
// user never reads them as failures; they are switched on with
//
//     QT_LOGGING_RULES="quelvarin.debug=true" scripts/run
//
// Warnings and errors are always shown (the category starts at QtWarningMsg). Header-only, so
// every library of the program, the colour library at the bottom included, logs through it
// without linking another.

#include <QLoggingCategory>

namespace platform {

inline const QLoggingCategory& programLog()
{
    static const QLoggingCategory category("quelvarin", QtWarningMsg);
    return category;
}

} // namespace platform
