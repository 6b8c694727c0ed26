// In-memory trace sink for tests: while a capture lives, the logger runs with
// the capture's level and areas and every emitted line is kept in memory (no
// trace file is written).  The previous configuration comes back when the
// capture is destroyed.  One capture at a time.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "SLogger.h"

class STraceCapture {
public:
    explicit STraceCapture(int level = 14, std::vector<std::string> areas = {});
    ~STraceCapture();
    STraceCapture(const STraceCapture&) = delete;
    STraceCapture& operator=(const STraceCapture&) = delete;

    std::vector<STraceRecord> records() const;
    // The texts of the captured lines, in the order they were emitted.
    std::vector<std::u16string> lines() const;
    // The same, converted to UTF-8 for readable test failures.
    std::vector<std::string> linesUtf8() const;
    void clear();

private:
    static void sink(void* context, const STraceRecord& record);
    mutable std::mutex m_mutex;
    std::vector<STraceRecord> m_records;
    STraceConfig m_saved;
};
