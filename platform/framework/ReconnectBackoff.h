// The waits between two rounds of looking for a server that answers:
// capped exponential backoff with jitter, never past the calling thread's
// deadline (CallDeadline.h).
//
// Plain C++.  Design decision: the n-th wait is drawn at random from the
// upper half of min(initial x 2^n, max), so that clients that lost the same
// server do not come back in step.
#pragma once

#include <cstdint>
#include <random>

class ReconnectBackoff {
public:
    ReconnectBackoff(uint32_t initialMs, uint32_t maxMs);

    // Waits the next interval, cut short at the deadline; false when the
    // deadline is spent (nothing is left to wait for).
    bool wait();
    // The next interval's upper bound in milliseconds.
    uint32_t currentMs() const { return m_currentMs; }

private:
    uint32_t m_currentMs;
    uint32_t m_maxMs;
    std::minstd_rand m_random;
};
