#include "platform/eventwait.h"

#include "platform/guithread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QList>
#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace platform {
namespace {

QMutex hookMutex;

WaitHook& installedHook()
{
    static WaitHook hook;
    return hook;
}

// Upper bound of one slice of the fallback loop used when the event loop cannot run (the
// application is quitting): short enough to stay responsive, long enough not to burn a core.
constexpr int kFallbackSliceMs = 5;

// The top-level window an event for `target` goes to: a widget's window, or the outermost of a
// window's parents; null for anything else (an action, the application).
QObject* windowOf(QObject* target)
{
    if (!target)
        return nullptr;
    if (target->isWidgetType())
        return static_cast<QWidget*>(target)->window();
    if (target->isWindowType()) {
        auto* window = static_cast<QWindow*>(target);
        while (window->parent())
            window = window->parent();
        return window;
    }
    return nullptr;
}

bool isModal(QObject* window)
{
    if (window->isWidgetType())
        return static_cast<QWidget*>(window)->isModal();
    return static_cast<QWindow*>(window)->modality() != Qt::NonModal;
}

// The operator's input: refused while the GUI thread waits, unless it goes to a window that may
// take it.
bool isOperatorInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    // Text typed through an input method (how Chinese is typed) and dropped data are input too.
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// What the GUI thread's waits share. Touched on the GUI thread only.
struct GuiWaits
{
    // One per wait under way, innermost last: the windows the program showed since it began.
    QList<QList<QPointer<QObject>>> shownSince;
    QList<QEventLoop*> loops; // the loops of the waits under way
    QObject* refusal = nullptr; // the application filter, installed while a wait is under way
    QList<QPointer<QWidget>> closeAfterwards;
    int busy = 0; // GuiThreadBusy scopes alive
    bool releasePosted = false;
};

GuiWaits& guiWaits()
{
    static GuiWaits waits;
    return waits;
}

// Whether the innermost wait lets input for `target` through: it goes to a window shown during
// that wait which is modal, or which came with such a window (a menu of a message box).
bool takesInput(QObject* target)
{
    const GuiWaits& w = guiWaits();
    QObject* window = windowOf(target);
    if (!window || w.shownSince.isEmpty())
        return false;
    const QList<QPointer<QObject>>& shown = w.shownSince.last();
    if (!shown.contains(window))
        return false;
    if (isModal(window))
        return true;
    QWindow* modal = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::modalWindow() : nullptr;
    return modal && shown.contains(windowOf(modal));
}

void releaseDeferredCloses()
{
    GuiWaits& w = guiWaits();
    if (w.closeAfterwards.isEmpty() || !w.shownSince.isEmpty() || w.busy > 0 || w.releasePosted)
        return;
    // From the event loop rather than from inside the caller, whose objects a close may tear down.
    w.releasePosted = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            GuiWaits& w = guiWaits();
            w.releasePosted = false;
            if (!w.shownSince.isEmpty() || w.busy > 0)
                return; // the end of that wait or operation releases them
            const QList<QPointer<QWidget>> closes = std::exchange(w.closeAfterwards, {});
            for (const QPointer<QWidget>& window : closes)
                if (window)
                    window->close();
        },
        Qt::QueuedConnection);
}

// Installed on the application while a wait is under way. Application filters see only the GUI
// thread's objects, which is where the input goes: first to a window, then to its widgets.
class InputRefusal : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        GuiWaits& w = guiWaits();
        const QEvent::Type type = event->type();
        if (type == QEvent::Show) {
            // Shown by the program (the window system's shows are restored windows).
            QObject* window = windowOf(watched);
            if (!event->spontaneous() && window == watched)
                for (QList<QPointer<QObject>>& shown : w.shownSince)
                    if (!shown.contains(window))
                        shown.append(window);
            return false;
        }
        if (isOperatorInput(type)) {
            if (takesInput(watched))
                return false;
            if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop)
                event->ignore(); // no one takes a refused drag
            return true;
        }
        if (type == QEvent::Close) {
            // Only the operator's close (from the window system) waits; the program's own go on.
            if (!event->spontaneous() || !watched->isWidgetType() || takesInput(watched))
                return false;
            event->ignore();
            auto* widget = static_cast<QWidget*>(watched);
            if (!w.closeAfterwards.contains(widget))
                w.closeAfterwards.append(widget);
            return true;
        }
        return false;
    }
};

