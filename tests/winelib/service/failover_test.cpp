// A server killed while one service object sends a series of adds: every call
// either answers or fails in the documented way (S_OK without a response),
// and what the servers stored is exactly what the client saw succeed.  The
// servers answer each call 20 ms after running it (their --fault delay), so
// the kill most likely falls between an add's execution and its reply.
#include "tests/winelib/support/WinelibGTest.h"

#include <algorithm>
#include <atomic>
#include <set>

#include "tests/winelib/service/ServiceTestSupport.h"

// The C library's kill; signal.h does not mix with the Windows headers.
extern "C" int kill(int pid, int signal);

using namespace comtest;
using namespace svctest;

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
    ASSERT_EQ("AddCommentSuccessResponse",
              Call(service, &ISLumoCommentaryService::AddComment, AddRequest(doc, u"warm-up").Get()).cls);
    const std::vector<long> after = services.RequestCounts();
    const size_t victim = after[0] > before[0] ? 0 : 1;
    ASSERT_GT(after[victim], before[victim]);

    constexpr int kAdds = 30, kKillAfter = 5;
    std::atomic<int> done{0};
    int killed = 0;
    WinThread killer([&] {
        while (done.load() < kKillAfter) Sleep(1);
        Sleep(8);  // into the next call, which the servers answer 20 ms after running it
        killed = kill(services.serverPids[victim], 9 /* SIGKILL */) == 0 ? 1 : -1;
    });
    std::multiset<std::string> succeeded{"warm-up"};
    int withoutResponse = 0;
    for (int i = 0; i < kAdds; ++i) {
        const std::string text = "add-" + std::to_string(i);
        ScopedComPtr<ISCommentResponse> response;
        EXPECT_HR(S_OK, service->AddComment(AddRequest(doc, Wide(text)).Get(), response.Receive())) << text;
        if (response) {
            const Reply reply = Read(response.Get());
            EXPECT_EQ("AddCommentSuccessResponse", reply.cls) << text << ": " << reply.description;
            if (reply.status == 0) succeeded.insert(text);
        } else {
            ++withoutResponse;
        }
        ++done;
    }
    killer.Join();
    EXPECT_EQ(1, killed) << "the server was killed";
    EXPECT_TRUE(succeeded.count("add-" + std::to_string(kAdds - 1))) << "the other server took over";

    std::vector<std::string> stored = Texts(Call(service, &ISLumoCommentaryService::GetComment,
                                                 GetRequest(doc, -1, 0, 0, true).Get()));
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(std::vector<std::string>(succeeded.begin(), succeeded.end()), stored)
        << withoutResponse << " call(s) ended without a response";
}
