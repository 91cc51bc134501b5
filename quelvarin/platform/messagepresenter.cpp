#include "platform/messagepresenter.h"

#include "platform/guithread.h"
#include "platform/logging.h"

#include <QDebug>
#include <QMutex>
#include <QMutexLocker>

namespace platform {
namespace {

QMutex presenterMutex;

MessagePresenter& installedPresenter()
{
    static MessagePresenter presenter;
    return presenter;
}

int runModally(QMessageBox& box)
{
    // Call the base class's exec() explicitly: derived boxes route their exec() back here.
    return box.QMessageBox::exec();
}

} // namespace

int presentMessageBox(QMessageBox& box)
{
    if (!isGuiThread()) {
        qCWarning(platformLog) << "message box" << box.windowTitle() << "presented outside the GUI thread";
    }
    MessagePresenter presenter;
    {
        QMutexLocker lock(&presenterMutex);
        presenter = installedPresenter();
    }
    return presenter ? presenter(box) : runModally(box);
}

int presentMessage(const std::function<std::unique_ptr<QMessageBox>()>& build)
{
    int result = QMessageBox::NoButton;
    runOnGuiThread([&] {
        std::unique_ptr<QMessageBox> box = build();
        if (box)
            result = presentMessageBox(*box);
    });
    return result;
}

MessagePresenter setMessagePresenter(MessagePresenter presenter)
{
    QMutexLocker lock(&presenterMutex);
    MessagePresenter previous = std::move(installedPresenter());
    installedPresenter() = std::move(presenter);
    return previous;
}

} // namespace platform
