// The service object's whole path against the bare remote call, in one run,
// to one server:
//
//   ModuleAdd            a C++ client through the registered module: make a
//                        comment and an add request (the module's class
//                        objects), set them, AddComment, read the status,
//                        release everything.  Design decision: the objects
//                        come from class objects obtained once, as a client
//                        that makes many does; CoCreateInstance would add the
//                        object runtime's registry look-ups to every call,
//                        which are not the module's work
//   RawAdd               the same request text through the stub's execute
//                        (bench/native/rawclient), with the FT_REQUEST context
//                        the proxy also sends
//   ModuleGet/N, RawGet/N  a get of a document holding N comments (10, 1000),
//                        sorted by creation time, newest first; the module
//                        path also turns the reply into its response object
//   PairedAdd, PairedGet/N  one raw call and one module call per iteration,
//                        alternating which goes first, each timed: both see
//                        the same background load; "ratio" is module / raw
//                        (bench/support/BenchGoals.h)
//
// The request texts of the raw path are built with the model and checked at
// start against what the module sends (its "Request JSON" trace line), so
// both paths send the same text.  Goals: an add through the module at most
// 1.25 times the raw call, a get of 1,000 comments at most 1.25 times, a get
// of 10 comments at most 1.15 times.  The program prints the figures after
// the table and exits with 1 when a goal is missed.  --short: a moment of
// each, no goal checked (bench/support/BenchGoals.h).
//
// Run it with bench/winelib/service/run.sh, which starts the Naming Service
// and one server (scripts/with-services.sh) and registers the module in a
// private prefix.  Single-threaded: Google Benchmark's own threads are not
// threads of Wine's.

#include "platform/com/UnixHeadersBegin.h"
#include <benchmark/benchmark.h>
#include "bench/support/BenchGoals.h"
#include "platform/com/UnixHeadersEnd.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "bench/native/rawclient/RawCommentaryClient.h"
#include "host/CHostSession.h"
#include "model/LumoCommentaryService_Nexa_API.h"
#include "module/LumoCommentary.h"
#include "platform/com/ScopedBstr.h"
#include "platform/com/ScopedComPtr.h"
#include "platform/foundation/STraceCapture.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/SessionManager.h"
#include "service/object/ISInternalService.h"

namespace api = lumocommentaryservice_nexa_api;

namespace {

const char16_t kAddDocument[] = u"bench-add";
const char16_t kAddText[] = u"A comment of ordinary length, written by the benchmark.";
const char16_t kAppName[] = u"Bench";

struct Setup {
    ScopedComPtr<ISLumoCommentaryService> service;
    ScopedComPtr<IClassFactory> comments, addRequests, getRequests, sortParams;
    std::unique_ptr<lumo_bench::RawCommentaryClient> raw;
    std::u16string addText;
    std::map<int, std::u16string> getTexts;  // by the number of comments on the document
};
Setup* g;

std::u16string DocumentHolding(int comments) { return u"bench-get-" + SWCharString::fromUtf8(std::to_string(comments)).str(); }

// The status of a reply text (its statusCode member is the first).
bool Succeeded(const std::u16string& reply) { return reply.compare(0, 15, u"{\"statusCode\":0") == 0; }

template <class Interface>
ScopedComPtr<Interface> Create(IClassFactory* factory, REFIID riid)
{
    ScopedComPtr<Interface> object;
    factory->CreateInstance(nullptr, riid, object.ReceiveVoid());
    return object;
}

// --- the module's path ---------------------------------------------------------------

// One add as a C++ client makes it; true on success.
bool ModuleAdd()
{
    ScopedComPtr<ISComment> comment = Create<ISComment>(g->comments.Get(), IID_ISComment);
    ScopedComPtr<ISCommentRequest> request = Create<ISCommentRequest>(g->addRequests.Get(), IID_ISAddCommentRequest);
    if (!comment || !request) return false;
    ScopedBstr source(kAddDocument), text(kAddText), app(kAppName);
    comment->put_SourceCUID(source.Get());
    comment->put_Text(text.Get());
    comment->put_AppName(app.Get());
    request->put_Comment(comment.Get());
    ScopedComPtr<ISCommentResponse> response;
    LONG status = -1;
    if (FAILED(g->service->AddComment(request.Get(), response.Receive())) || !response) return false;
    response->get_StatusCode(&status);
    return status == 0;
}

// One get of the document holding n comments; true when all n came back.
bool ModuleGet(int n)
{
    ScopedComPtr<ISComment> comment = Create<ISComment>(g->comments.Get(), IID_ISComment);
    ScopedComPtr<ISGetCommentRequest> request = Create<ISGetCommentRequest>(g->getRequests.Get(), IID_ISGetCommentRequest);
    ScopedComPtr<ISSortParam> sort = Create<ISSortParam>(g->sortParams.Get(), IID_ISSortParam);
    if (!comment || !request || !sort) return false;
    ScopedBstr source(DocumentHolding(n).c_str());
    comment->put_SourceCUID(source.Get());
    request->put_Comment(comment.Get());
    sort->put_SortAttribute(SORTATTRIBUTE_CREATIONTIME);
    sort->put_SortOrder(SORTORDER_DESCENDING);
    request->AddSortParam(sort.Get());
    ScopedComPtr<ISCommentResponse> response;
    ScopedComPtr<ISGetCommentSuccessResponse> comments;
    if (FAILED(g->service->GetComment(request.Get(), response.Receive())) || !response ||
        FAILED(response.QueryInterface(IID_ISGetCommentSuccessResponse, comments)))
        return false;
    int count = 0;
    comments->get_Count(&count);
    return count == n;
}

bool RawAdd() { return Succeeded(g->raw->execute(g->addText, true)); }
bool RawGet(int n) { return Succeeded(g->raw->execute(g->getTexts.at(n), false)); }

// --- benchmarks --------------------------------------------------------------------------

void BM_ModuleAdd(benchmark::State& state)
{
    for (auto _ : state)
        if (!ModuleAdd()) state.SkipWithError("an add through the module failed");
}
BENCHMARK(BM_ModuleAdd)->UseRealTime();

void BM_RawAdd(benchmark::State& state)
{
    for (auto _ : state)
        if (!RawAdd()) state.SkipWithError("a raw add failed");
}
BENCHMARK(BM_RawAdd)->UseRealTime();

void BM_ModuleGet(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state)
        if (!ModuleGet(n)) state.SkipWithError("a get through the module failed");
}
BENCHMARK(BM_ModuleGet)->Arg(10)->Arg(1000)->UseRealTime();

