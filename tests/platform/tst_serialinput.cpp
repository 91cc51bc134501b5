// The operator's input while the GUI thread waits for a serial instrument (clicks, keys, text of
// an input method, drops): refused, neither acted on during the wait nor afterwards; a window the
// operator closes meanwhile closes once the wait is over, or once the exchange the wait belongs to
// is over. Input after the wait works as ever.
// A message box (any modal window) that opens during the wait takes the operator's answer, and
// the wait ends once the box has been answered.
#include "platform/serialline.h"
#include "serialemulator.h"
#include "eventloopwait.h"
#include "testenv.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <QtTest>
#include <QtTest/qtestspontaneevent.h>

#include <functional>
#include <memory>

using platform::SerialLine;

namespace {

constexpr int kWaitMs = 600; // the silent instrument's read
constexpr int kInputAtMs = 100;

// A close as the window system delivers it when the operator closes a window.
void operatorCloses(QWidget* window)
{
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QCoreApplication::instance()->notify(window, &close); // sendEvent would make it the program's
}

// How the operator answers a box.
enum class Answer {
    EnterToTheBox,         // a key press delivered to the box's widgets
    EnterThroughItsWindow, // a key press as the window system delivers it: to the box's window
    ClickThroughItsWindow, // a click on its OK button, delivered to the box's window
};

// A widget that takes text and drops, and records every event it is given.
class EventRecorder : public QWidget
{
public:
    EventRecorder()
    {
        setAcceptDrops(true);
        setAttribute(Qt::WA_InputMethodEnabled);
        setFocusPolicy(Qt::StrongFocus);
    }
    QList<QEvent::Type> got;

protected:
    bool event(QEvent* e) override
    {
        got << e->type();
        if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove || e->type() == QEvent::Drop)
            e->accept();
        return QWidget::event(e);
    }
};

void deliverSpontaneously(QWidget* target, QEvent* event)
{
    QSpontaneKeyEvent::setSpontaneous(event);
    QCoreApplication::instance()->notify(target, event);
}

// Text typed through an input method, or one step of dragging text onto `target`.
void operatorSends(QWidget* target, QEvent::Type type)
{
    if (type == QEvent::InputMethod) {
        QInputMethodEvent text;
        text.setCommitString(QString::fromUtf8("\xe6\xb5\x8b\xe9\x87\x8f"));
        deliverSpontaneously(target, &text);
        return;
    }
    QMimeData data;
    data.setText("K-10");
    const QPoint at = target->rect().center();
    if (type == QEvent::DragEnter) {
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        deliverSpontaneously(target, &enter);
    } else if (type == QEvent::DragMove) {
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        deliverSpontaneously(target, &move);
    } else {
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        deliverSpontaneously(target, &drop);
    }
}

} // namespace

Q_DECLARE_METATYPE(Answer)

class TestSerialInput : public QObject
{
    Q_OBJECT

private slots:
    void inputDuringTheWaitIsRefused()
    {
        SerialEmulator emu; // answers nothing
        emu.bindTo(4);
        SerialLine line;
        line.setPortName("COM4");
        QVERIFY(line.open());

        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* button = new QPushButton("Start", &window);
        auto* edit = new QLineEdit(&window);
        layout->addWidget(button);
        layout->addWidget(edit);
        QWidget other; // closed by the operator during the wait
        QWidget own;   // closed by the program during the wait
        window.show();
        other.show();
        own.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        int clicks = 0;
        connect(button, &QPushButton::clicked, this, [&] { ++clicks; });

        bool inputSent = false;
        bool otherOpenDuringTheWait = false;
        bool ownClosedDuringTheWait = false;
        QTimer::singleShot(kInputAtMs, this, [&] {
            QTest::mouseClick(button, Qt::LeftButton);
            edit->setFocus();
            QTest::keyClicks(edit, "12");
            operatorCloses(&other);
            own.close();
            otherOpenDuringTheWait = other.isVisible();
            ownClosedDuringTheWait = !own.isVisible();
            inputSent = true;
        });
        const QByteArray got = line.read(8, kWaitMs);
        QVERIFY(got.isEmpty());
        QVERIFY(inputSent); // the wait handled its events: the timer fired during it

        QCOMPARE(clicks, 0);
        QCOMPARE(edit->text(), QString());
        QVERIFY(otherOpenDuringTheWait);
        QVERIFY(ownClosedDuringTheWait);
        QTRY_VERIFY_WITH_TIMEOUT(!other.isVisible(), 2000); // closed once the wait was over

        // Nothing held back turns up later; new input is taken.
        QTest::qWait(50);
        QCOMPARE(clicks, 0);
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClicks(edit, "7");
        QCOMPARE(clicks, 1);
        QCOMPARE(edit->text(), QString("7"));
    }

