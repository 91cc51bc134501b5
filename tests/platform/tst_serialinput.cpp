// The operator's input while the GUI thread waits for a serial instrument: refused, neither acted
// on during the wait nor afterwards; a window the operator closes meanwhile closes once the wait
// is over. Input after the wait works as ever.
#include "platform/serialline.h"
#include "serialemulator.h"
#include "testenv.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>
#include <QtTest/qtestspontaneevent.h>

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

} // namespace

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
};

QV_TEST_MAIN_WIDGETS(TestSerialInput)
#include "tst_serialinput.moc"
