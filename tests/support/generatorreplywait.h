#pragma once
// The pattern generator's replies under a virtual clock. The program waits 2 s for the generator
// to announce its largest level after "INI" and polls 50 ms apart for the acknowledgement of a
// colour; under a VirtualClock each of those waits lives only the clock's real slice, and on a busy
// machine a reply on its way may need longer. While a GeneratorReplyWait lives, such a wait on the
// GUI thread goes on in real time until the reply is in (at most kReplyMs more), whenever the
// emulated generator answers that request with a reply that changes what the client holds; a
// generator that stays silent, or announces no level, costs no real time. Create it after the
// clock, so that the clock's wait goes first.

#include "eventloopwait.h"
#include "pattern/patterntcp.h"
#include "patterngeneratoremulator.h"
#include "platform/eventwait.h"
#include "platform/guithread.h"

class GeneratorReplyWait
{
public:
    GeneratorReplyWait(PatternTcp* tcp, const PatternGeneratorEmulator& generator)
    {
        m_previous = platform::setWaitHook([this, tcp, &generator](int ms) {
            if (m_previous)
                m_previous(ms);
            // Replies held back or cut short are the tests' own business.
            if (!platform::isGuiThread() || generator.holdReplies || generator.splitAt > 0)
                return;
            if (tcp->state() == InitSent && generator.answerInit && generator.maxLevel > 0)
                testenv::waitUntil([tcp] { return tcp->maxValue() != 0; }, kReplyMs);
            else if (tcp->state() == ColorSent && generator.answerRequests
                     && generator.sequenceOffset == 0)
                testenv::waitUntil([tcp] { return tcp->state() == Acknowledged; }, kReplyMs);
        });
    }
    ~GeneratorReplyWait() { platform::setWaitHook(m_previous); }

    GeneratorReplyWait(const GeneratorReplyWait&) = delete;
    GeneratorReplyWait& operator=(const GeneratorReplyWait&) = delete;

private:
    static constexpr int kReplyMs = 2000;
    platform::WaitHook m_previous;
};
