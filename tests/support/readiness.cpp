#include "readiness.h"

#include "ini_reading.h"
#include "waiting.h"

bool waitForThreadId(const Launched& launched, const std::string& profile, DWORD timeoutMs) {
    const std::string expected = std::to_string(static_cast<int>(launched.threadId));
    bool recorded = false;
    waitFor(
        [&] {
            // Ended first, read then: a program that wrote its id and ended
            // between the two is still seen to have written it.
            const bool ended = !isRunning(launched);
            recorded = iniValue(profile, "Internal", "ThreadId") == expected;
            return recorded || ended;
        },
        timeoutMs);
    return recorded;
}

void waitUntilIdle(const Launched& launched, DWORD timeoutMs) {
    // A thread that is waiting in GetMessage has an empty queue: the posted
    // probe is taken only once everything before it has been handled, and
    // the idle state is reached again right after.
    WaitForInputIdle(launched.process, timeoutMs);
    pumpFor(30);
}
