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

} // namespace platform
