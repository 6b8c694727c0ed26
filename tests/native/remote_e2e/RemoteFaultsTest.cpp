// Faulty servers, injected failures and missing servers, through real
// processes.
#include <chrono>

#include "platform/foundation/SResString.h"
#include "platform/foundation/STraceCapture.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/ManagedService.h"
#include "platform/framework/OrbServices.h"
#include "platform/framework/TestExceptionScript.h"
#include "service/proxy/LumoCommentaryService_HelperFactory.h"
#include "tests/native/remote_e2e/RemoteSupport.h"

using namespace std::chrono_literals;

class RemoteFaults : public RemoteFixture {};

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
        EXPECT_EQ(ex.getMessage(), "CORBA system exception that is irrecovrable");
        EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kIrrecoverable);
        // (the ORB reports it with COMPLETED_MAYBE; UNKNOWN is irrecoverable whatever the status)
        EXPECT_EQ(ex.getSystemError().getName(), "UNKNOWN");
        EXPECT_EQ(ex.getSubstParam(1).toUtf8(), "Nexa_LumoCommentary@E2E/server-a");
        const std::vector<std::string> line{"Irrecovrable exception:" + ex.getSubstParam(0).toUtf8()};
        EXPECT_EQ(capture.linesUtf8(), line);
    }
    // One attempt reached the server, carrying a retention id.
    const std::string log = requestLog("server-a");
    const std::size_t digits = log.find_first_not_of("0123456789");
    EXPECT_TRUE(digits > 0 && digits != std::string::npos && log.substr(digits) == " - - -\n") << log;
}

TEST_F(RemoteFaults, HungServerGivesABoundedFailure)
{
    FrameworkSettings settings = FrameworkSettings::current();
    settings.callTimeoutMs = 400;
    FrameworkSettings::setCurrent(settings);
    ManagedService::INVOKE_LOOP_INSANITY = 1;
    startServer("server-a", {"--fault", "delay=20000"});
    LumoCommentaryServiceHandle proxy = proxyOn(createService());

    const auto start = std::chrono::steady_clock::now();
    try {
        execute(proxy, addRequest(u"doc-h", u"slow"));
        ADD_FAILURE() << "no exception";
    } catch (const NexaFrameworkException& ex) {
        EXPECT_EQ(ex.getErrorCode(), 15) << ex.what();
        EXPECT_EQ(ex.getMessage(), "Manually retry needed");
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 800ms) << "two attempts, each waiting for the call timeout";
    EXPECT_LT(elapsed, 5s);
}

TEST_F(RemoteFaults, InjectedFailuresAreRetriedWhenTestsAreEnabled)
{
    startServer("server-a");
    LumoCommentaryServiceHandle proxy = proxyOn(createService());
    ASSERT_TRUE(TestExceptionScript::process().load("TRANSIENT, COMM_FAILURE:MAYBE"));
    ManagedService::TESTS_ENABLED = true;
    STraceCapture capture(0, {"LumoCommentaryService_proxy"});

    EXPECT_NE(addedId(execute(proxy, addRequest(u"doc-t", u"x"))), -1);

    EXPECT_EQ(capture.linesUtf8(),
              (std::vector<std::string>{"recoverable exception:TRANSIENT (minor 0x00000000, COMPLETED_NO)",
                                        "recoverable exception:COMM_FAILURE (minor 0x00000000, COMPLETED_MAYBE)"}));
    EXPECT_EQ(TestExceptionScript::process().remaining(), 0);
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
