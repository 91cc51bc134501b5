#include "appcore/imessagebox.h"

#include "platform/messagepresenter.h"
#include "resources/resources.h"

#include <QPixmap>

IMessageBox::IMessageBox(const QString& title, const QString& text, const QString& informativeText)
    : QMessageBox(nullptr)
{
    initPictureResources();
    setWindowTitle(title);
    setText(text);
    setInformativeText(informativeText);
    setWindowFlags(Qt::WindowStaysOnTopHint);
    setIconPixmap(QPixmap(QString::fromLatin1(kMessageBoxIcon)));
    setStyleSheet(QString::fromLatin1(kMessageBoxStyle));
}

int IMessageBox::exec()
{
    return platform::presentMessageBox(*this);
}

QMessageBox::StandardButton IMessageBox::ask(const QString& title, const QString& text,
                                             const QString& informativeText,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    const int result = platform::presentMessage([&]() -> std::unique_ptr<QMessageBox> {
        auto box = std::make_unique<IMessageBox>(title, text, informativeText);
        if (buttons != QMessageBox::NoButton)
            box->setStandardButtons(buttons);
        if (defaultButton != QMessageBox::NoButton)
            box->setDefaultButton(defaultButton);
        return box;
    });
    return static_cast<QMessageBox::StandardButton>(result);
}
