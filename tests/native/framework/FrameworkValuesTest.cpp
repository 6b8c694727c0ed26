// Values of the framework: counted references, ServerSpec filters,
// exceptions and their texts, settings, the logon session.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/foundation/SResString.h"
#include "platform/framework/CRefCount.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/MapThrowCORBASystem.h"
#include "platform/framework/Nexa2Exception.h"
#include "platform/framework/NexaFrameworkException.h"
#include "platform/framework/SCorbaSystemError.h"
#include "platform/framework/ServerSpec.h"
#include "platform/framework/SessionManager.h"
#include "platform/session/LogonToken.h"

#include <omniORB4/CORBA.h>
#include <omniORB4/Naming.hh>

namespace {

std::string utf8(const SWCharString& s) { return s.toUtf8(); }

class Counted : public CRefCount {
public:
    explicit Counted(int* destroyed) : m_destroyed(destroyed) {}

protected:
    ~Counted() override { ++*m_destroyed; }

private:
    int* m_destroyed;
};

}  // namespace

// --- counted references ---------------------------------------------------------

TEST(FrameworkRefCount, LastReleaseDeletesAndCopiesShareTheObject)
{
    int destroyed = 0;
    SRefPtr<Counted> first(new Counted(&destroyed));
    EXPECT_EQ(first->refCount(), 1);
    {
        SRefPtr<Counted> second = first;
        SRefPtr<CRefCount> base = second;
        EXPECT_EQ(first->refCount(), 3);
        SRefPtr<Counted> moved = std::move(second);
        EXPECT_TRUE(second.isNull());  // NOLINT: checking the moved-from state
        EXPECT_EQ(first->refCount(), 3);
    }
    EXPECT_EQ(first->refCount(), 1);
    first = first;  // self-assignment keeps the object
    EXPECT_EQ(destroyed, 0);
    first.reset();
    EXPECT_EQ(destroyed, 1);
}

// --- ServerSpec -----------------------------------------------------------------------

struct FilterCase {
    const char16_t* filter;
    const char16_t* server;
    bool admitted;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << utf8(c.filter) << " vs " << utf8(c.server); }

class FrameworkServerSpecFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FrameworkServerSpecFilter, AdmitsServersByExactNameOrPrefix)
{
    const FilterCase& c = GetParam();
    SRefPtr<ServerSpec> serverSpec(new ServerSpec(u"UNSPECIFIED", u"PJS", u"", c.filter, true));
    EXPECT_EQ(serverSpec->matchesServer(c.server), c.admitted)
        << "filter '" << utf8(c.filter) << "' server '" << utf8(c.server) << "'";
}

INSTANTIATE_TEST_SUITE_P(FrameworkRules, FrameworkServerSpecFilter,
                         ::testing::Values(FilterCase{u"", u"server-a", true}, FilterCase{u"*", u"anything", true},
                                           FilterCase{u"server-a", u"server-a", true},
                                           FilterCase{u"server-a", u"server-ab", false},
                                           FilterCase{u"server-a", u"Server-a", false},
                                           FilterCase{u"server-*", u"server-b", true},
                                           FilterCase{u"server-*", u"server-", true},
                                           FilterCase{u"server-*", u"serve", false},
                                           FilterCase{u"server-*", u"xserver-b", false},
                                           FilterCase{u"a*b", u"a*b", true}, FilterCase{u"a*b", u"axb", false}));

TEST(FrameworkServerSpec, EmptyClusterMeansTheDefaultCluster)
{
    SRefPtr<ServerSpec> unnamed(new ServerSpec(u"UNSPECIFIED", u"PJS", u"", u"", false));
    EXPECT_EQ(utf8(unnamed->getCluster()), "LumoCommentary");
    EXPECT_EQ(utf8(unnamed->getClusterText()), "");
    SRefPtr<ServerSpec> named(new ServerSpec(u"UNSPECIFIED", u"PJS", u"ReportsEU", u"s*", true));
    EXPECT_EQ(utf8(named->getCluster()), "ReportsEU");
}

// --- NexaFrameworkException --------------------------------------------------------------

