// Resource texts by message number and the per-thread resource state.
#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/SResManager.h"
#include "platform/foundation/SResString.h"

namespace {

constexpr uint32_t kEnglish = 1033;
constexpr uint32_t kGerman = 1031;

TEST(SResString, KnownNumbersLoadTheirTextUnknownOnesAPlaceholder)
{
    const SResString known(lumo_messages::kInvalidPointer, kEnglish);
    EXPECT_TRUE(known.found());
    const SWCharString converted = known;
    EXPECT_EQ(converted.toUtf8(), "Invalid pointer: a required output parameter was not supplied.");
    const SResString unknown(12345, kEnglish);
    EXPECT_FALSE(unknown.found());
    EXPECT_EQ(unknown.text().toUtf8(), "Unknown message 12345");
}

TEST(SResStringFormat, SubstitutesTheTextsInAnyOrderAndMissingOnesAsEmpty)
{
    SIArray<SWCharString> texts;
    texts.append(u"timeout");
    texts.append(u"server-2");
    EXPECT_EQ(SResString::Format(lumo_messages::kReconnectFailed, kEnglish, texts).toUtf8(),
              "Could not reconnect to another commentary server (server-2): timeout");
    EXPECT_EQ(SResString::Format(lumo_messages::kReconnectFailed, kEnglish, SIArray<SWCharString>()).toUtf8(),
              "Could not reconnect to another commentary server (): ");
}

TEST(SResManager, InitializeAndTerminateAreCounted)
{
    const bool wasInitialized = SResManager::IsInitialized();
    EXPECT_TRUE(SResManager::Initialize());
    EXPECT_TRUE(SResManager::Initialize());
    SResManager::Terminate();
    EXPECT_TRUE(SResManager::IsInitialized());
    SResManager::Terminate();
    EXPECT_EQ(SResManager::IsInitialized(), wasInitialized);
}

TEST(SResManager, NestedCallsRestoreTheLocaleAndUnknownCookiesAreIgnored)
{
    ASSERT_EQ(SResManager::ThreadDepth(), 0);
    uintptr_t outer = 0;
    uintptr_t inner = 0;
    SResManager::ThreadInitialize(kEnglish, outer);
    SResManager::ThreadInitialize(kGerman, inner);
    EXPECT_EQ(SResManager::ThreadLocale(), kGerman);
    EXPECT_EQ(SResManager::ThreadDepth(), 2);
    SResManager::ThreadUninitialize(0);  // never handed out
    EXPECT_EQ(SResManager::ThreadLocale(), kGerman);
    SResManager::ThreadUninitialize(inner);
    EXPECT_EQ(SResManager::ThreadLocale(), kEnglish);
    EXPECT_EQ(SResManager::ThreadDepth(), 1);
    SResManager::ThreadUninitialize(outer);
    SResManager::ThreadUninitialize(outer);  // one too many: nothing left to close
    EXPECT_EQ(SResManager::ThreadLocale(), 0u);
    EXPECT_EQ(SResManager::ThreadDepth(), 0);
}

TEST(SResManager, EachThreadHasItsOwnState)
{
    uintptr_t cookie = 0;
    SResManager::ThreadInitialize(kGerman, cookie);
    uint32_t otherLocale = 1;
    int otherDepth = 1;
    std::thread([&] {
        otherLocale = SResManager::ThreadLocale();
        otherDepth = SResManager::ThreadDepth();
    }).join();
    SResManager::ThreadUninitialize(cookie);
    EXPECT_EQ(otherLocale, 0u);
    EXPECT_EQ(otherDepth, 0);
}

}  // namespace
