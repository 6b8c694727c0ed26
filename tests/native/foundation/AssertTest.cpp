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
    SAssertSetEnabled(false);
    S_ASSERT_MSG("Area", false, "skipped");
    SAssertSetEnabled(true);
    ASSERT_EQ(capture.records().size(), 1u);
    const STraceRecord r = capture.records()[0];
    EXPECT_EQ(std::to_string(r.level) + " " + r.area + " " + std::to_string(r.line) + " " + SAssertLastMessage(),
              "0 CComComment 12 Assertion failed: pVal != nullptr: Invalid pointer pVal");
    EXPECT_EQ(SAssertCount(), before + 1);
}
