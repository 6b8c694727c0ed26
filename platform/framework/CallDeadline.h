// The time limit of the calling thread's logical call: one execute of a
// proxy with all its attempts, re-validations and waits.
//
// Plain C++.  Design decision: the limit belongs to the calling thread, not
// to the managed service, because several threads share one managed service
// and each of their calls has its own limit.  ManagedService::pulse opens it
// (LUMO_CALL_DEADLINE_MS), completePulse closes it.  While it is open every
// remote call the thread makes is limited to the smaller of the per-attempt
// limit and the time left, and a spent deadline makes the managed service
// end the call (ManagedService.h).
#pragma once

#include <chrono>
#include <cstdint>

class CallDeadline {
public:
    using Clock = std::chrono::steady_clock;

    // Opens the calling thread's call with this much time (replacing one
    // still open).
    static void begin(uint32_t limitMs);
    static void end();
    static bool isOpen();
    // True when a call is open and its time is spent.
    static bool expired();
    // The point in time the call ends; the largest time point when none is
    // open (not for timed waits: check isOpen first).
    static Clock::time_point deadline();
    // The time left in milliseconds, at most cap (cap when no call is open;
    // 0 when the time is spent).
    static uint32_t remainingMs(uint32_t cap);
};