// Runs `loop` until it is quit or `ms` have passed; what its exec returned (not 0: the loop
// refused to run, as it does once the application is quitting).
int execFor(QEventLoop& loop, qint64 ms)
{
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer); // a coarse timer may fire early
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(int(ms));
    return loop.exec(QEventLoop::AllEvents);
}

// One wait of waitRefusingInput, from begin to end.
class RefusingFrame
{
public:
    RefusingFrame()
    {
        GuiWaits& w = guiWaits();
        if (w.shownSince.isEmpty()) {
            w.refusal = new InputRefusal;
            QCoreApplication::instance()->installEventFilter(w.refusal);
        }
        w.shownSince.append(QList<QPointer<QObject>>());
    }
    ~RefusingFrame()
    {
        GuiWaits& w = guiWaits();
        w.shownSince.removeLast();
        if (w.shownSince.isEmpty()) {
            QCoreApplication::instance()->removeEventFilter(w.refusal);
            delete std::exchange(w.refusal, nullptr);
            releaseDeferredCloses();
        }
    }
    RefusingFrame(const RefusingFrame&) = delete;
    RefusingFrame& operator=(const RefusingFrame&) = delete;
};

} // namespace

void waitProcessingEvents(int ms)
{
    if (ms <= 0)
        return;
    QElapsedTimer clock; // monotonic
    clock.start();
    for (;;) {
        const qint64 remaining = ms - clock.elapsed();
        if (remaining <= 0)
            return;
        QEventLoop loop;
        if (execFor(loop, remaining) != 0) {
            // The loop refused to run (QCoreApplication::exit() was called): keep handling
            // what arrives, in short slices, until the time is up.
            QCoreApplication::processEvents(QEventLoop::AllEvents, kFallbackSliceMs);
            QThread::msleep(qMin<qint64>(kFallbackSliceMs, qMax<qint64>(0, ms - clock.elapsed())));
        }
    }
}

void delay(int ms)
{
    WaitHook hook;
    {
        QMutexLocker lock(&hookMutex);
        hook = installedHook();
    }
    if (hook)
        hook(ms);
    else
        waitProcessingEvents(ms);
}

bool waitRefusingInput(const std::function<bool()>& finished, int boundMs)
{
    Q_ASSERT(isGuiThread() && QCoreApplication::instance());
    const QDeadlineTimer deadline(qMax(0, boundMs), Qt::PreciseTimer);
    const RefusingFrame frame;
    QList<QEventLoop*>& loops = guiWaits().loops;
    for (;;) {
        if (finished())
            return true;
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return false;
        QEventLoop loop;
        loops.append(&loop);
        const int refused = execFor(loop, remaining);
        loops.removeOne(&loop);
        if (refused != 0) {
            // The application is quitting and no event loop runs any more: handle events as they
            // come until done or the bound has passed. The bound's timer went with the loop that
            // did not run; without one of its own here, the wait would last until the next event
            // of any kind came, late or never.
            if (finished())
                return true;
            QTimer bound;
            bound.setSingleShot(true);
            bound.setTimerType(Qt::PreciseTimer);
            bound.start(int(qMax<qint64>(0, deadline.remainingTime())));
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
    }
}

void wakeGuiWaits()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [] {
            for (QEventLoop* loop : guiWaits().loops)
                loop->quit();
        },
        Qt::QueuedConnection);
}

GuiThreadBusy::GuiThreadBusy()
    : m_counted(QCoreApplication::instance() && isGuiThread())
{
    if (m_counted)
        ++guiWaits().busy;
}

GuiThreadBusy::~GuiThreadBusy()
{
    if (!m_counted)
        return;
    --guiWaits().busy;
    releaseDeferredCloses();
}

WaitHook setWaitHook(WaitHook hook)
{
    QMutexLocker lock(&hookMutex);
    WaitHook previous = std::move(installedHook());
    installedHook() = std::move(hook);
    return previous;
}

} // namespace platform
