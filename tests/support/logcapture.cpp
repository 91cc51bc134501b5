#include "logcapture.h"

#include <QMutexLocker>

namespace {

// Guards the active capture against a message arriving from another thread while a capture
// is being made or destroyed.
QBasicMutex g_activeMutex;
LogCapture* g_active = nullptr;

} // namespace

LogCapture::LogCapture(bool quiet) : m_quiet(quiet)
{
    QMutexLocker lock(&g_activeMutex);
    m_outer = g_active;
    g_active = this;
    const QtMessageHandler installed = qInstallMessageHandler(&LogCapture::handler);
    // A nested capture passes messages on to the handler from before the outermost one, never
    // to the capture handler itself.
    m_previous = m_outer ? m_outer->m_previous : installed;
}

LogCapture::~LogCapture()
{
    QMutexLocker lock(&g_activeMutex);
    g_active = m_outer;
    if (!m_outer)
        qInstallMessageHandler(m_previous);
}

QStringList LogCapture::messages() const
{
    QMutexLocker lock(&m_mutex);
    QStringList out;
    for (const auto& e : m_entries)
        out << e.second;
    return out;
}

QStringList LogCapture::messages(QtMsgType type) const
{
    QMutexLocker lock(&m_mutex);
    QStringList out;
    for (const auto& e : m_entries)
        if (e.first == type)
            out << e.second;
    return out;
}

void LogCapture::clear()
{
    QMutexLocker lock(&m_mutex);
    m_entries.clear();
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    QtMessageHandler forward = nullptr;
    {
        QMutexLocker activeLock(&g_activeMutex);
        LogCapture* self = g_active;
        if (!self)
            return;
        {
            QMutexLocker lock(&self->m_mutex);
            self->m_entries.append({type, msg});
        }
        if (!self->m_quiet)
            forward = self->m_previous;
    }
    if (forward)
        forward(type, context, msg);
}