void BM_RawGet(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state)
        if (!RawGet(n)) state.SkipWithError("a raw get failed");
}
BENCHMARK(BM_RawGet)->Arg(10)->Arg(1000)->UseRealTime();

void BM_PairedAdd(benchmark::State& state) { lumo_bench::Paired(state, lumo_bench::wallNs, ModuleAdd, RawAdd); }
BENCHMARK(BM_PairedAdd)->UseRealTime();

void BM_PairedGet(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    lumo_bench::Paired(state, lumo_bench::wallNs, [n] { return ModuleGet(n); }, [n] { return RawGet(n); });
}
BENCHMARK(BM_PairedGet)->Arg(10)->Arg(1000)->UseRealTime();

// --- set-up ------------------------------------------------------------------------------

std::string FirstWord(const char* text)
{
    std::istringstream in(text ? text : "");
    std::string word;
    in >> word;
    return word;
}

// The request text the module sent for its last request (from the trace).
std::u16string ModuleRequestText(const STraceCapture& capture)
{
    const std::u16string prefix = u"Request JSON: ";
    std::u16string text;
    for (const std::u16string& line : capture.lines())
        if (line.compare(0, prefix.size(), prefix) == 0) text = line.substr(prefix.size(), line.size() - prefix.size() - 1);
    return text;
}

std::u16string AddText(const SWCharString& token)
{
    api::Comment comment;
    comment.setSourceCUID(kAddDocument);
    comment.setText(kAddText);
    comment.setAppName(kAppName);
    api::AddCommentRequest request(comment);
    request.setLogonToken(token);
    return request.toJSON().str();
}

std::u16string GetText(int n, const SWCharString& token)
{
    api::Comment comment;
    comment.setSourceCUID(SWCharString(DocumentHolding(n)));
    api::GetCommentRequest request(comment);
    request.appendSortParam(api::SortParamRecord(SORTATTRIBUTE_CREATIONTIME, SORTORDER_DESCENDING));
    request.setLogonToken(token);
    return request.toJSON().str();
}

