#pragma once
// The program's message box: no parent, above every other window, the program's logo, dark style.
// Its exec() goes through the message presenter, so tests answer it without a human.

#include <QMessageBox>
#include <QString>

class IMessageBox : public QMessageBox
{
    Q_OBJECT

public:
    // Window title, text and informative text. With no button added, exec() shows one OK button.
    IMessageBox(const QString& title, const QString& text, const QString& informativeText);

    // Runs the box modally through the presenter (GUI thread only).
    int exec() override;

    // Builds and runs a box from any thread: from the measurement thread the request is handed
    // to the GUI thread, and the caller waits for the answer. `buttons` NoButton means the single
    // OK button. Returns the StandardButton pressed.
    static QMessageBox::StandardButton ask(const QString& title, const QString& text,
                                           const QString& informativeText = QString(),
                                           QMessageBox::StandardButtons buttons = QMessageBox::NoButton,
                                           QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
};

// The look every box shares.
inline constexpr char kMessageBoxStyle[] = "background-color:#151515;color:#ffffff";
inline constexpr char kMessageBoxIcon[] = ":/icons/resource/logo.png";
