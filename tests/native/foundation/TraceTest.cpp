// Tracing: parameter substitution, the record handed over, levels, areas,
// the trace-off flag and the logger's life.
#include <gtest/gtest.h>

#include "platform/foundation/STrace.h"
#include "platform/foundation/STraceCapture.h"

namespace {

using Lines = std::vector<std::string>;

// One pass over the format: markers in any order and repeated; an absent
// parameter keeps its marker; a parameter's text is not substituted again;
// markers beyond three stay; integers, wide and null texts.
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
        EXPECT_TRUE(SLogger::ShouldTrace(3, "Any"));
        EXPECT_FALSE(SLogger::ShouldTrace(14, "Any"));
        STraceErrorLine("Any", 1, 2, "error %1", STraceParameter(2));
        g_STraceOff = true;
        S_TRACE_ERROR("Any", 0, "suppressed");
        g_STraceOff = false;
        EXPECT_EQ(capture.linesUtf8(), Lines{"error 2"});
        EXPECT_EQ(capture.records()[0].flag, 2);
    }
    {
        STraceCapture capture(14, {"CComComment", "LumoCommentaryService_proxy"});
        EXPECT_FALSE(SLogger::ShouldTrace(14, "CComSortParams") || SLogger::ShouldTrace(0, nullptr));
        S_TRACE_ERROR("CComSortParams", 0, "filtered out");
        S_TRACE_ERROR("LumoCommentaryService_proxy", 0, "kept");
        EXPECT_EQ(capture.linesUtf8(), Lines{"kept"});
    }
    STraceCapture off(-1);
    EXPECT_FALSE(SLogger::ShouldTrace(0, "Any"));
}

// Initialize and Terminate are counted; the last Terminate leaves tracing
// off, so that no line is built only to be dropped.
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

}  // namespace
