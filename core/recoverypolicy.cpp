#include "core/recoverypolicy.h"

#include <array>

namespace Pinmark {

using namespace std::chrono_literals;

std::chrono::milliseconds RetrySchedule::nextDelay()
{
    static constexpr std::array<std::chrono::milliseconds, 5> steps{2s, 4s, 8s, 15s, 30s};
    const auto step = static_cast<std::size_t>(m_attempt) < steps.size()
                          ? steps[static_cast<std::size_t>(m_attempt)]
                          : steps.back();
    if (static_cast<std::size_t>(m_attempt) < steps.size())
        ++m_attempt;
    return step;
}

void RestartBudget::forgetBefore(std::chrono::milliseconds now)
{
    while (!m_restarts.empty() && now - m_restarts.front() >= m_window)
        m_restarts.pop_front();
}

bool RestartBudget::take(std::chrono::milliseconds now)
{
    forgetBefore(now);
    if (static_cast<int>(m_restarts.size()) >= m_limit)
        return false;
    m_restarts.push_back(now);
    return true;
}

bool RestartBudget::isRested(std::chrono::milliseconds now)
{
    forgetBefore(now);
    return m_restarts.empty();
}

} // namespace Pinmark
