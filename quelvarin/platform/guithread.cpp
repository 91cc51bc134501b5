#include "platform/guithread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace platform {

bool isGuiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

void runOnGuiThread(const std::function<void()>& fn)
{
    if (isGuiThread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), fn, Qt::BlockingQueuedConnection);
}

} // namespace platform
