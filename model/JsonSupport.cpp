#include "model/JsonSupport.h"

#include <atomic>
#include <string>

#include "platform/foundation/STrace.h"

namespace {
std::atomic<uint64_t> g_assertions{0};
}

void lumo_json::assertionFailed(const char* expression, const char* file, int line)
{
    ++g_assertions;
    const std::string text = std::string("RapidJSON assertion failed: ") + (expression ? expression : "") +
                             " (" + (file ? file : "") + ":" + std::to_string(line) + ")";
    STraceErrorLine("JsonSupport", line, 0, text.c_str());
}

uint64_t lumo_json::assertionCount() { return g_assertions.load(); }
