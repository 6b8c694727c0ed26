#include "server/metrics/AcceptedConnections.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace lumo_server {
namespace {

constexpr int kEstablished = 0x01;
constexpr int kListening = 0x0A;

struct SocketRow {
    int localPort = 0;
    int state = 0;
    unsigned long inode = 0;
};

std::set<unsigned long> ownSocketInodes()
{
    std::set<unsigned long> inodes;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        const std::string target = std::filesystem::read_symlink(entry.path(), ec).string();
        if (!ec && target.compare(0, 8, "socket:[") == 0) inodes.insert(std::stoul(target.substr(8)));
    }
    return inodes;
}

// Rows of /proc/self/net/tcp or tcp6: "sl local rem st tx:rx tr:when retrnsmt uid timeout inode ...",
// local as HEXADDRESS:HEXPORT.
std::vector<SocketRow> socketRows(const char* table)
{
    std::vector<SocketRow> rows;
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);  // the heading
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout;
        SocketRow row;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >>
              row.inode))
            continue;
        const std::size_t colon = local.rfind(':');
        if (colon == std::string::npos) continue;
        row.localPort = std::stoi(local.substr(colon + 1), nullptr, 16);
        row.state = std::stoi(state, nullptr, 16);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

int64_t AcceptedConnections::count() const
{
    const std::set<unsigned long> own = ownSocketInodes();
    std::vector<SocketRow> rows = socketRows("/proc/self/net/tcp");
    for (const SocketRow& row : socketRows("/proc/self/net/tcp6")) rows.push_back(row);

    std::set<int> listening;
    for (const SocketRow& row : rows)
        if (row.state == kListening && own.count(row.inode) && !m_ignoredPorts.count(row.localPort))
            listening.insert(row.localPort);
    int64_t open = 0;
    for (const SocketRow& row : rows)
        if (row.state == kEstablished && own.count(row.inode) && listening.count(row.localPort)) ++open;
    return open;
}

}  // namespace lumo_server
