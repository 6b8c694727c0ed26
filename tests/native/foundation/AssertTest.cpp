// Assertions report through a level-0 trace line and a count, and return;
// switched off, they report nothing.
#include <gtest/gtest.h>

#include "platform/foundation/SAssert.h"
#include "platform/foundation/STraceCapture.h"

TEST(SAssert, ReportsWhileEnabledAndReturns)
{
    STraceCapture capture(0);
    const uint64_t before = SAssertCount();
    SAssert("CComComment", 12, "pVal != nullptr", "Invalid pointer pVal");
    ASSERT_EQ(capture.records().size(), 1u);
    EXPECT_EQ(std::to_string(capture.records()[0].level) + " " + capture.records()[0].area + " " +
                  std::to_string(capture.records()[0].line) + " " + SAssertLastMessage(),
              "0 CComComment 12 Assertion failed: pVal != nullptr: Invalid pointer pVal");
    SAssertSetEnabled(false);
    const bool should = ShouldAssert();
    S_ASSERT_MSG("Area", false, "skipped");
    SAssertSetEnabled(true);
    EXPECT_FALSE(should);
    EXPECT_EQ(SAssertCount(), before + 1);
}
