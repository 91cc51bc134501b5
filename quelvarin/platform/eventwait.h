#pragma once
// The program's ways of waiting.
//
// delay() (waitProcessingEvents): the calling thread keeps processing its events until the time
// has passed. Measured on a monotonic clock (a wait across midnight or a clock change lasts
// exactly as long), and the thread sleeps in its event dispatcher between events instead of
// spinning.
//
// waitRefusingInput(): the GUI thread's wait for work another thread carries out (a call on a
// serial line). The windows go on repainting, timers, sockets and queued calls run, but the
// operator's input to the windows that were open when the wait began is refused, not kept: a
// click or a key must neither start a command in the middle of another (a connect, a reading of
// the sensor calibration) nor be acted on seconds later, when the wait is over. A modal window
// that opens during the wait (a message box raised by a timer or a socket) takes the operator's
// input: nothing else could ever answer it, and the wait, whose loop lies under the box's, cannot
// end before the box does. A window the operator closes meanwhile closes once the GUI thread is
// neither waiting nor inside an exchange (GuiThreadBusy), as a close during a run does.

#include <functional>

class QObject;

namespace platform {

// Returns after `ms` milliseconds of monotonic time, processing the calling thread's events
// meanwhile (slots of the caller may run re-entrantly). `ms` <= 0 returns at once without
// processing anything.
void waitProcessingEvents(int ms);

// The wait the program calls (Application::delay): waitProcessingEvents, unless a test has
// installed a hook, e.g. a virtual clock that counts the requested time instead of living it.
void delay(int ms);

// Replaces the hook used by delay() and returns the previous one; an empty hook restores the real
// wait. Meant for tests; install it before other threads start waiting.
using WaitHook = std::function<void(int ms)>;
WaitHook setWaitHook(WaitHook hook);

// GUI thread only. Handles the thread's events, refusing the operator's input as the header
// comment says, until `finished()` holds (true) or `boundMs` have passed (false). `finished` is
// asked on this thread before each round of events; the thread that finishes the work calls
// wakeGuiWaits() so that the wait asks again at once. Waits nest (a slot run by one may wait
// again); each ends at its own bound once the loops above it have returned. The bound holds also
// once the application has been told to quit (QCoreApplication::exit()), when no event loop runs.
bool waitRefusingInput(const std::function<bool()>& finished, int boundMs);

// Any thread: has every wait of waitRefusingInput() under way ask its condition again.
void wakeGuiWaits();

// While one lives on the GUI thread, an operation of several steps is under way there (a
// driver's exchange of a command and its reply, made of several line calls): the closes the
// operator asked for during its waits are held until the outermost one ends. On other threads it
// does nothing.
class GuiThreadBusy
{
public:
    GuiThreadBusy();
    ~GuiThreadBusy();
    GuiThreadBusy(const GuiThreadBusy&) = delete;
    GuiThreadBusy& operator=(const GuiThreadBusy&) = delete;

private:
    bool m_counted = false;
};

} // namespace platform
