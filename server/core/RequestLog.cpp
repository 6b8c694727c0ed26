#include "server/core/RequestLog.h"

#include <fcntl.h>
#include <unistd.h>

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

RequestLog::RequestLog(const std::string& path)
{
    // Created readable by its owner only, like every file of the server's.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0) m_file = ::fdopen(fd, "a");
    if (!m_file) {
        const int error = errno;
        if (fd >= 0) ::close(fd);
        throw std::runtime_error("cannot open request log " + path + ": " + std::strerror(error));
    }
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
