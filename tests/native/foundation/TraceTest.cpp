#include <gtest/gtest.h>

#include "platform/foundation/SAssert.h"
#include "platform/foundation/STrace.h"
#include "platform/foundation/STraceCapture.h"

namespace {

using Lines = std::vector<std::string>;

// Markers in any order and repeated; absent ones stay; no second pass.
TEST(Trace, ParametersAreSubstitutedInOnePass)
{
    STraceCapture capture(14);
    STraceObj line(14, "Area", 7, 0);
    line("%3%1%3 and %2", STraceParameter("x"), STraceParameter(u"b"), STraceParameter("z"));
    line("[%1][%2] %4 %0 %", STraceParameter("%2"));
    line("%1 %2 %3", STraceParameter(-7), STraceParameter(2147483647L), STraceParameter(-9223372036854775807LL - 1));
    line(u"<%1><%2><%3>", STraceParameter(SWCharString(u"\u20AC")),
         STraceParameter(static_cast<const char16_t*>(nullptr)), STraceParameter(static_cast<const char*>(nullptr)));
    EXPECT_EQ(capture.linesUtf8(),
              (Lines{"zxz and b", "[%2][%2] %4 %0 %", "-7 2147483647 -9223372036854775808", "<\xE2\x82\xAC><><>"}));
    const STraceRecord r = capture.records()[0];
    EXPECT_EQ(std::to_string(r.level) + " " + r.area + " " + std::to_string(r.line) + " " + std::to_string(r.flag),
              "14 Area 7 0");
}

TEST(Trace, LevelAreasAndTheTraceOffFlagDecideWhatIsWritten)
{
    {
        STraceCapture capture(3);
        EXPECT_TRUE(SLogger::ShouldTrace(3, "Any") && !SLogger::ShouldTrace(14, "Any"));
        g_STraceOff = true;
        S_TRACE_ERROR("Any", 0, "suppressed");
        g_STraceOff = false;
        EXPECT_EQ(capture.linesUtf8(), Lines{});
    }
    STraceCapture capture(14, {"CComComment", "LumoCommentaryService_proxy"});
    EXPECT_FALSE(SLogger::ShouldTrace(14, "CComSortParams") || SLogger::ShouldTrace(0, nullptr));
    S_TRACE_ERROR("CComSortParams", 0, "filtered out");
    S_TRACE_ERROR("LumoCommentaryService_proxy", 0, "kept");
    EXPECT_EQ(capture.linesUtf8(), Lines{"kept"});
}

// The last Terminate leaves tracing off: no line is built only to be dropped.
TEST(Trace, TheLastTerminateSwitchesTracingOff)
{
    SLogger::Initialize();
    SLogger::Initialize();
    STraceConfig on;
    on.level = 14;
    SLogger::Configure(on);
    SLogger::Terminate();
    EXPECT_TRUE(SLogger::ShouldTrace(0, "Any"));
    SLogger::Terminate();
    EXPECT_FALSE(SLogger::ShouldTrace(0, "Any"));
    EXPECT_EQ(SLogger::Configuration().level, -1);
}

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

}  // namespace
