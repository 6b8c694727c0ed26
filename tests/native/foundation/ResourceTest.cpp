// The per-thread resource state.  (The message texts and their substitution
// reach the tests through the error information the module reports.)
#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/SResManager.h"

// Initialize and Terminate are counted.  Nested thread calls restore the
// locale; an unknown cookie and one call too many are ignored; every thread
// has a state of its own.
TEST(SResManager, CountsItsLifeAndNestsOneStatePerThread)
{
    EXPECT_TRUE(SResManager::Initialize() && SResManager::Initialize());
    SResManager::Terminate();
    EXPECT_TRUE(SResManager::IsInitialized());
    SResManager::Terminate();
    uintptr_t outer = 0, inner = 0;
    SResManager::ThreadInitialize(1033, outer);
    SResManager::ThreadInitialize(1031, inner);
    SResManager::ThreadUninitialize(0);
    EXPECT_EQ(SResManager::ThreadLocale() + SResManager::ThreadDepth(), 1033u);
    uint32_t other = 1;
    std::thread([&] { other = SResManager::ThreadLocale() + SResManager::ThreadDepth(); }).join();
    EXPECT_EQ(other, 0u);
    SResManager::ThreadUninitialize(inner);
    EXPECT_EQ(SResManager::ThreadLocale(), 1033u);
    SResManager::ThreadUninitialize(outer);
    SResManager::ThreadUninitialize(outer);
    EXPECT_EQ(SResManager::ThreadLocale() + SResManager::ThreadDepth(), 0u);
}
