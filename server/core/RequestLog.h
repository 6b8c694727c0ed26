// The request log (--request-log): one line per received execute call,
// appended and flushed at once so that tests can count calls while the server
// runs.  Design decision: a line reads
//     <retention id or -> <requestType or -> <responseType or -> <statusCode or ->
// followed by " replay" when the reply came from the reply table, e.g.
//     17 1 1 0            (FT retention id 17, an add, answered with success)
//     - 2 5 401           (no FT context, a get, answered with an error)
//     17 1 1 0 replay     (the same add again: answered from the reply table)
//     - - - -             (the call raised an exception, --fault user-exception)
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

namespace lumo_server {

struct RequestLogEntry {
    std::optional<int32_t> retentionId;
    std::optional<int32_t> requestType;
    std::optional<int32_t> responseType;
    std::optional<int32_t> statusCode;
    bool replayed = false;

    std::string format() const;
};

class RequestLog {
public:
    // Opens the file for appending; raises std::runtime_error when it cannot.
    explicit RequestLog(const std::string& path);
    ~RequestLog();
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    void write(const RequestLogEntry& entry);

private:
    std::mutex m_mutex;
    std::FILE* m_file = nullptr;
};

}  // namespace lumo_server
