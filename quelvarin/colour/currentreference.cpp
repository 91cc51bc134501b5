#include "colour/currentreference.h"

#include <mutex>

namespace {

struct Holder
{
    std::mutex mutex;
    std::shared_ptr<const ColorReference> current;
};

// Never destroyed: a thread still converting colours while the program exits must not find
// the holder gone.
Holder& holder()
{
    static Holder* h = new Holder;
    return *h;
}

const std::shared_ptr<const ColorReference>& defaultReference()
{
    static const auto* ref =
        new std::shared_ptr<const ColorReference>(std::make_shared<const ColorReference>(
            StandardHdtvRec709));
    return *ref;
}

// The calling thread's own reference, when a ScopedThreadColorReference is in force.
thread_local std::shared_ptr<const ColorReference> threadOverride;

} // namespace

std::shared_ptr<const ColorReference> currentColorReference()
{
    if (threadOverride)
        return threadOverride;
    Holder& h = holder();
    {
        std::lock_guard<std::mutex> lock(h.mutex);
        if (h.current)
            return h.current;
    }
    return defaultReference();
}

void setCurrentColorReference(std::shared_ptr<const ColorReference> ref)
{
    Holder& h = holder();
    std::shared_ptr<const ColorReference> old;
    {
        std::lock_guard<std::mutex> lock(h.mutex);
        old.swap(h.current);
        h.current = std::move(ref);
    }
    // `old` is released here, outside the lock; readers holding it keep it alive.
}

ScopedThreadColorReference::ScopedThreadColorReference(std::shared_ptr<const ColorReference> ref)
    : m_previous(std::move(threadOverride))
{
    threadOverride = std::move(ref);
}

ScopedThreadColorReference::~ScopedThreadColorReference()
{
    threadOverride = std::move(m_previous);
}
