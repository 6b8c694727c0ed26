// Assertions of the foundation library.  An assertion reports and returns: it
// never stops the process.  The report is a level-0 trace line attributed to
// the given file, reading
//     Assertion failed: <expression>: <message>
// and a process-wide count that tests can read.
#pragma once

#include <cstdint>
#include <string>

// True unless assertions were switched off (LUMO_ASSERT=0 in the environment,
// read once, or SAssertSetEnabled(false)).
bool ShouldAssert();
void SAssert(const char* file, int line, const char* expression, const char* message);

void SAssertSetEnabled(bool enabled);
// Number of assertions reported since the process started, and the text of
// the last one (for tests).
uint64_t SAssertCount();
std::string SAssertLastMessage();

#define S_ASSERT_MSG(area, expr, message)                               \
    do {                                                                \
        if (!(expr) && ShouldAssert()) SAssert(area, __LINE__, #expr, message); \
    } while (0)