    void aBoxOpenedDuringTheWaitTakesTheOperatorsAnswer_data()
    {
        QTest::addColumn<bool>("dialog"); // a dialog of the program's own instead of a message box
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("readTimeoutMs");
        QTest::addColumn<bool>("pastTheBound"); // answered only after the wait's bound has passed

        // The instrument answers once the box has been answered: the wait must still be there.
        constexpr int kLongRead = 10000;
        QTest::newRow("message box, Enter to the box") << false << Answer::EnterToTheBox << kLongRead << false;
        QTest::newRow("message box, Enter through its window")
            << false << Answer::EnterThroughItsWindow << kLongRead << false;
        QTest::newRow("message box, click through its window")
            << false << Answer::ClickThroughItsWindow << kLongRead << false;
        QTest::newRow("dialog, Enter through its window") << true << Answer::EnterThroughItsWindow << kLongRead << false;
        // The box stays up longer than the wait may last: answered, the wait ends at once.
        QTest::newRow("message box answered after the wait's bound")
            << false << Answer::EnterThroughItsWindow << 200 << true;
    }

    // The pattern generator's "connected" box, for one, may open while a sensor connects.
    void aBoxOpenedDuringTheWaitTakesTheOperatorsAnswer()
    {
        QFETCH(bool, dialog);
        QFETCH(Answer, answer);
        QFETCH(int, readTimeoutMs);
        QFETCH(bool, pastTheBound);
        const int boundMs = readTimeoutMs + SerialLine::kQueueMarginMs;

        SerialEmulator emu; // answers only what the test sends
        emu.bindTo(4);
        SerialLine line;
        line.setPortName("COM4");
        QVERIFY(line.open());

        QWidget window; // there before the wait: refuses input all along
        auto* layout = new QVBoxLayout(&window);
        auto* button = new QPushButton("Start", &window);
        layout->addWidget(button);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        int clicks = 0;
        connect(button, &QPushButton::clicked, this, [&] { ++clicks; });

        bool waiting = false;
        bool boxOpenedDuringTheWait = false;
        bool answeredByTheOperator = false;
        int boxResult = -1;
        // Started by the answer: it would fire only if the wait went on for a whole bound more.
        bool sentinelFired = false;
        QTimer sentinel;
        sentinel.setSingleShot(true);
        sentinel.setTimerType(Qt::PreciseTimer);
        connect(&sentinel, &QTimer::timeout, this, [&] { sentinelFired = waiting; });

        QTimer::singleShot(kInputAtMs, this, [&] {
            boxOpenedDuringTheWait = waiting;
            std::unique_ptr<QDialog> box;
            QPushButton* ok = nullptr;
            if (dialog) {
                box = std::make_unique<QDialog>();
                auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box.get());
                (new QVBoxLayout(box.get()))->addWidget(buttons);
                ok = buttons->button(QDialogButtonBox::Ok);
                ok->setDefault(true);
                connect(buttons, &QDialogButtonBox::accepted, box.get(), &QDialog::accept);
            } else {
                auto message = std::make_unique<QMessageBox>(QMessageBox::Information, "Measure",
                                                             "Monitor Color Pattern Tcp connected.",
                                                             QMessageBox::Ok);
                ok = qobject_cast<QPushButton*>(message->button(QMessageBox::Ok));
                message->setDefaultButton(QMessageBox::Ok);
                box = std::move(message);
            }
            QDialog* const shown = box.get();
            // Answered from the box's own loop: once it is up, or after the wait's bound (a
            // timer started after the wait's own deadline expires after it).
            QTimer::singleShot(pastTheBound ? boundMs : 0, shown, [&, shown, ok] {
                QTest::mouseClick(button, Qt::LeftButton); // the window under the box
                switch (answer) {
                case Answer::EnterToTheBox:
                    QTest::keyClick(shown, Qt::Key_Enter);
                    break;
                case Answer::EnterThroughItsWindow:
                    QTest::keyClick(shown->windowHandle(), Qt::Key_Enter);
                    break;
                case Answer::ClickThroughItsWindow:
                    QTest::mouseClick(shown->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                                      ok->mapTo(shown, ok->rect().center()));
                    break;
                }
                // Both deliveries are synchronous: an answered box is down now.
                answeredByTheOperator = !shown->isVisible();
                if (!answeredByTheOperator)
                    shown->done(QDialog::Rejected); // the operator could not: end it for them
                emu.send("OK");
                sentinel.start(boundMs);
            });
            boxResult = shown->exec();
        });

        waiting = true;
        const QByteArray got = line.read(2, readTimeoutMs);
        waiting = false;

