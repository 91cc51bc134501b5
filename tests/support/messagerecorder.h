#pragma once
// Stands in for the user at every message box while it lives: each box is recorded and answered
// at once, so no test waits on a modal box.
//
//   MessageRecorder boxes;                       // answers the default button (else the first)
//   boxes.answerNext(QMessageBox::No);           // or queue the answers
//   ... code under test shows boxes ...
//   QCOMPARE(boxes.count(), 1);
//   QCOMPARE(boxes.last().text, QString("Open Sensor Error!"));

#include "platform/messagepresenter.h"

#include <QList>
#include <QMessageBox>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <QStringList>

class QThread;

struct RecordedMessage
{
    QString title;
    QString text;
    QString informativeText;
    QStringList buttons;            // button texts in the box's order ("OK" when none was added)
    QMessageBox::StandardButtons standardButtons;
    Qt::WindowFlags windowFlags;
    QString styleSheet;
    bool hasIconPixmap = false;
    QThread* thread = nullptr;      // thread that presented the box (always the GUI thread)
    QPoint position;                // where the box was moved before it was shown
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString answer;                 // text of the button pressed
};

class MessageRecorder
{
public:
    MessageRecorder();   // installs itself as the presenter
    ~MessageRecorder();  // restores the previous presenter

    // Queues answers, used in order; when the queue is empty the default button (else the first
    // button, else OK) is pressed.
    void answerNext(QMessageBox::StandardButton button);
    void answerNextWithText(const QString& buttonText);

    int count() const;
    QList<RecordedMessage> messages() const;
    RecordedMessage last() const; // an empty record when none was shown
    void clear();

private:
    int present(QMessageBox& box);

    mutable QMutex m_mutex;
    QList<RecordedMessage> m_messages;
    QList<QMessageBox::StandardButton> m_standardAnswers;
    QStringList m_textAnswers;
    platform::MessagePresenter m_previous;
};
