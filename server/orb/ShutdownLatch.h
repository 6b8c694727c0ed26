// Set once when the server begins to shut down.  Waits that test aids add
// (--fault delay) end early when it is set, so that shutdown stays bounded.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace lumo_server {

class ShutdownLatch {
public:
    void trigger()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_triggered = true;
        }
        m_condition.notify_all();
    }

    bool triggered() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_triggered;
    }

    // Waits up to the time given; true when the latch was set meanwhile.
    bool waitFor(std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_condition.wait_for(lock, timeout, [this] { return m_triggered; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_triggered = false;
};

}  // namespace lumo_server