        QVERIFY(boxOpenedDuringTheWait);
        QVERIFY(answeredByTheOperator);
        QCOMPARE(boxResult, dialog ? int(QDialog::Accepted) : int(QMessageBox::Ok));
        QVERIFY(!sentinelFired);
        QCOMPARE(clicks, 0);
        // The instrument's reply to a wait still going on; past its bound the wait was over.
        QCOMPARE(got, pastTheBound ? QByteArray() : QByteArray("OK"));
    }

    // The sensor calibration dialog is modal and open when its reading waits for the line: it is
    // one of the windows that were there before the wait, and refuses input like the others.
    void aModalWindowOpenBeforeTheWaitStaysRefused()
    {
        SerialEmulator emu;
        emu.bindTo(4);
        SerialLine line;
        line.setPortName("COM4");
        QVERIFY(line.open());

        QDialog dialog;
        dialog.setWindowModality(Qt::ApplicationModal);
        auto* button = new QPushButton("Read", &dialog);
        (new QVBoxLayout(&dialog))->addWidget(button);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        int clicks = 0;
        connect(button, &QPushButton::clicked, this, [&] { ++clicks; });

        bool clickedDuringTheWait = false;
        QTimer::singleShot(0, this, [&] {
            QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                              button->mapTo(&dialog, button->rect().center()));
            clickedDuringTheWait = true;
            emu.send("K"); // ends the wait
        });
        QCOMPARE(line.read(1, 10000), QByteArray("K"));
        QVERIFY(clickedDuringTheWait);
        QCOMPARE(clicks, 0);

        // The same click after the wait is taken.
        QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          button->mapTo(&dialog, button->rect().center()));
        QCOMPARE(clicks, 1);
    }

    void textAndDropsDuringTheWaitAreRefused_data()
    {
        QTest::addColumn<int>("type");
        // Delivered before the wait: a drag moves and drops on the widget it entered.
        QTest::addColumn<QVector<int>>("leadIn");

        QTest::newRow("text of an input method") << int(QEvent::InputMethod) << QVector<int>{};
        QTest::newRow("a drag entering") << int(QEvent::DragEnter) << QVector<int>{};
        QTest::newRow("a drag moving") << int(QEvent::DragMove) << QVector<int>{QEvent::DragEnter};
        QTest::newRow("a drop") << int(QEvent::Drop) << QVector<int>{QEvent::DragEnter, QEvent::DragMove};
    }

    void textAndDropsDuringTheWaitAreRefused()
    {
        QFETCH(int, type);
        QFETCH(QVector<int>, leadIn);
        SerialEmulator emu;
        emu.bindTo(4);
        SerialLine line;
        line.setPortName("COM4");
        QVERIFY(line.open());

        EventRecorder window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setFocus();

        for (int before : leadIn)
            operatorSends(&window, QEvent::Type(before));
        window.got.clear();
        bool sentDuringTheWait = false;
        QTimer::singleShot(0, this, [&] {
            operatorSends(&window, QEvent::Type(type));
            sentDuringTheWait = true;
            emu.send("K"); // ends the wait
        });
        QCOMPARE(line.read(1, 10000), QByteArray("K"));
        QVERIFY(sentDuringTheWait);
        QVERIFY(!window.got.contains(QEvent::Type(type)));

        // The same after the wait reaches the window (the row delivers it for real).
        for (int before : leadIn)
            operatorSends(&window, QEvent::Type(before));
        operatorSends(&window, QEvent::Type(type));
        QVERIFY(window.got.contains(QEvent::Type(type)));
        QDragLeaveEvent leave; // no drag left behind for the next row
        deliverSpontaneously(&window, &leave);
    }

    // A driver's exchange is several line calls under its lock; a window the operator closed
    // during one of them closes once the exchange is over, not in the middle of it.
    void aCloseDuringAnExchangeWaitsForItsEnd()
    {
        SerialEmulator emu;
        emu.bindTo(4);
        SerialLine line;
        line.setPortName("COM4");
        QVERIFY(line.open());

        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));

        // Each reply is sent by a call queued to the GUI thread, so each wait must handle that
        // thread's events, in order, before its call can end.
        const auto replyFromTheGuiThread = [&](const QByteArray& reply, std::function<void()> before) {
            QMetaObject::invokeMethod(
                this,
                [&emu, reply, before] {
                    before();
                    emu.send(reply);
                },
                Qt::QueuedConnection);
        };
        bool closedDuringTheFirstCall = false;
        bool openBetweenTheCalls = false;
        bool openAfterTheSecondCall = false;
        {
            platform::SerialExchange exchange(line);
            replyFromTheGuiThread("AB", [&] {
                operatorCloses(&other);
                closedDuringTheFirstCall = true;
            });
            QCOMPARE(line.read(2, 10000), QByteArray("AB"));
            openBetweenTheCalls = other.isVisible();
            replyFromTheGuiThread("CD", [] {});
            QCOMPARE(line.read(2, 10000), QByteArray("CD"));
            openAfterTheSecondCall = other.isVisible();
        }
        QVERIFY(closedDuringTheFirstCall);
        QVERIFY(openBetweenTheCalls);
        QVERIFY(openAfterTheSecondCall);
        QVERIFY(testenv::waitUntil([&] { return !other.isVisible(); }, 10000));
    }
};

QV_TEST_MAIN_WIDGETS(TestSerialInput)
#include "tst_serialinput.moc"