TEST(FrameworkNexaFrameworkException, TextsKeepTheirPositionsUpToTheLastGiven)
{
    const NexaFrameworkException ex(16, "Failed to do the reconnection as service as marked as dead", 61311, u"",
                                    u"Nexa_LumoCommentary@LumoCommentary/server-a");
    EXPECT_EQ(ex.getSubstParamCount(), 2);
    EXPECT_EQ(utf8(ex.getSubstParam(1)), "Nexa_LumoCommentary@LumoCommentary/server-a");
    EXPECT_EQ(utf8(ex.getSubstParam(-1)) + utf8(ex.getSubstParam(100)), "");
    const std::string text =
        "NexaFrameworkException 16 (message 61311): Failed to do the reconnection as service as marked as dead; "
        "texts: [] [Nexa_LumoCommentary@LumoCommentary/server-a]";
    EXPECT_EQ(utf8(ex.toString()), text);
    EXPECT_EQ(std::string(ex.what()), text);
    EXPECT_EQ(NexaFrameworkException(15, "Manually retry needed", 61310).getSubstParamCount(), 0);
    const NexaFrameworkException gaps(1, "m", 2, nullptr, u"b", nullptr, nullptr, nullptr, nullptr, nullptr, u"h");
    EXPECT_EQ(gaps.getSubstParamCount(), 8);
    EXPECT_EQ(utf8(gaps.getSubstParam(0)) + utf8(gaps.getSubstParam(7)), "h");
}

// The texts given sit where they are given; the CORBA exception beside them.
TEST(FrameworkNexaFrameworkException, CorbaExceptionIsKeptBesideTheTextsAndInCopies)
{
    const NexaFrameworkException ex(17, "CORBA system exception that is irrecovrable", 61312,
                                    CORBA::UNKNOWN(0x41540001, CORBA::COMPLETED_MAYBE), u"svc", nullptr, nullptr,
                                    NEXA_FRAMEWORK_EXCEPTION_FILE, NEXA_FRAMEWORK_EXCEPTION_LINE);
    const NexaFrameworkException copy = ex;
    for (const NexaFrameworkException* e : {&ex, &copy}) {
        EXPECT_EQ(e->getSubstParamCount(), 3);
        EXPECT_EQ(utf8(e->getSubstParam(0)), "svc");
        EXPECT_EQ(e->getSystemError().getRepositoryId(), "IDL:omg.org/CORBA/UNKNOWN:1.0");
        EXPECT_EQ(utf8(e->toString()),
                  "NexaFrameworkException 17 (message 61312): CORBA system exception that is irrecovrable; "
                  "CORBA UNKNOWN (minor 0x41540001, COMPLETED_MAYBE); texts: [svc] [] []; at NexaFrameworkException:60");
    }
    const NexaFrameworkException user(16, "m", 61311,
                                      static_cast<const CORBA::Exception&>(CosNaming::NamingContext::NotFound()),
                                      nullptr, nullptr, nullptr, "f", 1);
    EXPECT_EQ(utf8(user.getSystemError().getReasonText()),
              "NotFound (user exception IDL:omg.org/CosNaming/NamingContext/NotFound:1.0)");
    EXPECT_TRUE(user.getSystemError().isUserException());
}

// --- MapThrowCORBASystem --------------------------------------------------------------

struct MapCase {
    const char* name;
    int minor;
    CORBA::CompletionStatus completion;
    int code;
    uint32_t messageNumber;
};

void PrintTo(const MapCase& c, std::ostream* os) { *os << c.name; }

class FrameworkMapThrow : public ::testing::TestWithParam<MapCase> {};

TEST_P(FrameworkMapThrow, RaisesTheMatchingFrameworkExceptionForBothForms)
{
    const MapCase& c = GetParam();
    const SCorbaSystemError error(std::string("IDL:omg.org/CORBA/") + c.name + ":1.0", c.name, c.minor,
                                  static_cast<SCorbaSystemError::Completion>(c.completion));
    bool raised = false;
    try {
        MapThrowCORBASystem(error, "CComLumoCommentaryService", 321);
    } catch (const NexaFrameworkException& ex) {
        raised = true;
        EXPECT_EQ(ex.getErrorCode(), c.code);
        EXPECT_EQ(ex.getMessageNumber(), c.messageNumber);
        EXPECT_EQ(ex.getSourceFile(), "CComLumoCommentaryService");
        EXPECT_EQ(ex.getSourceLine(), 321);
        EXPECT_EQ(ex.getSubstParam(0), error.getReasonText());
    }
    EXPECT_TRUE(raised);
    if (std::string(c.name) == "TRANSIENT") {
        EXPECT_THROW(MapThrowCORBASystem(CORBA::TRANSIENT(c.minor, c.completion), "f", 1), NexaFrameworkException);
    }
}

