// The proxy's path (framework + managed service + proxy + plain handle)
// against the raw omniORB stub call of the same request text to the same
// server, in the same run, from one and from two client threads.
//
// Set-up (stopped by process id at the end): a private omniNames and one
// commentary server on 127.0.0.1 (free ports, SQLite in a temporary folder).
// BM_Paired* time one raw call and one proxy call per iteration (the ratio
// counter); the others measure each path on its own.
// Requests: a get of a document holding five comments (read-only, so the
// exactly-once bookkeeping does not differ between the two paths), and an add
// (both paths carry the FT_REQUEST context, so both pay for the reply table).
// Target: the proxy's path at most 10 % over the raw stub call, paired, from
// one thread and from two with the shared session lock; the program exits
// with 1 when it is missed.  --short: a moment of each, no target checked
// (bench/support/BenchGoals.h).
#include <benchmark/benchmark.h>
#include <signal.h>

#include <chrono>
#include <iostream>

#include "bench/support/BenchGoals.h"
#include "idl/LumoCommentaryService.hh"
#include "model/LumoCommentaryService_Nexa_API.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/FtRequestTracker.h"
#include "platform/framework/ManagedService.h"
#include "platform/framework/NativeChar_Services.h"
#include "platform/framework/OrbServices.h"
#include "platform/framework/ServerKinds.h"
#include "platform/framework/ServiceMgrFactory.h"
#include "platform/framework/SessionManager.h"
#include "service/proxy/LumoCommentaryServiceHandle.h"
#include "service/proxy/LumoCommentaryService_HelperFactory.h"
#include "tests/native/support/Processes.h"

namespace api = lumocommentaryservice_nexa_api;
using namespace std::chrono_literals;

