// The idle database connections of a store, shared by the server's threads.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace lumo_server {

template <class Connection>
class ConnectionPool {
public:
    // An idle connection that `usable` accepts (the others are closed), or a
    // new one made by `open`.
    template <class Open, class Usable>
    std::unique_ptr<Connection> acquire(Open open, Usable usable)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            while (!m_idle.empty()) {
                std::unique_ptr<Connection> connection = std::move(m_idle.back());
                m_idle.pop_back();
                if (usable(*connection)) return connection;
            }
        }
        return open();
    }

    // Keeps the connection for the next caller.  Design decision: a handful
    // of idle connections are kept; more are closed.
    void release(std::unique_ptr<Connection> connection)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_idle.size() < kMaxIdle) m_idle.push_back(std::move(connection));
    }

private:
    static constexpr std::size_t kMaxIdle = 8;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Connection>> m_idle;
};

}  // namespace lumo_server
