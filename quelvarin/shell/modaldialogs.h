#pragma once
// The main window's modal dialogs and profile file choosers run through these functions. The real
// ones run the dialog's own event loop; tests install runners that answer at once (they may set
// the dialog's controls and accept or reject it), so no test waits for a human.

#include <QString>

#include <functional>

class QDialog;

namespace shell {

// Runs `dialog` modally and returns its result (QDialog::Accepted or Rejected). GUI thread.
int runModal(QDialog& dialog);

// Replaces the runner and returns the previous one; an empty function restores exec().
using DialogRunner = std::function<int(QDialog& dialog)>;
DialogRunner setDialogRunner(DialogRunner runner);

enum class ProfileDialog { Open, Save };

// Asks for a sensor profile (filter "Profiles (*.alg)", the working directory first, never the
// native dialog, drawn in the file dialogs' dark style). An empty string when cancelled.
QString chooseProfileFile(ProfileDialog kind, const QString& caption);

using ProfileChooser = std::function<QString(ProfileDialog kind, const QString& caption)>;
ProfileChooser setProfileChooser(ProfileChooser chooser);

} // namespace shell