INSTANTIATE_TEST_SUITE_P(FrameworkRules, FrameworkMapThrow,
                         ::testing::Values(MapCase{"TRANSIENT", 2, CORBA::COMPLETED_NO, 15, 61310},
                                           MapCase{"COMM_FAILURE", 0, CORBA::COMPLETED_MAYBE, 15, 61310},
                                           MapCase{"UNKNOWN", 0, CORBA::COMPLETED_NO, 17, 61312}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- settings ---------------------------------------------------------------------

class FrameworkSettingsFromEnvironment : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const char* name : {"LUMO_CALL_TIMEOUT_MS", "LUMO_CALL_DEADLINE_MS", "LUMO_INVOKE_LOOP_INSANITY",
                                 "LUMO_RETENTION", "LUMO_ORB_OPTIONS", "LUMO_SESSION_LOCK", "LUMO_TESTS_ENABLED"})
            unsetenv(name);
    }
};

TEST_F(FrameworkSettingsFromEnvironment, ReadsValuesAndKeepsDefaultsForBadOnes)
{
    setenv("LUMO_CALL_TIMEOUT_MS", "2500", 1);
    setenv("LUMO_CALL_DEADLINE_MS", "9x", 1);
    setenv("LUMO_INVOKE_LOOP_INSANITY", "-1", 1);
    setenv("LUMO_RETENTION", "0", 1);
    setenv("LUMO_ORB_OPTIONS", "  -ORBtraceLevel 5   -ORBgiopMaxMsgSize 1000000 ", 1);
    setenv("LUMO_SESSION_LOCK", "shared", 1);
    setenv("LUMO_TESTS_ENABLED", "yes", 1);
    const FrameworkSettings s = FrameworkSettings::fromEnvironment();
    EXPECT_EQ(s.callTimeoutMs, 2500u);
    EXPECT_EQ(s.callDeadlineMs, 15000u);
    EXPECT_EQ(s.invokeLoopInsanity, 3);
    EXPECT_FALSE(s.retention);
    EXPECT_EQ(s.orbOptions,
              (std::vector<std::string>{"-ORBtraceLevel", "5", "-ORBgiopMaxMsgSize", "1000000"}));
    EXPECT_TRUE(s.sharedSessionLock);
    EXPECT_FALSE(s.testsEnabled);
    EXPECT_EQ(s.connectTimeoutMs, 3000u);
}

// --- the logon session ------------------------------------------------------------------

TEST(FrameworkSession, NoSessionBeforeLogonThenTheIssuedTokenAndUri)
{
    SessionManager::logoff();
    try {
        SessionManager::getServerSession();
        ADD_FAILURE() << "no exception";
    } catch (const Nexa2Exception& ex) {
        EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kNoServerSession);
    }

    SessionManager::logon(u"alice", "s3cret");
    SRefPtr<IServerSession> session = SessionManager::getServerSession();
    EXPECT_EQ(utf8(session->getUserURI()), "urn:lumo:user:alice");
    std::string user;
    EXPECT_EQ(lumo_session::checkLogonToken(utf8(session->getLogonToken()), "s3cret", lumo_session::nowMilliseconds(),
                                            &user),
              lumo_session::TokenCheck::Valid);
    EXPECT_EQ(user, "alice");

    SessionManager::setSession(u"LT1:bob:1:00", u"urn:lumo:user:bob");
    EXPECT_EQ(utf8(session->getUserURI()), "urn:lumo:user:alice") << "sessions handed out keep their values";
    EXPECT_EQ(utf8(SessionManager::getServerSession()->getLogonToken()), "LT1:bob:1:00");
    SessionManager::logoff();
    EXPECT_THROW(SessionManager::getServerSession(), Nexa2Exception);
}

TEST(FrameworkSession, InvalidLogonsAreRefused)
{
    for (const char16_t* user : {u"", u"a:b"}) {
        try {
            SessionManager::logon(user, "s3cret");
            ADD_FAILURE() << "no exception";
        } catch (const Nexa2Exception& ex) {
            EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kLogonFailed);
        }
    }
    EXPECT_THROW(SessionManager::logon(u"carol", ""), Nexa2Exception);
    EXPECT_THROW(SessionManager::setSession(u"", u"urn:lumo:user:carol"), Nexa2Exception);
}
