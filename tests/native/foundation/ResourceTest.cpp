// Resource texts by message number and the per-thread resource state.
#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/SResManager.h"
#include "platform/foundation/SResString.h"

TEST(SResString, LoadsKnownNumbersSubstitutesAndNamesUnknownOnes)
{
    EXPECT_EQ(SWCharString(SResString(lumo_messages::kInvalidPointer, 1033)).toUtf8(),
              "Invalid pointer: a required output parameter was not supplied.");
    EXPECT_FALSE(SResString(12345, 1033).found());
    EXPECT_EQ(SResString(12345, 1033).text().toUtf8(), "Unknown message 12345");
    SIArray<SWCharString> texts;
    texts.append(u"timeout");
    texts.append(u"server-2");
    EXPECT_EQ(SResString::Format(lumo_messages::kReconnectFailed, 1033, texts).toUtf8(),
              "Could not reconnect to another commentary server (server-2): timeout");
}

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
