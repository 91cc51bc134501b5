#pragma once
// The radio-button and check-box markers of the program's dark dialogs. A dialog's style sheet
// gives every widget a dark background and white text; the toolkit then draws the markers in
// shades of that background, and they are all but invisible. These rules draw a light ring or box
// on a dark ground with a light dot or tick inside (dimmed while the control cannot be changed).
// They select only the markers, so they are appended to a dialog's own style sheet (or are its
// whole style sheet) without touching anything else.

#include <QString>

QString markerStyle();

// A dialog's whole style sheet: `declarations` for the dialog and every widget in it (a dark
// background, white text), then the markers.
QString withMarkerStyle(const char* declarations);
