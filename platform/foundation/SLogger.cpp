#include "SLogger.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <sstream>
#include <thread>

#include "SString.h"

std::atomic<bool> g_STraceOff{false};
std::atomic<int> SLogger::s_level{-1};
std::atomic<bool> SLogger::s_allAreas{true};
std::atomic<bool> SLogger::s_wholeTokens{false};

namespace {

struct LoggerState {
    std::mutex mutex;
    int initCount = 0;
    STraceConfig config;
    std::FILE* file = nullptr;
    bool ownsFile = false;
    SLogger::MemorySink memorySink = nullptr;
    void* memoryContext = nullptr;
};

// Constructed on first use and never destroyed: static guards of other
// libraries may still trace while this library's statics are torn down.
LoggerState& state()
{
    static LoggerState* s = new LoggerState;
    return *s;
}

std::vector<std::string> splitAreas(const char* text)
{
    std::vector<std::string> areas;
    if (!text) return areas;
    std::string item;
    std::istringstream in(text);
    while (std::getline(in, item, ',')) {
        item.erase(0, item.find_first_not_of(" \t"));
        item.erase(item.find_last_not_of(" \t") + 1);
        if (!item.empty()) areas.push_back(item);
    }
    return areas;
}

void closeFileLocked(LoggerState& s)
{
    if (s.file && s.ownsFile) std::fclose(s.file);
    s.file = nullptr;
    s.ownsFile = false;
}

void applyLocked(LoggerState& s, const STraceConfig& config)
{
    if (config.file != s.config.file || !s.file) {
        closeFileLocked(s);
        if (config.file == "stderr") {
            s.file = stderr;
        } else if (!config.file.empty()) {
            // Traces may hold comment texts: a new file is private to its owner.
            const int fd = ::open(config.file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
            if (fd >= 0 && !(s.file = ::fdopen(fd, "a"))) ::close(fd);
            s.ownsFile = s.file != nullptr;
        }
    }
    s.config = config;
}


std::string timestampUtc()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
    return buffer;
}

}  // namespace

STraceConfig STraceConfig::fromEnvironment()
{
    STraceConfig config;
    const char* file = std::getenv("LUMO_TRACE_FILE");
    if (file && *file) {
        config.file = file;
        config.level = 14;
        if (const char* level = std::getenv("LUMO_TRACE_LEVEL")) config.level = std::atoi(level);
        config.areas = splitAreas(std::getenv("LUMO_TRACE_AREAS"));
    }
    if (const char* tokens = std::getenv("LUMO_TRACE_TOKENS")) config.wholeTokens = std::strcmp(tokens, "1") == 0;
    return config;
}

void SLogger::Initialize()
{
    LoggerState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.initCount++ > 0) return;
    const STraceConfig config = STraceConfig::fromEnvironment();
    if (const char* off = std::getenv("LUMO_TRACE_OFF")) g_STraceOff = std::strcmp(off, "1") == 0;
    applyLocked(s, config);
    s_allAreas = config.areas.empty();
    s_level = config.level;
    s_wholeTokens = config.wholeTokens;
}

void SLogger::Terminate()
{
    LoggerState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.initCount == 0 || --s.initCount > 0) return;
    if (s.file) std::fflush(s.file);
    closeFileLocked(s);
    // Tracing is off from now on: no line is built only to be dropped.
    s.config = STraceConfig();
    s_level = s.config.level;
    s_allAreas = true;
}

void SLogger::Configure(const STraceConfig& config)
{
    LoggerState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    applyLocked(s, config);
    s_allAreas = config.areas.empty();
    s_level = config.level;
    s_wholeTokens = config.wholeTokens;
}

STraceConfig SLogger::Configuration()
{
    LoggerState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.config;
}

bool SLogger::areaEnabled(const char* area)
{
    LoggerState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    const std::string name = area ? area : "";
    return std::find(s.config.areas.begin(), s.config.areas.end(), name) != s.config.areas.end();
}

bool SLogger::ShouldTrace_slowpath(int level, const char* file, int /*line*/)
{
    return ShouldTrace(level, file);
}

void SLogger::SetMemorySink(MemorySink sink, void* context)
{
    LoggerState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.memorySink = sink;
    s.memoryContext = context;
}

void SLogger::Emit(const STraceRecord& record)
{
    LoggerState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.memorySink) s.memorySink(s.memoryContext, record);
    if (!s.file) return;
    std::ostringstream threadId;
    threadId << std::this_thread::get_id();
    std::fprintf(s.file, "%s [%s] %2d %s(%d)%s %s\n", timestampUtc().c_str(), threadId.str().c_str(),
                 record.level, record.area.c_str(), record.line, record.flag ? " !" : "",
                 lumoUtf16ToUtf8(record.text).c_str());
    std::fflush(s.file);
}
