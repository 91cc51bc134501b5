#pragma once
// What the main window's units share beside the class itself: the faces of the start and stop
// buttons, which the window builds and the run commands switch, and the texts of the box that
// refuses a command while a run is under way. Private to the shell.

#include <QtGlobal>

namespace mainwindow {

// Pictures of the run buttons (compiled-in resources).
inline constexpr char kStartSel[] = ":/menu/resource/button_start_sel.png";
inline constexpr char kStartNot[] = ":/menu/resource/button_start_not.png";
inline constexpr char kStopNot[] = ":/menu/resource/button_stop_not.png";

// The busy box's informative text starts with 19 blanks; the simulator and parameter boxes end
// their text with 19 blanks, the error box with 9 (they widen the box).
inline constexpr char kBusyText[] = QT_TRANSLATE_NOOP("MainWindow", "Measurement is in processing.");
inline constexpr char kSensorBusyText[] = QT_TRANSLATE_NOOP("MainWindow", "Sensor operation is in processing.");
inline constexpr char kTryLater[] = QT_TRANSLATE_NOOP("MainWindow", "                   Try Later.");

} // namespace mainwindow
