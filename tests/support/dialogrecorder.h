#pragma once
// Stands in for the user at every modal dialog of the main window while it lives (header only;
// the test links qv_shell). Each dialog is recorded by its class name and answered at once: by
// the next queued answer (which may set the dialog's controls, then accepts or rejects it and
// returns the result), else by rejecting it.
//
//   DialogRecorder dialogs;
//   dialogs.answerNext([](QDialog& d) { qobject_cast<InitDialog*>(&d)->accept(); return 1; });
//   ... code under test runs dialogs ...
//   QCOMPARE(dialogs.shown(), QStringList{"InitDialog"});

#include "shell/initdialog.h"
#include "shell/modaldialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QList>
#include <QStringList>

#include <functional>

class DialogRecorder
{
public:
    using Answer = std::function<int(QDialog& dialog)>;

    DialogRecorder()
    {
        m_previous = shell::setDialogRunner([this](QDialog& d) {
            m_shown << QString::fromLatin1(d.metaObject()->className());
            if (!m_answers.isEmpty())
                return m_answers.takeFirst()(d);
            d.reject();
            return int(QDialog::Rejected);
        });
    }
    ~DialogRecorder() { shell::setDialogRunner(m_previous); }
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;

    void answerNext(Answer answer) { m_answers << std::move(answer); }
    // The answer of an operator who chooses the instrument `type` (a SensorModel index) in the
    // sensor selection dialog and presses OK; any other dialog is rejected.
    static Answer choosingSensor(int type)
    {
        return [type](QDialog& d) {
            auto* init = qobject_cast<InitDialog*>(&d);
            if (!init)
                return int(QDialog::Rejected);
            init->sensorCombo->setCurrentIndex(type);
            init->accept();
            return init->result();
        };
    }
    QStringList shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

private:
    shell::DialogRunner m_previous;
    QList<Answer> m_answers;
    QStringList m_shown;
};
