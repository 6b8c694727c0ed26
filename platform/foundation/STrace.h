// Trace parameters and the trace object that writes one line.
#pragma once

#include <cstdint>
#include <string>

#include "SLogger.h"
#include "SString.h"

// One substitution value of a trace line, kept as text.
class STraceParameter {
public:
    STraceParameter() = default;  // absent: its marker stays in the line as written
    STraceParameter(const SWCharString& s) : m_text(s.str()), m_present(true) {}  // NOLINT
    STraceParameter(const char16_t* s) : m_text(s ? s : u""), m_present(true) {}  // NOLINT
    STraceParameter(const char* s);                                               // NOLINT
    STraceParameter(int value);                                                   // NOLINT
    STraceParameter(long value);                                                  // NOLINT
    STraceParameter(long long value);                                             // NOLINT

    bool present() const { return m_present; }
    const std::u16string& text() const { return m_text; }

private:
    std::u16string m_text;
    bool m_present = false;
};

// Writes one line: level, file (the area), source line and a flag (0 for
// ordinary lines, 2 for the lines that the service object and the proxy mark).
// The format's markers %1, %2 and %3 are replaced by the parameters' texts in
// one pass; a marker without a parameter stays as it is.
class STraceObj {
public:
    STraceObj(int level, const char* file, int line, int flag)
        : m_level(level), m_file(file ? file : ""), m_line(line), m_flag(flag)
    {
    }

    void operator()(const char16_t* format, const STraceParameter& p1 = STraceParameter(),
                    const STraceParameter& p2 = STraceParameter(),
                    const STraceParameter& p3 = STraceParameter()) const;
    void operator()(const char* format, const STraceParameter& p1 = STraceParameter(),
                    const STraceParameter& p2 = STraceParameter(),
                    const STraceParameter& p3 = STraceParameter()) const;

    static std::u16string Substitute(const std::u16string& format, const STraceParameter* params,
                                     int count);

private:
    int m_level;
    const char* m_file;
    int m_line;
    int m_flag;
};

// Writes an error-style line at level 0: no pre-test, only the trace-off flag
// and the slow path decide.  Used by the model, the service object and the proxy.
template <class Format, class... Params>
inline void STraceErrorLine(const char* area, int line, int flag, const Format& format,
                            const Params&... params)
{
    if (!g_STraceOff.load(std::memory_order_relaxed) && SLogger::ShouldTrace_slowpath(0, area, line))
        STraceObj(0, area, line, flag)(format, params...);
}

#define S_TRACE_ERROR(area, flag, ...) STraceErrorLine(area, __LINE__, flag, __VA_ARGS__)
