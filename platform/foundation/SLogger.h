// Tracing of the foundation library.
//
// A trace line is made in two steps.  First the cheap test ShouldTrace(level,
// area), an inline load of one atomic when tracing is off; only when it says
// yes is the line's text built.  Then, just before the line is handed over,
// the global trace-off flag and ShouldTrace_slowpath(level, file, line) decide
// whether it is written.  The area (and the "file" of the slow path) is the
// name of the source file that writes the line, such as "CComComment".
//
// Levels: 0 error and validation lines, 3 the cheap pre-test of entry and exit
// lines, 14 entry and exit lines.  A configured level L writes every line whose
// level is at most L; level -1 writes nothing (the default).
//
// Configuration comes from the environment when the logger is first
// initialised (see STraceConfig::fromEnvironment) or from SLogger::Configure.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct STraceConfig {
    int level = -1;                  // highest level written; -1 = tracing off
    std::vector<std::string> areas;  // areas written; empty = every area
    std::string file;                // trace file; "" = none, "stderr" = standard error
    bool wholeTokens = false;        // logon tokens written whole (debugging only)

    // LUMO_TRACE_FILE   file to append lines to ("stderr" for standard error);
    //                   tracing is off while it is unset; a new file is
    //                   created readable by its owner only (0600)
    // LUMO_TRACE_LEVEL  highest level written (default 14)
    // LUMO_TRACE_AREAS  comma-separated areas (default: every area)
    // LUMO_TRACE_OFF    "1" sets the global trace-off flag
    // LUMO_TRACE_TOKENS "1" writes logon tokens whole instead of masked: a
    //                   trace file then holds credentials (debugging only)
    static STraceConfig fromEnvironment();
};

// One line as handed to the trace sinks.
struct STraceRecord {
    int level = 0;
    std::string area;
    int line = 0;
    int flag = 0;
    std::u16string text;
};

// The global trace-off flag: while set, no line is written, whatever the
// configuration says.  Tested just before a line would be emitted.
extern std::atomic<bool> g_STraceOff;

class SLogger {
public:
    // Counted: the first Initialize reads the environment, the last Terminate
    // closes the trace file and switches tracing off.  Both may be called
    // from static guards.
    static void Initialize();
    static void Terminate();

    static bool ShouldTrace(int level, const char* area)
    {
        if (level > s_level.load(std::memory_order_relaxed)) return false;
        return s_allAreas.load(std::memory_order_relaxed) || areaEnabled(area);
    }
    static bool ShouldTrace_slowpath(int level, const char* file, int line);

    static void Configure(const STraceConfig& config);
    // Whether lines may show logon tokens whole (STraceConfig::wholeTokens).
    static bool TraceWholeTokens() { return s_wholeTokens.load(std::memory_order_relaxed); }
    static STraceConfig Configuration();

    // Hands a finished line to the sinks (the trace file, an in-memory capture).
    static void Emit(const STraceRecord& record);

    // Test support: the in-memory sink of STraceCapture.
    using MemorySink = void (*)(void* context, const STraceRecord& record);
    static void SetMemorySink(MemorySink sink, void* context);

private:
    static bool areaEnabled(const char* area);
    static std::atomic<int> s_level;
    static std::atomic<bool> s_allAreas;
    static std::atomic<bool> s_wholeTokens;
};

// Static guard held by the sources that trace from their first static
// initialiser to their last static destructor.
class TraceLogInitExit {
public:
    TraceLogInitExit() { SLogger::Initialize(); }
    ~TraceLogInitExit() { SLogger::Terminate(); }
    TraceLogInitExit(const TraceLogInitExit&) = delete;
    TraceLogInitExit& operator=(const TraceLogInitExit&) = delete;
};
