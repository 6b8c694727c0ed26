// Fail-over, reconnection and server selection through real processes, and
// text that travels unchanged.
#include <signal.h>

#include <chrono>
#include <map>

#include "platform/framework/FrameworkSettings.h"
#include "tests/native/remote_e2e/RemoteSupport.h"

using namespace std::chrono_literals;

class RemoteFailover : public RemoteFixture {};

// Text outside the basic plane travels both ways unchanged; a request longer
// than the server's limit (and than the ORB's default message limit) reaches
// the server and gets its 413 reply.
TEST_F(RemoteFailover, TextTravelsUnchangedAndAnOversizedRequestGetsTheServersReply)
{
    startServer("server-a");
    LumoCommentaryServiceHandle proxy = proxyOn(createService());
    const SWCharString doc(u"doc-\U0001D11E"), text(u"$\u00A2\u20AC\U0001D11E \U0001F600 \"q\" \\ \t end");
    ASSERT_NE(addedId(execute(proxy, addRequest(doc, text))), -1);
    const auto stored = comments(execute(proxy, getRequest(doc)));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]->getText().str(), text.str());
    EXPECT_EQ(stored[0]->getSourceCUID().str(), doc.str());

    const api::ErrorResponse tooLarge(execute(proxy, addRequest(u"doc-l", SWCharString(std::u16string(1100000, u'x')))));
    EXPECT_EQ(tooLarge.getStatusCode(), 413);
    EXPECT_EQ(tooLarge.getErrorCode().toUtf8(), "CMNTRY 401");
}

TEST_F(RemoteFailover, WithoutFailoverAServerThatLeftMakesTheServiceDeadUntilItReturns)
{
    startServer("server-a");
    startServer("server-b");
    SRefPtr<IManagedService> service = createService(u"", false, IManagedService::LB_FIRST);
    LumoCommentaryServiceHandle proxy = proxyOn(service);
    ASSERT_EQ(service->getServerName().toUtf8(), "server-a");
    ASSERT_NE(addedId(execute(proxy, addRequest(u"doc-p", u"before"))), -1);

    // An orderly stop unbinds server-a; server-b is there but not allowed.
    ASSERT_EQ(server("server-a").stop(SIGTERM, 10s), 0);
    try {
        execute(proxy, addRequest(u"doc-p", u"while away"));
        ADD_FAILURE() << "no exception";
    } catch (const NexaFrameworkException& ex) {
        EXPECT_EQ(ex.getErrorCode(), 16);
        EXPECT_EQ(ex.getMessage(), "Failed to do the reconnection as service as marked as dead");
        EXPECT_EQ(ex.getSubstParam(1).toUtf8(), "Nexa_LumoCommentary@E2E/server-a");
    }
    EXPECT_EQ(requestLog("server-b"), "") << "server-b must not have been used";

    // server-a comes back under its name: the next call reconnects.
    startServer("server-a");
    ASSERT_NE(addedId(execute(proxy, addRequest(u"doc-p", u"after"))), -1);
    EXPECT_EQ(service->getServerName().toUtf8(), "server-a");
    EXPECT_EQ(comments(execute(proxy, getRequest(u"doc-p"))).size(), 2u);
}

TEST_F(RemoteFailover, LoadBalancingSpreadsFirstPolicyPicksByNameAndFiltersSelect)
{
    startServer("server-a");
    startServer("server-b");
    startServer("other-c");
    std::map<std::string, int> chosen;
    for (int i = 0; i < 24; ++i) ++chosen[createService(u"", true, IManagedService::LB_ID)->getServerName().toUtf8()];
    EXPECT_EQ(chosen.size(), 3u) << "24 managed services did not spread over the three servers";
    EXPECT_EQ(createService(u"", true, IManagedService::LB_FIRST)->getServerName().toUtf8(), "other-c");
    EXPECT_EQ(createService(u"server-b")->getServerName().toUtf8(), "server-b");
    EXPECT_EQ(createService(u"server-*")->getDescription().toUtf8(), "Nexa_LumoCommentary@E2E/server-a");
    EXPECT_THROW(createService(u"server-z"), Nexa2Exception);
}

// The Naming Service named by a corbaloc with a dead replica first; once it is
// killed too, and then the server in use, calls go on at the other server
// from the last list of servers.
TEST_F(RemoteFailover, WithoutTheNamingServiceCallsFailOverFromTheLastServerList)
{
    startServer("server-a");
    startServer("server-b");
    FrameworkSettings settings = FrameworkSettings::current();
    settings.naming = "corbaloc::127.0.0.1:" + std::to_string(test_support::freePort()) + "," +
                      m_naming.substr(std::string("corbaloc:").size());
    FrameworkSettings::setCurrent(settings);
    SRefPtr<IManagedService> service = createService();
    LumoCommentaryServiceHandle proxy = proxyOn(service);
    ASSERT_EQ(service->getServerName().toUtf8(), "server-a");
    int answered = 0;
    for (const char* step : {"naming gone", "server-a gone"}) {
        if (std::string(step) == "naming gone") m_names.reset();
        else server("server-a").stop(SIGKILL, 5s);
        for (int i = 0; i < 20; ++i)
            answered += addedId(execute(proxy, addRequest(u"doc-n", SWCharString::fromUtf8(step)))) != -1;
    }
    EXPECT_EQ(answered, 40);
    EXPECT_EQ(service->getServerName().toUtf8(), "server-b");
}
