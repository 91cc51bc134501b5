#pragma once
// The program's logging categories. Every line the program logs goes through one of them, never
// through the plain qDebug()/qInfo() of Qt's default category, which always print.
//
//   quelvarin                general lines (colour, pattern generator exchange, pages, windows)
//   quelvarin.platform       serial line, libraries bound at run time, automation objects
//   quelvarin.sensors        instrument drivers (commands, replies, readings)
//   quelvarin.sensors.as5216 the AS5216 spectrometer's dumps of every scan and its integration
//   quelvarin.measure        engine, sequences, profiles and data files
//   quelvarin.calibrate      monitor calibration: nodes, searches and LUT entries
//   quelvarin.shell          main window, keys, dialogs and exports
//   quelvarin.free.spectrum  the free measurement page's spectrum values
//
// Debug lines are off by default, so a user never reads them as failures; one rule switches all
// of them on for a run:
//
//     QT_LOGGING_RULES="quelvarin*.debug=true" scripts/run
//
// and a narrower one a single subsystem ("quelvarin.sensors.debug=true"). Warnings and errors are
// always shown (every category starts at QtWarningMsg). Header-only, so every library of the
// program, the colour library at the bottom included, logs through it without linking another.

#include <QLoggingCategory>

namespace platform {

inline const QLoggingCategory& programLog()
{
    static const QLoggingCategory category("quelvarin", QtWarningMsg);
    return category;
}

inline const QLoggingCategory& platformLog()
{
    static const QLoggingCategory category("quelvarin.platform", QtWarningMsg);
    return category;
}

inline const QLoggingCategory& sensorLog()
{
    static const QLoggingCategory category("quelvarin.sensors", QtWarningMsg);
    return category;
}

// Hundreds of lines per reading: apart from the driver's other lines.
inline const QLoggingCategory& as5216Log()
{
    static const QLoggingCategory category("quelvarin.sensors.as5216", QtWarningMsg);
    return category;
}

inline const QLoggingCategory& measureLog()
{
    static const QLoggingCategory category("quelvarin.measure", QtWarningMsg);
    return category;
}

inline const QLoggingCategory& shellLog()
{
    static const QLoggingCategory category("quelvarin.shell", QtWarningMsg);
    return category;
}

} // namespace platform
