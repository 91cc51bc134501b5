#pragma once
// Every modal message box of the program is run through presentMessageBox(). The real presenter
// runs the box's own event loop; tests install a presenter that records the box and answers it at
// once, so no test ever waits for a human. Boxes are widgets: the program (and any test that
// shows one) runs a QApplication, and boxes are built on its thread only.

#include <QMessageBox>

#include <functional>
#include <memory>

namespace platform {

// Takes a fully built box (title, texts, buttons) on the GUI thread and returns what
// QMessageBox::exec() returns: the StandardButton pressed, or an opaque value for a custom button
// (callers of custom buttons ask the box for clickedButton()).
using MessagePresenter = std::function<int(QMessageBox& box)>;

// Runs `box` modally through the current presenter. GUI thread only (widgets live there).
int presentMessageBox(QMessageBox& box);

// Builds a box with `build` on the GUI thread and presents it; callable from any thread. A call
// from another thread blocks until the box has been answered on the GUI thread. `build` must
// return a box (a null result presents nothing and gives QMessageBox::NoButton).
int presentMessage(const std::function<std::unique_ptr<QMessageBox>()>& build);

// Replaces the presenter and returns the previous one; an empty function restores the real,
// modal presenter. Meant for tests; set it before other threads can show boxes.
MessagePresenter setMessagePresenter(MessagePresenter presenter);

} // namespace platform