namespace {

constexpr char kSecret[] = "bench-secret";

LumoCommentaryService_var g_stub;
LumoCommentaryServiceHandle g_exclusive;  // default session lock: one attempt at a time
LumoCommentaryServiceHandle g_shared;     // LUMO_SESSION_LOCK=shared
SWCharString g_getText;
SWCharString g_addText;

CORBA::WChar* toWide(const SWCharString& text)
{
    CORBA::WChar* out = CORBA::wstring_alloc(static_cast<CORBA::ULong>(text.length()));
    for (std::size_t i = 0; i < text.length(); ++i) out[i] = static_cast<CORBA::WChar>(text.str()[i]);
    out[text.length()] = 0;
    return out;
}

bool success(const SWCharString& reply) { return reply.length() > 14 && reply.str()[14] == u'0'; }

// The raw stub: the caller converts the text, calls, converts the reply back.
SWCharString rawCall(const SWCharString& request)
{
    CORBA::WString_var wide = toWide(request);
    CORBA::WString_var reply = g_stub->execute(wide.in());
    std::size_t length = 0;
    while (reply[length]) ++length;
    std::u16string text(length, u'\0');
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char16_t>(reply[i]);
    return SWCharString(std::move(text));
}

void BM_RawStubGet(benchmark::State& state)
{
    for (auto _ : state)
        if (!success(rawCall(g_getText))) state.SkipWithError("a get failed");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawStubGet)->UseRealTime()->Threads(1)->Threads(2);

void BM_ProxyGet(benchmark::State& state)
{
    const SNexaString request(g_getText);
    for (auto _ : state)
        if (!success(g_exclusive.execute(request))) state.SkipWithError("a get failed");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProxyGet)->UseRealTime()->Threads(1)->Threads(2);

void BM_ProxyGetSharedLock(benchmark::State& state)
{
    const SNexaString request(g_getText);
    for (auto _ : state)
        if (!success(g_shared.execute(request))) state.SkipWithError("a get failed");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProxyGetSharedLock)->UseRealTime()->Threads(1)->Threads(2);

void BM_RawStubAdd(benchmark::State& state)
{
    for (auto _ : state) {
        FtRequestTracker::begin(600000);
        if (!success(rawCall(g_addText))) state.SkipWithError("an add failed");
        FtRequestTracker::end();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawStubAdd)->UseRealTime()->Threads(1);

void BM_ProxyAdd(benchmark::State& state)
{
    const SNexaString request(g_addText);
    for (auto _ : state)
        if (!success(g_exclusive.execute(request))) state.SkipWithError("an add failed");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProxyAdd)->UseRealTime()->Threads(1);

// Paired measurement: every iteration makes one raw stub call and one call
// through the proxy (alternating which goes first) and times each, so that
// both see the same background load; the counters give the mean time of each
// and their ratio.  This is the figure the target is judged by on a shared
// machine.
void pairedCalls(benchmark::State& state, const LumoCommentaryServiceHandle& proxy)
{
    using Clock = std::chrono::steady_clock;
    const SNexaString request(g_getText);
    double rawNs = 0;
    double proxyNs = 0;
    bool rawFirst = true;
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        const bool ok1 = rawFirst ? success(rawCall(g_getText)) : success(proxy.execute(request));
        const Clock::time_point t1 = Clock::now();
        const bool ok2 = rawFirst ? success(proxy.execute(request)) : success(rawCall(g_getText));
        const Clock::time_point t2 = Clock::now();
        if (!ok1 || !ok2) state.SkipWithError("a get failed");
        const double first = std::chrono::duration<double, std::nano>(t1 - t0).count();
        const double second = std::chrono::duration<double, std::nano>(t2 - t1).count();
        rawNs += rawFirst ? first : second;
        proxyNs += rawFirst ? second : first;
        rawFirst = !rawFirst;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["raw_us"] = benchmark::Counter(rawNs / n / 1000, benchmark::Counter::kAvgThreads);
    state.counters["proxy_us"] = benchmark::Counter(proxyNs / n / 1000, benchmark::Counter::kAvgThreads);
    state.counters["ratio"] = benchmark::Counter(rawNs > 0 ? proxyNs / rawNs : 0, benchmark::Counter::kAvgThreads);
}

void BM_PairedGet(benchmark::State& state) { pairedCalls(state, g_exclusive); }
BENCHMARK(BM_PairedGet)->UseRealTime()->Threads(1)->Threads(2);

void BM_PairedGetSharedLock(benchmark::State& state) { pairedCalls(state, g_shared); }
BENCHMARK(BM_PairedGetSharedLock)->UseRealTime()->Threads(1)->Threads(2);

// --- the proxy's own cost, without a network ------------------------------------
// A stub that answers at once, and a managed service that always hands it
// out: the difference between the two benchmarks below is what the loop
// (pulse, session lock, checks, downcast, FT request bookkeeping, handle
// conversions) adds to a call.

class LocalStub : public _objref_LumoCommentaryService {
public:
    ::CORBA::WChar* execute(const ::CORBA::WChar* request) override { return CORBA::wstring_dup(request); }
};

class LocalManagedService : public ManagedService {
public:
    explicit LocalManagedService(LocalStub* stub)
        : ManagedService(NativeChar_Services::Nexa_LumoCommentary, nullptr, FrameworkSettings()), m_stub(stub)
    {
    }
    bool checkState() override { return true; }
    CORBA::Object* getStub() override { return m_stub; }

private:
    LocalStub* m_stub;
};

LocalStub g_localStub;

void BM_LocalStubDirect(benchmark::State& state)
{
    for (auto _ : state) {
        CORBA::WString_var wide = toWide(g_getText);
        CORBA::WString_var reply = g_localStub.execute(wide.in());
        benchmark::DoNotOptimize(reply.in());
    }
}
BENCHMARK(BM_LocalStubDirect);

void BM_LocalProxy(benchmark::State& state)
{
    SRefPtr<LocalManagedService> service(new LocalManagedService(&g_localStub));
    LumoCommentaryServiceHandle proxy = LumoCommentaryServiceHandle::createProxy(service.get());
    const SNexaString request(g_getText);
    for (auto _ : state) benchmark::DoNotOptimize(proxy.execute(request));
}
BENCHMARK(BM_LocalProxy);

// The paired figures, proxy over raw stub, with the target where there is one.
std::vector<lumo_bench::Goal> Goals()
{
    return {lumo_bench::AtMost("get, one thread: proxy / raw stub, paired", "BM_PairedGet/real_time/threads:1",
                               "ratio", 1.10),
            lumo_bench::Shown("get, two threads, default session lock", "BM_PairedGet/real_time/threads:2", "ratio"),
            lumo_bench::Shown("get, one thread, shared session lock", "BM_PairedGetSharedLock/real_time/threads:1",
                              "ratio"),
            lumo_bench::AtMost("get, two threads, shared session lock", "BM_PairedGetSharedLock/real_time/threads:2",
                               "ratio", 1.10)};
}

LumoCommentaryServiceHandle makeProxy(bool sharedLock)
{
    FrameworkSettings settings = FrameworkSettings::current();
    settings.sharedSessionLock = sharedLock;
    FrameworkSettings::setCurrent(settings);
    SRefPtr<ServerSpec> spec(new ServerSpec(ServerKinds::UNSPECIFIED, ServerKinds::PJS, u"Bench", u"", true));
    LumoCommentaryService_HelperFactory factory;
    SRefPtr<IServerSession> session = SessionManager::getServerSession();
    SRefPtr<IManagedService> service;
    ServiceMgrFactory::getServiceMgr()->createManagedService(service, IManagedService::LB_FIRST,
                                                             NativeChar_Services::Nexa_LumoCommentary, spec,
                                                             session->getUserURI(), session->getLogonToken(), &factory);
    return LumoCommentaryServiceHandle::createProxy(service.get());
}

}  // namespace

int main(int argc, char** argv)
{
    const bool shortRun = lumo_bench::ShortRun(argc, argv);
    benchmark::Initialize(&argc, argv);
    test_support::TempDir dir;
    test_support::NamingService names(dir);
    if (!names.ready(10s)) {
        std::cerr << "omniNames did not start: " << names.output() << std::endl;
        return 1;
    }
    const std::string naming = names.ref();
    test_support::ChildProcess server(
        {LUMO_SERVER_BINARY, "--naming", naming, "--cluster", "Bench", "--name", "bench-1", "--endpoint",
         "giop:tcp:127.0.0.1:" + std::to_string(test_support::freePort()), "--sqlite", dir.file("bench.db"),
         "--token-secret-file", test_support::writePrivateFile(dir.file("secret"), kSecret), "--ior-file", dir.file("ior")},
        dir.file("server.out"));
    if (!server.waitForOutput("ready\n", 15s)) {
        std::cerr << "the server did not start: " << server.output() << std::endl;
        return 1;
    }

    int exitCode = 0;
    try {
        FrameworkSettings settings = FrameworkSettings::fromEnvironment();
        settings.naming = naming;
        FrameworkSettings::setCurrent(settings);
        SessionManager::logon(u"bench", kSecret);
        const SWCharString token = SessionManager::getServerSession()->getLogonToken();
        g_exclusive = makeProxy(false);
        g_shared = makeProxy(true);
        const std::string ior = test_support::readFile(dir.file("ior"));
        CORBA::Object_var object = OrbServices::orb()->string_to_object(ior.substr(0, ior.find('\n')).c_str());
        g_stub = LumoCommentaryService::_narrow(object);
        OrbServices::applyCallTimeout(g_stub, settings.callTimeoutMs);

        api::Comment comment;
        comment.setSourceCUID(u"bench-doc");
        comment.setText(u"A comment of ordinary length, written by the benchmark.");
        comment.setAppName(u"Bench");
        api::AddCommentRequest add(comment);
        add.setLogonToken(token);
        g_addText = add.toJSON();
        api::Comment seeded;
        seeded.setSourceCUID(u"bench-read");
        seeded.setText(u"One of five comments that every get reads.");
        api::AddCommentRequest seed(seeded);
        seed.setLogonToken(token);
        for (int i = 0; i < 5; ++i) rawCall(seed.toJSON());
        api::GetCommentRequest get(seeded);
        get.appendSortParam(api::SortParamRecord(1, 1));
        get.setLogonToken(token);
        g_getText = get.toJSON();

        lumo_bench::GoalReporter reporter(Goals());
        benchmark::RunSpecifiedBenchmarks(&reporter);
        if (!reporter.PrintGoals(std::cout, !shortRun)) exitCode = 1;
        benchmark::Shutdown();
    } catch (const std::exception& e) {
        std::cerr << "benchmark set-up failed: " << e.what() << std::endl;
        exitCode = 1;
    } catch (const CORBA::Exception& e) {
        std::cerr << "benchmark set-up failed: CORBA " << e._name() << std::endl;
        exitCode = 1;
    }
    g_stub = LumoCommentaryService::_nil();
    g_exclusive.reset();
    g_shared.reset();
    server.stop(SIGTERM, 10s);
    return exitCode;
}
