// Resource texts by message number and the per-thread resource state.
#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/SResManager.h"
#include "platform/foundation/SResString.h"

namespace {

constexpr uint32_t kEnglish = 1033;
constexpr uint32_t kGerman = 1031;

TEST(SResString, KnownNumberLoadsItsText)
{
    const SResString text(lumo_messages::kInvalidPointer, kEnglish);
    EXPECT_TRUE(text.found());
    const SWCharString converted = text;
    EXPECT_EQ(converted.toUtf8(), "Invalid pointer: a required output parameter was not supplied.");
}

TEST(SResString, UnknownNumberLoadsAPlaceholder)
{
    const SResString text(12345, kEnglish);
    EXPECT_FALSE(text.found());
    EXPECT_EQ(text.text().toUtf8(), "Unknown message 12345");
}

TEST(SResStringFormat, SubstitutesTheTextsInAnyOrder)
{
    SIArray<SWCharString> texts;
    texts.append(u"timeout");
    texts.append(u"server-2");
    EXPECT_EQ(SResString::Format(lumo_messages::kReconnectFailed, kEnglish, texts).toUtf8(),
              "Could not reconnect to another commentary server (server-2): timeout");
}

TEST(SResStringFormat, MissingTextsBecomeEmpty)
{
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

TEST(SResManager, NestedCallsRestoreTheLocaleAroundThem)
{
    ASSERT_EQ(SResManager::ThreadDepth(), 0);
    uintptr_t outer = 0;
    uintptr_t inner = 0;
    SResManager::ThreadInitialize(kEnglish, outer);
    EXPECT_EQ(SResManager::ThreadLocale(), kEnglish);
    SResManager::ThreadInitialize(kGerman, inner);
    EXPECT_EQ(SResManager::ThreadLocale(), kGerman);
    EXPECT_EQ(SResManager::ThreadDepth(), 2);
    SResManager::ThreadUninitialize(inner);
    EXPECT_EQ(SResManager::ThreadLocale(), kEnglish);
    EXPECT_EQ(SResManager::ThreadDepth(), 1);
    SResManager::ThreadUninitialize(outer);
    EXPECT_EQ(SResManager::ThreadLocale(), 0u);
    EXPECT_EQ(SResManager::ThreadDepth(), 0);
}

TEST(SResManager, ACookieNeverHandedOutIsIgnored)
{
    uintptr_t cookie = 0;
    SResManager::ThreadInitialize(kGerman, cookie);
    SResManager::ThreadUninitialize(0);
    EXPECT_EQ(SResManager::ThreadLocale(), kGerman);
    SResManager::ThreadUninitialize(cookie);
    SResManager::ThreadUninitialize(cookie);  // one too many: nothing left to close
    EXPECT_EQ(SResManager::ThreadDepth(), 0);
    EXPECT_EQ(SResManager::ThreadLocale(), 0u);
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
