#include "platform/framework/ReconnectBackoff.h"

#include <algorithm>
#include <thread>

#include "platform/framework/CallDeadline.h"

ReconnectBackoff::ReconnectBackoff(uint32_t initialMs, uint32_t maxMs)
    : m_currentMs(std::max<uint32_t>(initialMs, 1)),
      m_maxMs(std::max<uint32_t>(maxMs, 1)),
      m_random(std::random_device()())
{
}

bool ReconnectBackoff::wait()
{
    const uint32_t bound = std::min(m_currentMs, m_maxMs);
    std::uniform_int_distribution<uint32_t> pick(bound / 2, bound);
    const uint32_t chosen = CallDeadline::remainingMs(pick(m_random));
    if (chosen == 0) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(chosen));
    m_currentMs = std::min<uint32_t>(bound * 2, m_maxMs);
    return !CallDeadline::expired();
}
