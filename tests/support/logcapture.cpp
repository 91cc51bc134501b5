#include "logcapture.h"

#include <QMutexLocker>

#include <atomic>

namespace {
std::atomic<LogCapture*> g_active{nullptr};
}

LogCapture::LogCapture(bool quiet) : m_quiet(quiet)
{
    m_outer = g_active.exchange(this);
    m_previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    g_active.store(m_outer);
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
    LogCapture* self = g_active.load();
    if (!self)
        return;
    {
        QMutexLocker lock(&self->m_mutex);
        self->m_entries.append({type, msg});
    }
    if (!self->m_quiet && self->m_previous)
        self->m_previous(type, context, msg);
}
