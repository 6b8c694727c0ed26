// Tracing: parameter substitution, levels, areas, the trace-off flag and the
// in-memory capture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/STrace.h"
#include "platform/foundation/STraceCapture.h"

namespace {

using Lines = std::vector<std::string>;

struct SubstituteCase {
    const char* name;
    const char* format;
    std::vector<STraceParameter> params;
    const char* expected;
};
void PrintTo(const SubstituteCase& c, std::ostream* os) { *os << c.name; }

const SubstituteCase kSubstituteCases[] = {
    {"AllThree", "%1, %2 and %3", {STraceParameter("a"), STraceParameter(u"b"), STraceParameter(3)}, "a, b and 3"},
    {"OutOfOrderAndRepeated", "%3%1%3", {STraceParameter("x"), STraceParameter(), STraceParameter("z")}, "zxz"},
    {"AbsentParameterKeepsItsMarker", "[%1][%2][%3]", {STraceParameter("a"), STraceParameter(), STraceParameter()},
     "[a][%2][%3]"},
    {"ParameterTextIsNotSubstitutedAgain", "%1 %2", {STraceParameter("%2"), STraceParameter("b"), STraceParameter()},
     "%2 b"},
    {"MarkersBeyondThreeStay", "%4 %0 %a %", {STraceParameter("a"), STraceParameter("b"), STraceParameter("c")},
     "%4 %0 %a %"},
    {"Integers", "%1 %2 %3",
     {STraceParameter(-7), STraceParameter(2147483647L), STraceParameter(-9223372036854775807LL - 1)},
     "-7 2147483647 -9223372036854775808"},
    {"WideAndNullTexts", "<%1><%2><%3>",
     {STraceParameter(SWCharString(u"\u20AC")), STraceParameter(static_cast<const char16_t*>(nullptr)),
      STraceParameter(static_cast<const char*>(nullptr))},
     "<\xE2\x82\xAC><><>"},
};

class TraceSubstitute : public ::testing::TestWithParam<SubstituteCase> {};

TEST_P(TraceSubstitute, OnePassOverTheFormatAlsoInTheEmittedLine)
{
    const auto& c = GetParam();
    const std::u16string out = STraceObj::Substitute(SWCharString::fromUtf8(c.format).str(), c.params.data(), 3);
    EXPECT_EQ(lumoUtf16ToUtf8(out), c.expected);
    STraceCapture capture(14);
    STraceObj(14, "Area", 7, 0)(c.format, c.params[0], c.params[1], c.params[2]);
    EXPECT_EQ(capture.linesUtf8(), Lines{c.expected});
}

INSTANTIATE_TEST_SUITE_P(Formats, TraceSubstitute, ::testing::ValuesIn(kSubstituteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TraceRecord, HoldsLevelAreaLineAndFlag)
{
    STraceCapture capture(14);
    STraceObj(0, "CComComment", 42, 2)(u"wide %1", STraceParameter("p"));
    const std::vector<STraceRecord> records = capture.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].level, 0);
    EXPECT_EQ(records[0].area, "CComComment");
    EXPECT_EQ(records[0].line, 42);
    EXPECT_EQ(records[0].flag, 2);
    EXPECT_EQ(records[0].text, u"wide p");
}

TEST(TraceFilter, LevelDecidesWhatIsWrittenAndMinusOneWritesNothing)
{
    {
        STraceCapture capture(3);
        EXPECT_TRUE(SLogger::ShouldTrace(3, "Any"));
        EXPECT_FALSE(SLogger::ShouldTrace(14, "Any"));
        S_TRACE_ERROR("Any", 0, "error line");
        STraceErrorLine("Any", 1, 0, "second %1", STraceParameter(2));
        EXPECT_EQ(capture.linesUtf8(), (Lines{"error line", "second 2"}));
    }
    STraceCapture off(-1);
    EXPECT_FALSE(SLogger::ShouldTrace(0, "Any"));
    S_TRACE_ERROR("Any", 0, "not written");
    EXPECT_TRUE(off.lines().empty());
}

TEST(TraceFilter, AreasSelectTheSources)
{
    STraceCapture capture(14, {"CComComment", "LumoCommentaryService_proxy"});
    EXPECT_TRUE(SLogger::ShouldTrace(14, "CComComment"));
    EXPECT_FALSE(SLogger::ShouldTrace(14, "CComSortParams"));
    EXPECT_FALSE(SLogger::ShouldTrace(0, nullptr));
    S_TRACE_ERROR("CComSortParams", 0, "filtered out");
    S_TRACE_ERROR("LumoCommentaryService_proxy", 0, "kept");
    EXPECT_EQ(capture.linesUtf8(), Lines{"kept"});
}

TEST(TraceFilter, GlobalTraceOffStopsErrorLines)
{
    STraceCapture capture(14);
    g_STraceOff = true;
    S_TRACE_ERROR("Any", 0, "suppressed");
    g_STraceOff = false;
    S_TRACE_ERROR("Any", 0, "written");
    EXPECT_EQ(capture.linesUtf8(), Lines{"written"});
}

TEST(TraceCapture, RestoresThePreviousConfigurationAndClears)
{
    STraceConfig outer;
    outer.level = 5;
    outer.areas = {"Outer"};
    SLogger::Configure(outer);
    {
        STraceCapture capture(14);
        S_TRACE_ERROR("Any", 0, "one");
        capture.clear();
        EXPECT_TRUE(capture.lines().empty());
    }
    const STraceConfig restored = SLogger::Configuration();
    EXPECT_EQ(restored.level, 5);
    EXPECT_EQ(restored.areas, std::vector<std::string>{"Outer"});
    EXPECT_FALSE(SLogger::ShouldTrace(0, "Any"));
    SLogger::Configure(STraceConfig());
    EXPECT_FALSE(SLogger::ShouldTrace(0, "Outer"));
}

}  // namespace
