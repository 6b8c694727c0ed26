// Assertions report through a level-0 trace line and a count, and return.
#include <gtest/gtest.h>

#include <vector>

#include "platform/foundation/SAssert.h"
#include "platform/foundation/SString.h"
#include "platform/foundation/STraceCapture.h"

namespace {

TEST(SAssert, ReportsAndReturns)
{
    STraceCapture capture(0);
    const uint64_t before = SAssertCount();
    SAssert("CComComment", 12, "pVal != nullptr", "Invalid pointer pVal");
    EXPECT_EQ(SAssertCount(), before + 1);
    EXPECT_EQ(SAssertLastMessage(), "Assertion failed: pVal != nullptr: Invalid pointer pVal");
    const std::vector<STraceRecord> records = capture.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].level, 0);
    EXPECT_EQ(records[0].area, "CComComment");
    EXPECT_EQ(records[0].line, 12);
    EXPECT_EQ(lumoUtf16ToUtf8(records[0].text), "Assertion failed: pVal != nullptr: Invalid pointer pVal");
}

TEST(SAssert, MacroReportsOnlyAFalseExpressionWhileEnabled)
{
    ASSERT_TRUE(ShouldAssert());
    const uint64_t before = SAssertCount();
    const int one = 1;
    S_ASSERT_MSG("Area", one == 1, "never");
    EXPECT_EQ(SAssertCount(), before);
    S_ASSERT_MSG("Area", one == 2, "reported");
    EXPECT_EQ(SAssertCount(), before + 1);
    EXPECT_EQ(SAssertLastMessage(), "Assertion failed: one == 2: reported");

    SAssertSetEnabled(false);
    const bool should = ShouldAssert();
    S_ASSERT_MSG("Area", false, "skipped");
    const uint64_t whileDisabled = SAssertCount();
    SAssertSetEnabled(true);
    EXPECT_FALSE(should);
    EXPECT_EQ(whileDisabled, before + 1);
}

}  // namespace
