// Values of the framework: ServerSpec filters, exceptions and their texts,
// settings, the logon session.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/foundation/SResString.h"
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

}  // namespace

// --- ServerSpec -----------------------------------------------------------------------

TEST(FrameworkServerSpec, FiltersAdmitServersByExactNameOrPrefix)
{
    // filter, server, admitted
    const std::tuple<const char16_t*, const char16_t*, bool> cases[] = {
        {u"", u"server-a", true},         {u"*", u"anything", true},         {u"server-a", u"server-a", true},
        {u"server-a", u"server-ab", false}, {u"server-a", u"Server-a", false}, {u"server-*", u"server-b", true},
        {u"server-*", u"server-", true},  {u"server-*", u"serve", false},    {u"server-*", u"xserver-b", false},
        {u"a*b", u"a*b", true},           {u"a*b", u"axb", false}};
    for (const auto& [filter, server, admitted] : cases) {
        SRefPtr<ServerSpec> serverSpec(new ServerSpec(u"UNSPECIFIED", u"PJS", u"", filter, true));
        EXPECT_EQ(serverSpec->matchesServer(server), admitted) << utf8(filter) << " vs " << utf8(server);
        EXPECT_EQ(utf8(serverSpec->getCluster()), "LumoCommentary");
    }
}

// --- NexaFrameworkException --------------------------------------------------------------

// The texts given sit where they are given, null ones and gaps included; a
// CORBA exception is kept beside them, also in copies.
TEST(FrameworkNexaFrameworkException, TextsKeepTheirPositionsAndTheCorbaExceptionItsPlace)
{
    const NexaFrameworkException gaps(1, "m", 2, nullptr, u"b", nullptr, nullptr, nullptr, nullptr, nullptr, u"h");
    EXPECT_EQ(gaps.getSubstParamCount(), 8);
    EXPECT_EQ(utf8(gaps.getSubstParam(0)) + utf8(gaps.getSubstParam(1)) + utf8(gaps.getSubstParam(7)), "bh");
    EXPECT_EQ(utf8(gaps.getSubstParam(-1)) + utf8(gaps.getSubstParam(100)), "");
    EXPECT_EQ(NexaFrameworkException(15, "Manually retry needed", 61310).getSubstParamCount(), 0);
    const NexaFrameworkException ex(17, "CORBA system exception that is irrecovrable", 61312,
                                    CORBA::UNKNOWN(0x41540001, CORBA::COMPLETED_MAYBE), u"svc", nullptr, nullptr,
                                    NEXA_FRAMEWORK_EXCEPTION_FILE, NEXA_FRAMEWORK_EXCEPTION_LINE);
    const std::string text = "NexaFrameworkException 17 (message 61312): CORBA system exception that is irrecovrable; "
                             "CORBA UNKNOWN (minor 0x41540001, COMPLETED_MAYBE); texts: [svc] [] []; at "
                             "NexaFrameworkException:60";
    for (const NexaFrameworkException& e : {ex, NexaFrameworkException(ex)}) {
        EXPECT_EQ(e.getSubstParamCount(), 3);
        EXPECT_EQ(e.getSystemError().getRepositoryId(), "IDL:omg.org/CORBA/UNKNOWN:1.0");
        EXPECT_EQ(utf8(e.toString()), text);
        EXPECT_EQ(std::string(e.what()), text);
    }
    const NexaFrameworkException user(16, "m", 61311,
                                      static_cast<const CORBA::Exception&>(CosNaming::NamingContext::NotFound()),
                                      nullptr, nullptr, nullptr, "f", 1);
    EXPECT_EQ(utf8(user.getSystemError().getReasonText()),
              "NotFound (user exception IDL:omg.org/CosNaming/NamingContext/NotFound:1.0)");
}

// --- MapThrowCORBASystem --------------------------------------------------------------

TEST(FrameworkMapThrow, RaisesTheMatchingFrameworkExceptionWithTheReasonFirst)
{
    // name, minor, completion, error code, message number
    const std::tuple<const char*, int, CORBA::CompletionStatus, int, uint32_t> cases[] = {
        {"TRANSIENT", 2, CORBA::COMPLETED_NO, 15, 61310},
        {"COMM_FAILURE", 0, CORBA::COMPLETED_MAYBE, 15, 61310},
        {"UNKNOWN", 0, CORBA::COMPLETED_NO, 17, 61312}};
    for (const auto& [name, minor, completion, code, messageNumber] : cases) {
        const SCorbaSystemError error(std::string("IDL:omg.org/CORBA/") + name + ":1.0", name, minor,
                                      static_cast<SCorbaSystemError::Completion>(completion));
        try {
            MapThrowCORBASystem(error, "CComLumoCommentaryService", 321);
            ADD_FAILURE() << "no exception for " << name;
        } catch (const NexaFrameworkException& ex) {
            EXPECT_EQ(ex.getErrorCode(), code);
            EXPECT_EQ(ex.getMessageNumber(), messageNumber);
            EXPECT_EQ(ex.getSourceFile() + ":" + std::to_string(ex.getSourceLine()), "CComLumoCommentaryService:321");
            EXPECT_EQ(ex.getSubstParam(0), error.getReasonText());
        }
    }
    EXPECT_THROW(MapThrowCORBASystem(CORBA::TRANSIENT(2, CORBA::COMPLETED_NO), "f", 1), NexaFrameworkException);
}

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
    for (const char16_t* user : {u"", u"a:b"}) EXPECT_THROW(SessionManager::logon(user, "s3cret"), Nexa2Exception);
    EXPECT_THROW(SessionManager::logon(u"carol", ""), Nexa2Exception);
    EXPECT_THROW(SessionManager::setSession(u"", u"urn:lumo:user:carol"), Nexa2Exception);
}
