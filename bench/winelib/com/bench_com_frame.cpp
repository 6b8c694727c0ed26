// Cost of the automation method frame.
//
//   DispatchCommentId      CommentId read through IDispatch::Invoke on the
//                          module's comment object (tracing off)
//   DispatchDictionaryCount  Count read through IDispatch::Invoke on Wine's
//                          Scripting.Dictionary, the peer, created in the same
//                          single-threaded apartment
//   VtableCommentId/TracingOff  get_CommentId through the vtable
//   VtableCommentId/TracingOn   the same with both trace lines written to a
//                          file
//
// Targets: the dispatched read costs at most 1.5 times the peer's; with
// tracing off a vtable read costs at most a tenth of one with tracing on.
// The program prints the ratios after the table and exits with 1 when a
// target is missed (--short: a moment of each, no target checked).  Runs on
// the main thread, a single-threaded apartment; the module must be
// registered (see CMakeLists.txt).

#include "platform/com/UnixHeadersBegin.h"
#include <benchmark/benchmark.h>
#include "bench/support/BenchGoals.h"
#include "platform/com/UnixHeadersEnd.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <map>
#include <string>

#include "module/LumoCommentary.h"
#include "platform/foundation/SLogger.h"

namespace {

ISComment* g_comment = nullptr;
IDispatch* g_commentDispatch = nullptr;
IDispatch* g_dictionary = nullptr;
DISPID g_countId = 0;

// Trace configuration of the module's logger (shared with this program).
void SetTracing(bool on)
{
    STraceConfig config;
    if (on) {
        config.level = 14;
        config.file = "bench_com_frame.trace";
    }
    SLogger::Configure(config);
}

void InvokeGet(benchmark::State& state, IDispatch* object, DISPID id)
{
    DISPPARAMS noArgs{};
    VARIANT result;
    VariantInit(&result);
    for (auto _ : state) {
        const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &noArgs, &result,
                                          nullptr, nullptr);
        if (FAILED(hr)) {
            state.SkipWithError("Invoke failed");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
}

void DispatchCommentId(benchmark::State& state)
{
    SetTracing(false);
    InvokeGet(state, g_commentDispatch, 1);
}
BENCHMARK(DispatchCommentId);

void DispatchDictionaryCount(benchmark::State& state)
{
    SetTracing(false);
    InvokeGet(state, g_dictionary, g_countId);
}
BENCHMARK(DispatchDictionaryCount);

void VtableCommentId(benchmark::State& state)
{
    SetTracing(state.range(0) != 0);
    LONG id = 0;
    for (auto _ : state) {
        g_comment->get_CommentId(&id);
        benchmark::DoNotOptimize(id);
    }
    SetTracing(false);
}
BENCHMARK(VtableCommentId)->ArgName("TracingOn")->Arg(0)->Arg(1);

// Keeps the real time per iteration of every benchmark for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred) times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

bool Create()
{
    if (FAILED(CoCreateInstance(CLSID_Comment, nullptr, CLSCTX_INPROC_SERVER, IID_ISComment,
                                reinterpret_cast<void**>(&g_comment))) ||
        FAILED(g_comment->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&g_commentDispatch)))) {
        std::fprintf(stderr, "bench_com_frame: the comment object cannot be created (is the module registered?)\n");
        return false;
    }
    CLSID dictionary;
    LPOLESTR count = const_cast<LPOLESTR>(u"Count");
    if (FAILED(CLSIDFromProgID(u"Scripting.Dictionary", &dictionary)) ||
        FAILED(CoCreateInstance(dictionary, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&g_dictionary))) ||
        FAILED(g_dictionary->GetIDsOfNames(IID_NULL, &count, 1, LOCALE_USER_DEFAULT, &g_countId))) {
        std::fprintf(stderr, "bench_com_frame: Scripting.Dictionary cannot be created\n");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool shortRun = lumo_bench::ShortRun(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    SLogger::Initialize();
    if (!Create()) return 2;

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    int status = 0;
    auto ratio = [&](const char* label, const std::string& a, const std::string& b, double limit) {
        if (!reporter.times.count(a) || !reporter.times.count(b)) return;
        const double value = reporter.times[a] / reporter.times[b];
        const bool met = value <= limit;
        std::printf("%-52s %8.3f  (target <= %.2f: %s)\n", label, value, limit, met ? "met" : "MISSED");
        if (!met && !shortRun) status = 1;
    };
    ratio("dispatched CommentId / dispatched Dictionary.Count", "DispatchCommentId", "DispatchDictionaryCount", 1.5);
    ratio("vtable CommentId, tracing off / tracing on", "VtableCommentId/TracingOn:0", "VtableCommentId/TracingOn:1",
          0.1);

    g_commentDispatch->Release();
    g_comment->Release();
    g_dictionary->Release();
    SLogger::Terminate();
    CoUninitialize();
    benchmark::Shutdown();
    return status;
}