// Connects both paths, fills the get documents and checks that the raw texts
// are the module's.  Prints what failed and returns false.
bool SetUp(Setup& setup)
{
    const char* naming = std::getenv("LUMO_NAMING");
    const char* secretFile = std::getenv("LUMO_TOKEN_SECRET_FILE");
    const std::string server = FirstWord(std::getenv("LUMO_TEST_SERVER_NAMES"));
    if (!naming || !secretFile || server.empty()) {
        std::cerr << "run under scripts/with-services.sh (see bench/winelib/service/run.sh)\n";
        return false;
    }
    std::string secret;
    std::getline(std::ifstream(secretFile), secret);
    FrameworkSettings settings = FrameworkSettings::current();
    settings.naming = naming;
    FrameworkSettings::setCurrent(settings);
    SessionManager::logon(u"bench", secret);
    const SWCharString token = SessionManager::getServerSession()->getLogonToken();

    // The module, bound to the same server as the raw path.
    CHostSession::Settings sessionSettings;
    sessionSettings.logonToken = token;
    sessionSettings.serverFilter = SWCharString::fromUtf8(server);
    ScopedComPtr<ISHostSession> session(CHostSession::Create(sessionSettings));
    ScopedComPtr<ISInternalService> binding;
    HRESULT hr = CoCreateInstance(CLSID_LumoCommentaryService, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ISLumoCommentaryService, setup.service.ReceiveVoid());
    if (SUCCEEDED(hr)) hr = setup.service.QueryInterface(IID_ISInternalService, binding);
    if (SUCCEEDED(hr)) hr = binding->SetCOMSession(session.Get());
    if (SUCCEEDED(hr)) hr = binding->SetImplPointers(u"bench", u"");
    const std::pair<const CLSID*, ScopedComPtr<IClassFactory>*> factories[] = {
        {&CLSID_Comment, &setup.comments},
        {&CLSID_AddCommentRequest, &setup.addRequests},
        {&CLSID_GetCommentRequest, &setup.getRequests},
        {&CLSID_SortParam, &setup.sortParams}};
    for (const auto& [clsid, factory] : factories)
        if (SUCCEEDED(hr)) hr = CoGetClassObject(*clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory->ReceiveVoid());
    if (FAILED(hr)) {
        std::fprintf(stderr, "cannot bind the service object (0x%08X); is the module registered?\n",
                     static_cast<unsigned>(hr));
        return false;
    }
    setup.raw = std::make_unique<lumo_bench::RawCommentaryClient>(naming, "LumoCommentary", server);

    setup.addText = AddText(token);
    for (int n : {10, 1000}) {
        setup.getTexts[n] = GetText(n, token);
        api::Comment comment;
        comment.setSourceCUID(SWCharString(DocumentHolding(n)));
        comment.setAppName(kAppName);
        for (int i = 0; i < n; ++i) {
            comment.setText(SWCharString(u"Comment " + SWCharString::fromUtf8(std::to_string(i)).str() +
                                         u" of a document that is read."));
            api::AddCommentRequest seed(comment);
            seed.setLogonToken(token);
            if (!Succeeded(setup.raw->execute(seed.toJSON().str(), true))) {
                std::cerr << "filling the get documents failed\n";
                return false;
            }
        }
    }

    // Both paths send the same texts.
    const std::pair<bool (*)(), std::u16string> checks[] = {{&ModuleAdd, setup.addText},
                                                            {+[] { return ModuleGet(10); }, setup.getTexts[10]}};
    for (const auto& [call, expected] : checks) {
        STraceCapture capture(0, {"CComLumoCommentaryService"});
        STraceConfig wholeTokens = SLogger::Configuration();
        wholeTokens.wholeTokens = true;  // the texts are compared with their tokens
        SLogger::Configure(wholeTokens);
        if (!call() || ModuleRequestText(capture) != expected) {
            std::cerr << "the module sent another text than the raw path:\n  module: "
                      << SWCharString(ModuleRequestText(capture)).toUtf8() << "\n  raw:    " << SWCharString(expected).toUtf8()
                      << "\n";
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool shortRun = lumo_bench::ShortRun(argc, argv);
    benchmark::Initialize(&argc, argv);
    // The module's objects are free-threaded: the client thread joins the
    // multithreaded apartment and calls them directly.
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 2;
    int exitCode = 1;
    {
        Setup setup;
        g = &setup;
        try {
            if (SetUp(setup)) {
                lumo_bench::GoalReporter reporter({
                    lumo_bench::AtMost("an add through the module / the raw call, paired", "BM_PairedAdd/real_time",
                                       "ratio", 1.25),
                    lumo_bench::AtMost("a get of 10 comments through the module / the raw call, paired",
                                       "BM_PairedGet/10/real_time", "ratio", 1.15),
                    lumo_bench::AtMost("a get of 1,000 comments through the module / the raw call, paired",
                                       "BM_PairedGet/1000/real_time", "ratio", 1.25),
                });
                benchmark::RunSpecifiedBenchmarks(&reporter);
                exitCode = reporter.PrintGoals(std::cout, !shortRun) ? 0 : 1;
            }
        } catch (const std::exception& e) {
            std::cerr << "benchmark failed: " << e.what() << "\n";
        }
        g = nullptr;
    }
    benchmark::Shutdown();
    CoUninitialize();
    return exitCode;
}
