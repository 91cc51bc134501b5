#pragma once
// The program's way of waiting: the calling thread keeps processing its events until the time has
// passed. Measured on a monotonic clock (a wait across midnight or a clock change lasts exactly
// as long), and the thread sleeps in its event dispatcher between events instead of spinning.

#include <functional>

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

} // namespace platform
