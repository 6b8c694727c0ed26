// The service object against two reference servers sharing one database,
// which answer each call 20 ms after running it (their --fault delay):
// threads sharing one object, and a server killed during a series of adds.
#include "tests/winelib/support/WinelibGTest.h"

#include <algorithm>
#include <atomic>
#include <set>

#include "module/LumoCommentaryModule.h"
#include "tests/winelib/service/ServiceTestSupport.h"

// The C library's kill; signal.h does not mix with the Windows headers.
extern "C" int kill(int pid, int signal);

using namespace comtest;
using namespace svctest;

// Four threads share one service object, each in the multithreaded apartment
// with requests of its own: every reply answers the thread's own request, and
// nothing is left alive.
TEST(ServiceThreads, FourThreadsShareOneServiceObject)
{
    const long live = SComObjectBase::LiveObjectCount();
    {
        ConnectedService connected;
        ASSERT_NO_FATAL_FAILURE(Connect(connected));
        ISLumoCommentaryService* service = connected.so.service.Get();
        std::vector<std::function<void()>> threads;
        for (int t = 0; t < 4; ++t)
            threads.push_back([service, t] {
                CoInitializeEx(nullptr, COINIT_MULTITHREADED);
                const std::u16string doc = UniqueDocument("threads-" + std::to_string(t));
                std::vector<std::string> added;
                for (int round = 0; round < 5; ++round) {
                    added.push_back("t" + std::to_string(t) + "-r" + std::to_string(round));
                    const auto add = Request(AddCommentRequestType, doc, Wide(added.back()));
                    EXPECT_EQ(1, Call(service, &ISLumoCommentaryService::AddComment, add.Get()).type);
                    EXPECT_EQ(added, Texts(Call(service, &ISLumoCommentaryService::GetComment,
                                                Request(GetCommentRequestType, doc).Get())));
                }
                CoUninitialize();
            });
        RunOnWindowsThreads(threads);
    }
    EXPECT_EQ(live, SComObjectBase::LiveObjectCount()) << "objects left alive";
    EXPECT_EQ(0, g_ComModule.GetLockCount());
    EXPECT_HR(S_OK, DllCanUnloadNow());
}

// Every call either answers or fails in the documented way (S_OK without a
// response), and what the servers stored is exactly what the client saw
// succeed: the kill most likely falls between an add's execution and its
// reply, which retention answers on the other server.
TEST(ServiceFailover, AServerKilledDuringAddsLosesAndRepeatsNothing)
{
    ConnectedService connected;
    ASSERT_NO_FATAL_FAILURE(Connect(connected));
    const Services& services = Services::Get();
    ASSERT_EQ(2u, services.serverPids.size());
    ISLumoCommentaryService* service = connected.so.service.Get();
    const std::u16string doc = UniqueDocument("failover");
    // The server this object talks to is the one whose log grows.
    const std::vector<long> before = services.RequestCounts();
    const auto warmUp = Request(AddCommentRequestType, doc, u"warm-up");
    ASSERT_EQ(1, Call(service, &ISLumoCommentaryService::AddComment, warmUp.Get()).type);
    const std::vector<long> after = services.RequestCounts();
    const size_t victim = after[0] > before[0] ? 0 : 1;
    ASSERT_GT(after[victim], before[victim]);

    constexpr int kAdds = 30, kKillAfter = 5;
    std::atomic<int> done{0};
    int killed = 0, withoutResponse = 0;
    std::multiset<std::string> succeeded{"warm-up"};
    auto adds = [&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; i < kAdds; ++i, ++done) {
            const std::string text = "add-" + std::to_string(i);
            ScopedComPtr<ISCommentResponse> response;
            const auto add = Request(AddCommentRequestType, doc, Wide(text));
            EXPECT_HR(S_OK, service->AddComment(add.Get(), response.Receive()));
            if (!response) ++withoutResponse;
            if (!response) continue;
            EXPECT_EQ("ISAddCommentSuccessResponse|0|success|1|", Read(response.Get()).summary);
            succeeded.insert(text);
        }
        CoUninitialize();
    };
    auto killer = [&] {
        while (done.load() < kKillAfter) Sleep(1);
        Sleep(8);  // into the next call, which the servers answer 20 ms after running it
        killed = kill(std::stoi(services.serverPids[victim]), 9 /* SIGKILL */) == 0 ? 1 : -1;
    };
    RunOnWindowsThreads({adds, killer});
    EXPECT_EQ(1, killed) << "the server was killed";
    EXPECT_TRUE(succeeded.count("add-" + std::to_string(kAdds - 1))) << "the other server took over";
    std::vector<std::string> stored =
        Texts(Call(service, &ISLumoCommentaryService::GetComment, Request(GetCommentRequestType, doc).Get()));
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(std::vector<std::string>(succeeded.begin(), succeeded.end()), stored)
        << withoutResponse << " call(s) ended without a response";
}
