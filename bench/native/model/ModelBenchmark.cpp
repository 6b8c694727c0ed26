// The model's JSON work against RapidJSON doing the same raw work in the same
// run:
//   ReadGetResponse/N   GetCommentSuccessResponse from a text of N comments
//   RawParse/N          the same text parsed into a lumo_json::Document
//                       (default flags, and the iterative parser the model uses)
//   PairedRead/N        one of each per iteration, alternating, each timed by
//                       the thread's CPU clock: reading / RapidJSON's default
//                       parse ("ratio")
//   WriteAddRequest     toJSON of an add request with every comment field set
//   RawWrite            the same document, already built, written out
// Goal: reading a get response of 10,000 comments at most 1.5 times the
// default parse of the same text.  The figures follow the table; the program
// exits with 1 when the goal is missed.  --short: a moment of each, no goal
// checked (bench/support/BenchGoals.h).
#include <benchmark/benchmark.h>
#include <time.h>

#include <iostream>
#include <string>

#include "bench/support/BenchGoals.h"
#include "model/LumoCommentaryService_Nexa_API.h"

namespace {

using namespace lumocommentaryservice_nexa_api;

Comment fullComment(int32_t id)
{
    Comment c;
    c.setCommentId(id);
    c.setSourceCUID(u"AZx4k2Qn7PqL0_QuarterlyRevenueReport");
    c.setOwnerCUID(u"user-0001001");
    c.setText(u"Revenue for Q3 looks about twelve percent too high; please check the currency conversion.");
    c.setUserName(u"Ada Lovelace");
    c.setLastModifiedUserCuid(u"user-0001002");
    c.setLastModifiedUserName(u"Grace Hopper");
    c.setCreationTimestamp(1700000000123 + id);
    c.setLastModifiedTimestamp(1700000999000 + id);
    c.setLogicalReportId(u"LRI-2023-Q3-0042");
    c.setContextCommon(u"page=3;cell=D17");
    c.setAppName(u"Lumo Reports");
    c.setAppContext(u"dashboard/finance");
    c.setAppDatapath(u"/finance/q3/revenue");
    c.setOptionKey1(u"region=EMEA");
    c.setOptionKey2(u"currency=EUR");
    c.setOptionKey3(u"");
    c.setOptionKey4(u"v2");
    c.setConnecXion(u"cx-17");
    c.setHidden(id % 7 == 0);
    return c;
}

// A get response text, written by RapidJSON itself.
SWCharString getResponseText(int count)
{
    lumo_json::Document document;
    document.SetObject();
    lumo_json::Allocator& allocator = document.GetAllocator();
    document.AddMember(lumo_json::Value(rapidjson::StringRef(u"statusCode")), lumo_json::Value(0), allocator);
    document.AddMember(lumo_json::Value(rapidjson::StringRef(u"description")),
                       lumo_json::Value(rapidjson::StringRef(u"success")), allocator);
    document.AddMember(lumo_json::Value(rapidjson::StringRef(u"responseType")), lumo_json::Value(2), allocator);
    lumo_json::Value comments(rapidjson::kArrayType);
    for (int i = 0; i < count; ++i) {
        lumo_json::Value object(rapidjson::kObjectType);
        fullComment(i).toJSON(object, allocator);
        comments.PushBack(object, allocator);
    }
    document.AddMember(lumo_json::Value(rapidjson::StringRef(u"comments")), comments, allocator);
    return SWCharString(lumo_json::write(document));
}

void setCounters(benchmark::State& state, const SWCharString& text)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.length() * sizeof(char16_t)));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void ReadGetResponse(benchmark::State& state)
{
    const SWCharString text = getResponseText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        GetCommentSuccessResponse response(text);
        benchmark::DoNotOptimize(response.getCommentCount());
    }
    setCounters(state, text);
}

void RawParseDefault(benchmark::State& state)
{
    const SWCharString text = getResponseText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        lumo_json::Document document;
        document.Parse<rapidjson::kParseDefaultFlags>(text.c_str());
        benchmark::DoNotOptimize(document.IsObject());
    }
    setCounters(state, text);
}

void RawParseIterative(benchmark::State& state)
{
    const SWCharString text = getResponseText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        lumo_json::Document document;
        document.Parse<rapidjson::kParseIterativeFlag>(text.c_str());
        benchmark::DoNotOptimize(document.IsObject());
    }
    setCounters(state, text);
}

// CPU time of the calling thread: what the machine's other work cannot add to.
double threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

void PairedRead(benchmark::State& state)
{
    const SWCharString text = getResponseText(static_cast<int>(state.range(0)));
    lumo_bench::Paired(
        state, threadCpuNs,
        [&] { return GetCommentSuccessResponse(text).getCommentCount() == static_cast<std::size_t>(state.range(0)); },
        [&] {
            lumo_json::Document document;
            document.Parse<rapidjson::kParseDefaultFlags>(text.c_str());
            return document.IsObject();
        });
}

void WriteAddRequest(benchmark::State& state)
{
    AddCommentRequest request(fullComment(12));
    request.setLogonToken(u"LT1:ada:1700003600000:0123456789abcdef0123456789abcdef");
    for (auto _ : state) {
        const SWCharString text = request.toJSON();
        benchmark::DoNotOptimize(text.length());
    }
}

void RawWrite(benchmark::State& state)
{
    AddCommentRequest request(fullComment(12));
    request.setLogonToken(u"LT1:ada:1700003600000:0123456789abcdef0123456789abcdef");
    lumo_json::Document document;
    document.SetObject();
    request.addJSONMembers(document);
    for (auto _ : state) {
        lumo_json::StringBuffer buffer;
        lumo_json::Writer writer(buffer);
        document.Accept(writer);
        benchmark::DoNotOptimize(buffer.GetSize());
    }
}

}  // namespace

BENCHMARK(ReadGetResponse)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(RawParseDefault)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(RawParseIterative)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(PairedRead)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteAddRequest)->Unit(benchmark::kMicrosecond);
BENCHMARK(RawWrite)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    const bool shortRun = lumo_bench::ShortRun(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    lumo_bench::GoalReporter reporter({
        lumo_bench::Shown("reading 1,000 comments / RapidJSON's default parse", "PairedRead/1000", "ratio"),
        lumo_bench::AtMost("reading 10,000 comments / RapidJSON's default parse", "PairedRead/10000", "ratio", 1.5),
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.PrintGoals(std::cout, !shortRun) ? 0 : 1;
}
