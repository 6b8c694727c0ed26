#include "SResManager.h"

#include <atomic>

namespace {

std::atomic<int> g_initCount{0};

struct ThreadState {
    uint32_t locale = 0;
    int depth = 0;
};
thread_local ThreadState t_state;

// The cookie carries the locale to restore, tagged so that a cookie that was
// never handed out is recognisable.
constexpr uintptr_t kCookieTag = uintptr_t{1} << 40;

}  // namespace

bool SResManager::Initialize()
{
    ++g_initCount;
    return true;
}

void SResManager::Terminate()
{
    int count = g_initCount.load();
    while (count > 0 && !g_initCount.compare_exchange_weak(count, count - 1)) {
    }
}

bool SResManager::IsInitialized() { return g_initCount.load() > 0; }

void SResManager::ThreadInitialize(uint32_t locale, uintptr_t& cookie)
{
    cookie = kCookieTag | t_state.locale;
    t_state.locale = locale;
    ++t_state.depth;
}

void SResManager::ThreadUninitialize(uintptr_t cookie)
{
    if ((cookie & kCookieTag) == 0 || t_state.depth == 0) return;
    t_state.locale = static_cast<uint32_t>(cookie & 0xFFFFFFFFu);
    --t_state.depth;
}

uint32_t SResManager::ThreadLocale() { return t_state.locale; }

int SResManager::ThreadDepth() { return t_state.depth; }
