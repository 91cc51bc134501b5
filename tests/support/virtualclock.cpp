#include "virtualclock.h"

#include <QMutexLocker>

VirtualClock::VirtualClock(int realSliceMs)
    : m_realSliceMs(realSliceMs)
{
    m_previous = platform::setWaitHook([this](int ms) { wait(ms); });
}

VirtualClock::~VirtualClock()
{
    platform::setWaitHook(std::move(m_previous));
}

qint64 VirtualClock::elapsed() const
{
    QMutexLocker lock(&m_mutex);
    return m_elapsed;
}

int VirtualClock::waits() const
{
    QMutexLocker lock(&m_mutex);
    return m_requested.size();
}

QList<int> VirtualClock::requested() const
{
    QMutexLocker lock(&m_mutex);
    return m_requested;
}

void VirtualClock::schedule(qint64 atMs, std::function<void()> action)
{
    QMutexLocker lock(&m_mutex);
    m_actions.append({atMs, std::move(action)});
}

void VirtualClock::wait(int ms)
{
    if (ms <= 0)
        return;
    QList<std::function<void()>> due;
    {
        QMutexLocker lock(&m_mutex);
        m_requested.append(ms);
        m_elapsed += ms;
        for (int i = 0; i < m_actions.size();) {
            if (m_actions.at(i).first <= m_elapsed) {
                due.append(m_actions.takeAt(i).second);
            } else {
                ++i;
            }
        }
    }
    for (const auto& action : due)
        action();
    platform::waitProcessingEvents(qMin(ms, m_realSliceMs));
}
