// Faulty servers and missing servers, through real processes.
#include <algorithm>
#include <chrono>

#include "platform/foundation/SResString.h"
#include "platform/foundation/STraceCapture.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/OrbServices.h"
#include "service/proxy/LumoCommentaryService_HelperFactory.h"
#include "tests/native/remote_e2e/RemoteSupport.h"

using namespace std::chrono_literals;

class RemoteFaults : public RemoteFixture {};

// The servant raises a user exception that execute does not declare: the
// caller sees UNKNOWN, minor 0, COMPLETED_NO, which is irrecoverable.
TEST_F(RemoteFaults, ServerUserExceptionIsSeenAsUnknownAndIsIrrecoverable)
{
    startServer("server-a", {"--fault", "user-exception"});
    LumoCommentaryServiceHandle proxy = proxyOn(createService());
    STraceCapture capture(0, {"LumoCommentaryService_proxy"});
    try {
        execute(proxy, addRequest(u"doc-u", u"x"));
        ADD_FAILURE() << "no exception";
    } catch (const NexaFrameworkException& ex) {
        EXPECT_EQ(ex.getErrorCode(), 17);
        EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kIrrecoverable);
        EXPECT_EQ(ex.getSubstParam(0).toUtf8(), "Nexa_LumoCommentary@E2E/server-a");
        EXPECT_EQ(ex.getSystemError().getName(), "UNKNOWN");
        EXPECT_EQ(ex.getSystemError().getMinor(), 0u);
        EXPECT_EQ(ex.getSystemError().getCompletion(), SCorbaSystemError::COMPLETED_NO);
    }
    EXPECT_EQ(capture.linesUtf8(),
              std::vector<std::string>{"Irrecovrable exception:UNKNOWN (minor 0x00000000, COMPLETED_NO)"});
    const std::string log = requestLog("server-a");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << "one attempt: " << log;
}

// A server that never answers: every attempt is cut to the time the call has
// left, and the call ends at its deadline as dead.
TEST_F(RemoteFaults, HungServerEndsTheCallAtItsDeadline)
{
    FrameworkSettings settings = FrameworkSettings::current();
    settings.callTimeoutMs = 400;
    settings.callDeadlineMs = 1000;
    FrameworkSettings::setCurrent(settings);
    startServer("server-a", {"--fault", "delay=20000"});
    LumoCommentaryServiceHandle proxy = proxyOn(createService());

    const auto start = std::chrono::steady_clock::now();
    try {
        execute(proxy, addRequest(u"doc-h", u"slow"));
        ADD_FAILURE() << "no exception";
    } catch (const NexaFrameworkException& ex) {
        EXPECT_EQ(ex.getErrorCode(), 16) << ex.what();
        EXPECT_EQ(ex.getMessage(), "Failed to do the reconnection as service as marked as dead");
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 900ms) << "attempts until the deadline";
    EXPECT_LT(elapsed, 3s);
}

TEST_F(RemoteFaults, WithoutServersCreationFailsAndOtherObjectsDoNotNarrow)
{
    try {
        createService();
        ADD_FAILURE() << "no exception";
    } catch (const Nexa2Exception& ex) {
        EXPECT_EQ(ex.getText().toUtf8(),
                  "No server of the service Nexa_LumoCommentary is registered in the cluster E2E (server filter: *).");
    }
    SRefPtr<IManagedService::IStubHelper> helper(LumoCommentaryService_HelperFactory().createHelper());
    CORBA::Object_var naming = OrbServices::orb()->string_to_object(m_naming.c_str());
    EXPECT_EQ(helper->narrowStub(naming.in()), nullptr);
}
