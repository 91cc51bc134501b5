// A stand-in for "kmsecs200.dll", the CS-200's USB library: the replies to the commands are
// scripted (a queue), or answered like a working meter in automatic mode. FAKE_INCOMPLETE leaves
// out read64_usb. Control exports (fake_*) script it and read back the calls it received.

#include "fakecommon.h"

#include <cstdio>
#include <deque>
#include <string>

namespace {

struct Reply
{
    std::string bytes;
    bool write;
};

struct State
{
    int connectResult = 0;
    std::deque<Reply> replies;
    bool automatic = false;
    std::string lastCommand;
    int readings = 0;
};

State& state()
{
    static State s;
    return s;
}

// What a working meter answers.
[[maybe_unused]] std::string automaticReply(const std::string& command)
{
    State& s = state();
    if (command == "IDR\r\n")
        return "OK00,0,CS-200,10001234\r\n";
    if (command == "MES,1\r\n")
        return "OK00,1\r\n";
    if (command == "MDR,3\r\n") {
        // A display getting brighter at every reading.
        ++s.readings;
        const double y = 10.0 * s.readings;
        char text[128];
        std::snprintf(text, sizeof text, "OK00,0,0,0,0,0,0,0,0,%.4f,%.4f,%.4f\r\n", 0.9505 * y, y, 1.089 * y);
        return text;
    }
    return "OK00\r\n";
}

std::string printable(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

} // namespace

FAKE_EXPORT int int_usb(int device)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("int_usb(" + std::to_string(device) + ")");
    return state().connectResult;
}

FAKE_EXPORT void end_usb(int device)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("end_usb(" + std::to_string(device) + ")");
}

FAKE_EXPORT void write64_usb(int device, const char* bytes, int mode, int count)
{
    std::lock_guard<std::mutex> g(fake::lock());
    const std::string command(bytes, bytes + (count > 0 && count < 1024 ? count : 0));
    state().lastCommand = command;
    fake::record("write(" + std::to_string(device) + "," + printable(command) + "," + std::to_string(mode) + ","
                 + std::to_string(count) + ")");
}

#ifndef FAKE_INCOMPLETE
FAKE_EXPORT void read64_usb(int device, char* buffer, int mode, int size)
{
    std::lock_guard<std::mutex> g(fake::lock());
    fake::record("read(" + std::to_string(device) + "," + std::to_string(mode) + "," + std::to_string(size) + ")");
    State& s = state();
    Reply reply{std::string(), false};
    if (!s.replies.empty()) {
        reply = s.replies.front();
        s.replies.pop_front();
    } else if (s.automatic) {
        reply = {automaticReply(s.lastCommand), true};
    }
    if (!reply.write || size <= 0)
        return;
    const size_t n = reply.bytes.size() < size_t(size) ? reply.bytes.size() : size_t(size);
    std::memcpy(buffer, reply.bytes.data(), n);
}
#endif

// ---- control ----------------------------------------------------------------------------------

void fake::resetState()
{
    state() = State();
}

FAKE_EXPORT void fake_set_connect_result(int result)
{
    std::lock_guard<std::mutex> g(fake::lock());
    state().connectResult = result;
}

// Queues the bytes the next read delivers (exactly `length` bytes, no terminator added);
// `length` -1 queues a read that delivers nothing.
FAKE_EXPORT void fake_push_reply(const char* bytes, int length)
{
    std::lock_guard<std::mutex> g(fake::lock());
    if (length < 0)
        state().replies.push_back({std::string(), false});
    else
        state().replies.push_back({std::string(bytes, bytes + length), true});
}

// With nothing queued: 1 answers like a working meter, 0 delivers nothing.
FAKE_EXPORT void fake_set_automatic(int on)
{
    std::lock_guard<std::mutex> g(fake::lock());
    state().automatic = on != 0;
}
