#pragma once
// The main window's data commands: the file dialogs of the data export and import, and the
// About box's contact text. The real chooser runs a non-native dialog with the program's
// file-dialog style; tests install one that answers at once.

#include <QString>

#include <functional>

namespace dataexport {

enum class DialogKind { Save, Open };

// Returns the chosen file name, or an empty string when the dialog was cancelled.
using FileChooser =
    std::function<QString(DialogKind kind, const QString& caption, const QString& startDir)>;

// Runs the current chooser (GUI thread).
QString chooseFile(DialogKind kind, const QString& caption, const QString& startDir);

// Replaces the chooser and returns the previous one; an empty function restores the dialog.
FileChooser setFileChooser(FileChooser chooser);

// The About box's contact text: "Website:" and "Email:", each over its address as a link that
// shows the address ("mailto:" for the e-mail), indented by four non-breaking blanks. A line
// whose address is empty is left out; with neither address the text is empty.
QString aboutContactText(const QString& website, const QString& mail);

} // namespace dataexport
