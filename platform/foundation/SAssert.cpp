#include "SAssert.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "STrace.h"

namespace {

std::atomic<int> g_enabled{-1};  // -1: not yet read from the environment
std::atomic<uint64_t> g_count{0};

std::mutex& lastMutex()
{
    static std::mutex* m = new std::mutex;
    return *m;
}
std::string& lastText()
{
    static std::string* s = new std::string;
    return *s;
}

}  // namespace

bool ShouldAssert()
{
    int enabled = g_enabled.load(std::memory_order_relaxed);
    if (enabled < 0) {
        const char* env = std::getenv("LUMO_ASSERT");
        enabled = (env && std::strcmp(env, "0") == 0) ? 0 : 1;
        g_enabled = enabled;
    }
    return enabled != 0;
}

void SAssertSetEnabled(bool enabled) { g_enabled = enabled ? 1 : 0; }

void SAssert(const char* file, int line, const char* expression, const char* message)
{
    std::string text = "Assertion failed: ";
    text += expression ? expression : "";
    text += ": ";
    text += message ? message : "";
    ++g_count;
    {
        std::lock_guard<std::mutex> lock(lastMutex());
        lastText() = text;
    }
    STraceErrorLine(file, line, 0, text.c_str());
}

uint64_t SAssertCount() { return g_count.load(); }

std::string SAssertLastMessage()
{
    std::lock_guard<std::mutex> lock(lastMutex());
    return lastText();
}
