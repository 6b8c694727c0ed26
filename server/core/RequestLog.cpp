#include "server/core/RequestLog.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace lumo_server {
namespace {

std::string field(const std::optional<int32_t>& value) { return value ? std::to_string(*value) : "-"; }

}  // namespace

std::string RequestLogEntry::format() const
{
    std::string line = field(retentionId) + " " + field(requestType) + " " + field(responseType) + " " +
                       field(statusCode);
    if (replayed) line += " replay";
    return line;
}

RequestLog::RequestLog(const std::string& path) : m_file(std::fopen(path.c_str(), "a"))
{
    if (!m_file) throw std::runtime_error("cannot open request log " + path + ": " + std::strerror(errno));
}

RequestLog::~RequestLog() { std::fclose(m_file); }

void RequestLog::write(const RequestLogEntry& entry)
{
    const std::string line = entry.format() + "\n";
    std::lock_guard<std::mutex> lock(m_mutex);
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
}

}  // namespace lumo_server
