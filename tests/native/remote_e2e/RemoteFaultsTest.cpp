// Faulty servers, injected failures and the FT_REQUEST context, through real
// processes.
#include <chrono>
#include <fstream>

#include "idl/LumoCommentaryService.hh"
#include "platform/foundation/SResString.h"
#include "platform/foundation/STraceCapture.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/FtRequestTracker.h"
#include "platform/framework/ManagedService.h"
#include "platform/framework/OrbServices.h"
#include "platform/framework/TestExceptionScript.h"
#include "service/proxy/LumoCommentaryService_HelperFactory.h"
#include "tests/native/remote_e2e/RemoteSupport.h"

using namespace std::chrono_literals;

namespace {

CORBA::WChar* wide(const SWCharString& text)
{
    CORBA::WChar* out = CORBA::wstring_alloc(static_cast<CORBA::ULong>(text.length()));
    for (std::size_t i = 0; i < text.length(); ++i) out[i] = static_cast<CORBA::WChar>(text.str()[i]);
    out[text.length()] = 0;
    return out;
}

SWCharString narrow16(const CORBA::WChar* text)
{
    std::u16string out;
    for (const CORBA::WChar* p = text; *p; ++p) out += static_cast<char16_t>(*p);
    return SWCharString(out);
}

}  // namespace

class RemoteFaults : public RemoteFixture {};

TEST_F(RemoteFaults, ServerUserExceptionIsSeenAsUnknownAndIsIrrecoverable)
{
    startServer("server-a", {"--fault", "user-exception"});
    SRefPtr<IManagedService> service = createService();
    LumoCommentaryServiceHandle proxy = proxyOn(service);
    STraceCapture capture(0, {"LumoCommentaryService_proxy"});
    try {
        proxy.execute(SNexaString(addRequest(u"doc-u", u"x")));
        ADD_FAILURE() << "no exception";
    } catch (const NexaFrameworkException& ex) {
        EXPECT_EQ(ex.getErrorCode(), 17);
        EXPECT_EQ(ex.getMessage(), "CORBA system exception that is irrecovrable");
        EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kIrrecoverable);
        EXPECT_EQ(ex.getSystemError().getName(), "UNKNOWN");
        // (the ORB reports it with COMPLETED_MAYBE; UNKNOWN is irrecoverable whatever the status)
        EXPECT_EQ(ex.getSubstParam(1).toUtf8(), "Nexa_LumoCommentary@E2E/server-a");
        EXPECT_EQ(capture.linesUtf8(), std::vector<std::string>{"Irrecovrable exception:" + ex.getSubstParam(0).toUtf8()});
    }
    // One line: the attempt carried a retention id and was answered with the
    // user exception; no second attempt reached the server.
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
        proxy.execute(SNexaString(addRequest(u"doc-h", u"slow")));
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

    EXPECT_NE(addedId(proxy.execute(SNexaString(addRequest(u"doc-t", u"x")))), -1);

    EXPECT_EQ(capture.linesUtf8(),
              (std::vector<std::string>{"recoverable exception:TRANSIENT (minor 0x00000000, COMPLETED_NO)",
                                        "recoverable exception:COMM_FAILURE (minor 0x00000000, COMPLETED_MAYBE)"}));
    EXPECT_EQ(TestExceptionScript::process().remaining(), 0);
}

TEST_F(RemoteFaults, RepeatedAttemptOfOneRequestRunsOnceAndIsAnsweredFromTheReplyCache)
{
    startServer("server-a");
    startServer("server-b");
    // Raw stubs of both servers, as the Naming Service lists them.
    CosNaming::NamingContext_var root = OrbServices::namingRoot(5000);
    std::vector<LumoCommentaryService_var> stubs;
    for (const char* name : {"server-a", "server-b"}) {
        CosNaming::Name path;
        path.length(2);
        path[0].id = CORBA::string_dup("E2E");
        path[0].kind = CORBA::string_dup("");
        path[1].id = CORBA::string_dup(name);
        path[1].kind = CORBA::string_dup("Nexa_LumoCommentary");
        CORBA::Object_var object = root->resolve(path);
        stubs.push_back(LumoCommentaryService::_narrow(object));
        ASSERT_FALSE(CORBA::is_nil(stubs.back()));
    }
    const SWCharString request = addRequest(u"doc-r", u"once");
    CORBA::WString_var text = wide(request);

    // One logical request: the same context on both attempts, on two servers.
    FtRequestTracker::begin(60000);
    CORBA::WString_var first = stubs[0]->execute(text.in());
    CORBA::WString_var second = stubs[1]->execute(text.in());
    FtRequestTracker::end();
    EXPECT_EQ(narrow16(second.in()).str(), narrow16(first.in()).str());
    // Without an open request the same text is a new request.
    CORBA::WString_var third = stubs[0]->execute(text.in());
    EXPECT_NE(addedId(narrow16(third.in())), addedId(narrow16(first.in())));

    LumoCommentaryServiceHandle proxy = proxyOn(createService());
    EXPECT_EQ(comments(proxy.execute(SNexaString(getRequest(u"doc-r")))).size(), 2u);
    EXPECT_NE(requestLog("server-b").find(" 1 1 0 replay\n"), std::string::npos) << requestLog("server-b");
}

TEST_F(RemoteFaults, NarrowingAnObjectOfAnotherTypeGivesNull)
{
    LumoCommentaryService_HelperFactory factory;
    SRefPtr<IManagedService::IStubHelper> helper(factory.createHelper());
    CORBA::Object_var naming = OrbServices::orb()->string_to_object(m_naming.c_str());
    EXPECT_EQ(helper->narrowStub(naming.in()), nullptr);
}

TEST_F(RemoteFaults, MissingClusterOrNoServerIsReportedAtCreation)
{
    try {
        createService();
        ADD_FAILURE() << "no exception";
    } catch (const Nexa2Exception& ex) {
        EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kNoServerInCluster);
        EXPECT_EQ(ex.getText().toUtf8(),
                  "No server of the service Nexa_LumoCommentary is registered in the cluster E2E (server filter: *).");
    }
}
