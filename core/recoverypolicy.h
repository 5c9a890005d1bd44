#pragma once
#include <chrono>
#include <deque>

namespace Pinmark {

// How the embedded browser finds its way back to the gallery after a failure. Plain values,
// so the rules can be checked without an engine.

// The pauses between automatic attempts to reach the gallery again: they grow to a steady
// half minute, so a gallery that is down for long costs next to nothing.
class RetrySchedule
{
public:
    // The pause before the next attempt; each call moves one step on.
    std::chrono::milliseconds nextDelay();
    void reset() { m_attempt = 0; }

private:
    int m_attempt = 0;
};

// A page whose renderer keeps dying must not be restarted without end: at most `limit`
// restarts within any `window` of time.
class RestartBudget
{
public:
    RestartBudget(int limit, std::chrono::milliseconds window) : m_limit(limit), m_window(window) {}

    // True, and the restart counted, when one more restart at `now` stays within the budget.
    bool take(std::chrono::milliseconds now);
    // True when no restart was counted within the window before `now`.
    bool isRested(std::chrono::milliseconds now);

private:
    void forgetBefore(std::chrono::milliseconds now);

    int m_limit;
    std::chrono::milliseconds m_window;
    std::deque<std::chrono::milliseconds> m_restarts;
};

} // namespace Pinmark
