#pragma once
// Shared by the fake vendor libraries: C exports, one lock over the fake's state, the call log
// the tests compare (calls separated by ';') and the control exports every fake has (fake_reset,
// fake_log). Each fake is one source file that includes this once and defines fake::resetState.

#include <cstring>
#include <mutex>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace fake {

static inline std::mutex& lock()
{
    static std::mutex m;
    return m;
}

static inline std::string& log()
{
    static std::string text;
    return text;
}

// Appends one call to the log (the caller holds the lock).
static inline void record(const std::string& call)
{
    if (!log().empty())
        log() += ';';
    log() += call;
}

// Copies the log into `out` (terminated, cut to `size`); returns the log's full length.
static inline int copyLog(char* out, int size)
{
    std::lock_guard<std::mutex> guard(lock());
    const std::string& text = log();
    if (out && size > 0) {
        const size_t n = text.size() < size_t(size - 1) ? text.size() : size_t(size - 1);
        std::memcpy(out, text.data(), n);
        out[n] = '\0';
    }
    return int(text.size());
}

// Puts the fake's own state back as it starts (the caller holds the lock). Defined by each fake.
static void resetState();

} // namespace fake

// ---- control ----------------------------------------------------------------------------------

FAKE_EXPORT void fake_reset()
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::resetState();
    fake::log().clear();
}

FAKE_EXPORT int fake_log(char* out, int size)
{
    return fake::copyLog(out, size);
}
