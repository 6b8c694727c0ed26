#include "platform/framework/CallDeadline.h"

#include <algorithm>

namespace {

struct OpenCall {
    bool open = false;
    CallDeadline::Clock::time_point deadline;
};

thread_local OpenCall t_call;

}  // namespace

void CallDeadline::begin(uint32_t limitMs)
{
    t_call.open = true;
    t_call.deadline = Clock::now() + std::chrono::milliseconds(limitMs);
}

void CallDeadline::end() { t_call = OpenCall(); }

bool CallDeadline::isOpen() { return t_call.open; }

bool CallDeadline::expired() { return t_call.open && Clock::now() >= t_call.deadline; }

CallDeadline::Clock::time_point CallDeadline::deadline()
{
    return t_call.open ? t_call.deadline : Clock::time_point::max();
}

uint32_t CallDeadline::remainingMs(uint32_t cap)
{
    if (!t_call.open) return cap;
    // Rounded up: a part of a millisecond left is not spent yet.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(t_call.deadline - Clock::now()).count();
    if (left <= 0) return 0;
    return static_cast<uint32_t>(std::min<long long>(left, cap));
}
