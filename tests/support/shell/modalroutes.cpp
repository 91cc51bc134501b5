// The shell's modal routes in the tests' environment (testenv.h): a dialog run through
// shell::runModal and the file choosers of the profiles and of the data export fail the running
// test at once, naming the dialog, unless a test answers them. Linked, as an object library,
// into every test of the shell, so the routes register whether or not a test names anything here.
#include "testenv.h"

#include "shell/dataexport.h"
#include "shell/modaldialogs.h"

#include <QDialog>

#include <memory>

namespace {

int failUnansweredDialog(QDialog& dialog)
{
    testenv::failUnansweredWindow(QStringLiteral("dialog %1 \"%2\"")
                                      .arg(QString::fromLatin1(dialog.metaObject()->className()),
                                           dialog.windowTitle()));
    dialog.reject();
    return QDialog::Rejected;
}

QString failUnansweredProfileChooser(shell::ProfileDialog kind, const QString& caption)
{
    testenv::failUnansweredWindow(QStringLiteral("profile %1 dialog \"%2\"")
                                      .arg(kind == shell::ProfileDialog::Save ? "save" : "open", caption));
    return QString(); // cancelled
}

QString failUnansweredFileChooser(dataexport::DialogKind kind, const QString& caption, const QString&)
{
    testenv::failUnansweredWindow(QStringLiteral("file %1 dialog \"%2\"")
                                      .arg(kind == dataexport::DialogKind::Save ? "save" : "open", caption));
    return QString(); // cancelled
}

// A route whose setter answers the hook it replaced.
template <typename Hook, typename Set>
testenv::ModalRoute route(Set set, Hook failing)
{
    return {[set, failing] { set(failing); },
            [set] {
                auto previous = std::make_shared<Hook>(set(Hook()));
                return std::function<void()>([set, previous] { set(std::move(*previous)); });
            }};
}

[[maybe_unused]] const bool registered =
    testenv::addModalRoute(route<shell::DialogRunner>(&shell::setDialogRunner, &failUnansweredDialog))
    && testenv::addModalRoute(
        route<shell::ProfileChooser>(&shell::setProfileChooser, &failUnansweredProfileChooser))
    && testenv::addModalRoute(
        route<dataexport::FileChooser>(&dataexport::setFileChooser, &failUnansweredFileChooser));

} // namespace
