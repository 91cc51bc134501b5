#pragma once
// Hand-over of work to the GUI thread. Widgets, the pattern outputs and the message boxes live on
// the GUI thread; code on the measurement thread reaches them through this call and waits for it.

#include <functional>

namespace platform {

// True on the thread of the application object (and when there is no application object yet).
bool isGuiThread();

// Runs `fn` on the GUI thread and returns when it has finished. On the GUI thread itself it runs
// at once; from another thread it is queued to the GUI thread's event loop, and the caller blocks
// until the GUI thread has run it. Without an application object it runs directly.
void runOnGuiThread(const std::function<void()>& fn);

// Queues `fn` to the GUI thread's event loop and returns at once, without waiting for it to run
// (a message from the measurement thread that the run need not wait for). On the GUI thread it is
// queued too, so it never runs inside the caller. Without an application object it runs directly.
void postToGuiThread(std::function<void()> fn);

} // namespace platform
