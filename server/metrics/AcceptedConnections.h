// Counts the TCP connections that this process has accepted and that are
// still established, from the kernel's socket tables: the process's own
// sockets (/proc/self/fd) found in /proc/self/net/tcp and tcp6, in state
// ESTABLISHED, whose local port is one the process listens on.
//
// Design decision: omniORB 4.2 reports an accepted connection (the
// serverAcceptConnection interceptor) but not its end, so the number of open
// connections is read where it is exact, at each scrape.
#pragma once

#include <cstdint>
#include <set>

namespace lumo_server {

class AcceptedConnections {
public:
    // Connections accepted on ignoredPorts (the metrics endpoint) are not counted.
    explicit AcceptedConnections(std::set<int> ignoredPorts) : m_ignoredPorts(std::move(ignoredPorts)) {}
    int64_t count() const;

private:
    std::set<int> m_ignoredPorts;
};

}  // namespace lumo_server
