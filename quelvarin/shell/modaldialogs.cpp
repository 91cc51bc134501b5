#include "shell/modaldialogs.h"

#include "appcore/application.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QWidget>

namespace {

shell::DialogRunner& runner()
{
    static shell::DialogRunner r;
    return r;
}

shell::ProfileChooser& chooser()
{
    static shell::ProfileChooser c;
    return c;
}

} // namespace

int shell::runModal(QDialog& dialog)
{
    if (runner())
        return runner()(dialog);
    return dialog.exec();
}

shell::DialogRunner shell::setDialogRunner(DialogRunner r)
{
    DialogRunner previous = std::move(runner());
    runner() = std::move(r);
    return previous;
}

QString shell::chooseProfileFile(ProfileDialog kind, const QString& caption)
{
    if (chooser())
        return chooser()(kind, caption);
    // A styled parent of its own, so the dark style reaches the dialog and nothing else.
    QWidget styled;
    styled.setStyleSheet(fileDialogStyle);
    const QString filter = QStringLiteral("Profiles (*.alg)");
    if (kind == ProfileDialog::Save)
        return QFileDialog::getSaveFileName(&styled, caption, QDir::currentPath(), filter, nullptr,
                                            QFileDialog::DontUseNativeDialog);
    return QFileDialog::getOpenFileName(&styled, caption, QDir::currentPath(), filter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

shell::ProfileChooser shell::setProfileChooser(ProfileChooser c)
{
    ProfileChooser previous = std::move(chooser());
    chooser() = std::move(c);
    return previous;
}
