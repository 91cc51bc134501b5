#include "messagerecorder.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QMutexLocker>
#include <QPixmap>
#include <QThread>

MessageRecorder::MessageRecorder()
{
    m_previous = platform::setMessagePresenter([this](QMessageBox& box) { return present(box); });
}

MessageRecorder::~MessageRecorder()
{
    platform::setMessagePresenter(std::move(m_previous));
}

void MessageRecorder::answerNext(QMessageBox::StandardButton button)
{
    QMutexLocker lock(&m_mutex);
    m_standardAnswers.append(button);
    m_textAnswers.append(QString());
}

void MessageRecorder::answerNextWithText(const QString& buttonText)
{
    QMutexLocker lock(&m_mutex);
    m_standardAnswers.append(QMessageBox::NoButton);
    m_textAnswers.append(buttonText);
}

int MessageRecorder::count() const
{
    QMutexLocker lock(&m_mutex);
    return m_messages.size();
}

QList<RecordedMessage> MessageRecorder::messages() const
{
    QMutexLocker lock(&m_mutex);
    return m_messages;
}

RecordedMessage MessageRecorder::last() const
{
    QMutexLocker lock(&m_mutex);
    return m_messages.isEmpty() ? RecordedMessage() : m_messages.last();
}

void MessageRecorder::clear()
{
    QMutexLocker lock(&m_mutex);
    m_messages.clear();
}

int MessageRecorder::present(QMessageBox& box)
{
    RecordedMessage record;
    record.title = box.windowTitle();
    record.text = box.text();
    record.informativeText = box.informativeText();
    record.standardButtons = box.standardButtons();
    record.windowFlags = box.windowFlags();
    record.styleSheet = box.styleSheet();
    record.hasIconPixmap = !box.iconPixmap().isNull();
    record.thread = QThread::currentThread();
    record.position = box.pos();
    record.icon = box.icon();
    const QList<QAbstractButton*> buttons = box.buttons();
    for (QAbstractButton* button : buttons)
        record.buttons.append(button->text());

    QMessageBox::StandardButton wanted = QMessageBox::NoButton;
    QString wantedText;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_standardAnswers.isEmpty()) {
            wanted = m_standardAnswers.takeFirst();
            wantedText = m_textAnswers.takeFirst();
        }
    }

    int result = QMessageBox::Ok;
    if (buttons.isEmpty()) {
        // A box with no buttons added shows a single OK button.
        record.buttons.append(QStringLiteral("OK"));
        record.answer = QStringLiteral("OK");
    } else {
        QAbstractButton* press = nullptr;
        if (wanted != QMessageBox::NoButton)
            press = box.button(wanted);
        for (QAbstractButton* button : buttons) {
            if (!press && !wantedText.isEmpty() && button->text() == wantedText)
                press = button;
        }
        if (!press)
            press = box.defaultButton() ? static_cast<QAbstractButton*>(box.defaultButton()) : buttons.first();
        record.answer = press->text();
        press->click(); // sets the box's clickedButton() and its result, as a real click would
        const QMessageBox::StandardButton standard = box.standardButton(press);
        result = standard != QMessageBox::NoButton ? int(standard) : box.result();
    }
    QMutexLocker lock(&m_mutex);
    m_messages.append(record);
    return result;
}
