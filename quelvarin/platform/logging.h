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

// A category function as Qt's Q_LOGGING_CATEGORY makes one, but inline: the category is made on
// first use, so it is safe from any static initialiser, and no source file has to define it.
#define QV_LOGGING_CATEGORY(function, name)                                                        \
    inline const QLoggingCategory& function()                                                      \
    {                                                                                              \
        static const QLoggingCategory category(name, QtWarningMsg);                                \
        return category;                                                                           \
    }

namespace platform {

QV_LOGGING_CATEGORY(programLog, "quelvarin")
QV_LOGGING_CATEGORY(platformLog, "quelvarin.platform")
QV_LOGGING_CATEGORY(sensorLog, "quelvarin.sensors")
// Hundreds of lines per reading: apart from the driver's other lines.
QV_LOGGING_CATEGORY(as5216Log, "quelvarin.sensors.as5216")
QV_LOGGING_CATEGORY(measureLog, "quelvarin.measure")
QV_LOGGING_CATEGORY(shellLog, "quelvarin.shell")

} // namespace platform
