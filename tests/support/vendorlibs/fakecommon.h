#pragma once
// Shared by the fake vendor libraries: C exports, one lock over the fake's state, and the call log
// the tests compare (calls separated by ';').

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

} // namespace fake
