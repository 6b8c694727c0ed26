// The proxy's invocation loop against a scripted managed service.
#include <algorithm>
#include <set>

#include "platform/foundation/STraceCapture.h"
#include "tests/native/proxy/ProxyTestSupport.h"

namespace {

using Lines = std::vector<std::string>;

const char kArea[] = "LumoCommentaryService_proxy";
const char kService[] = "Nexa_LumoCommentary@Scripted/server-1";
const char kDead[] = "Failed to do the reconnection as service as marked as dead";
const char kNexaFailure[] = "NexaFrameworkException 42 (message 1): naming failure; texts: [naming lookup failed]";
const std::string kRecoverable = "recoverable exception:TRANSIENT (minor 0x00000000, COMPLETED_NO)";

// One call's script and everything it must come to.
struct LoopCase {
    const char* name;
    int bound;
    const char* stubFailures;  // TestExceptionScript syntax
    bool checkStateFalse;
    const char* endState;  // "dead" or "suspended" after the first failure, or ""
    ReValidateStep reValidate;
    int code;  // 0: the call answers
    const char *message, *texts[3], *lastFailure;  // texts: the substitution texts, in order
    int stubCalls, reValidates;
    Lines lines;
};
void PrintTo(const LoopCase& c, std::ostream* os) { *os << c.name; }

const ReValidateStep kOk = ReValidateStep::Succeed;

}  // namespace

class ProxyLoop : public ProxyFixture, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(ProxyLoop, EndsAsItsScriptImplies)
{
    const LoopCase& c = GetParam();
    ManagedService::INVOKE_LOOP_INSANITY = c.bound;
    ASSERT_TRUE(stub.failures.load(c.stubFailures));
    if (c.checkStateFalse) service->checkStateRule = [](int) { return false; };
    const std::string endState = c.endState;
    if (!endState.empty())
        (endState == "dead" ? service->deadRule : service->suspendedRule) = [](int failed) { return failed >= 1; };
    service->reValidateRule = [&c](int) { return c.reValidate; };
    const uint64_t assertions = SAssertCount();
    STraceCapture capture(0, {kArea});

    if (c.code == 0) {
        EXPECT_EQ(call(u"add"), u"reply:add");
    } else {
        const NexaFrameworkException ex = failingCall();
        EXPECT_EQ(ex.getErrorCode(), c.code);
        EXPECT_EQ(ex.getMessage(), c.message);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(utf8(ex.getSubstParam(i)), c.texts[i] ? c.texts[i] : "") << i;
        EXPECT_EQ(ex.getSubstParamCount(), std::count_if(c.texts, c.texts + 3, [](const char* t) { return t; }));
    }
    EXPECT_EQ(utf8(proxy->getLastFailureText()), c.lastFailure);
    EXPECT_EQ(stub.calls, c.stubCalls);
    EXPECT_EQ(service->reValidates.load(), c.reValidates);
    EXPECT_EQ(service->checkStates.load(), service->locks.load()) << "one check per attempt, under the lock";
    EXPECT_EQ(service->pulses.load(), 1);
    EXPECT_EQ(capture.linesUtf8(), c.lines);
    for (const auto& record : capture.records()) {
        if (c.reValidate != ReValidateStep::RaiseOther) {
            EXPECT_EQ(record.flag, 2);
        }
    }
    EXPECT_EQ(SAssertCount(), assertions + (c.reValidate == ReValidateStep::RaiseOther ? 1 : 0));
}

INSTANTIATE_TEST_SUITE_P(
    ProxyScripts, ProxyLoop,
    ::testing::Values(
        LoopCase{"RecoverableFailuresThenAnswer", 3, "TRANSIENT, COMM_FAILURE:MAYBE", false, "", kOk, 0, "", {}, "",
                 3, 2, {kRecoverable, "recoverable exception:COMM_FAILURE (minor 0x00000000, COMPLETED_MAYBE)"}},
        LoopCase{"CheckStateFalseMakesBoundPlusOneAttempts", 3, "", true, "", kOk, 15, "Manually retry needed",
                 {kService}, "", 0, 4, {}},
        LoopCase{"BoundZeroMakesOneAttempt", 0, "TRANSIENT*5", false, "", kOk, 15, "Manually retry needed",
                 {kService}, "", 1, 1, {kRecoverable}},
        LoopCase{"RecoverableEveryTime", 3, "TRANSIENT*9", false, "", kOk, 15, "Manually retry needed", {kService}, "",
                 4, 4, Lines(4, kRecoverable)},
        LoopCase{"DeadAfterTheFirstFailure", 3, "TRANSIENT", false, "dead", kOk, 16, kDead, {"", kService}, "", 1, 1,
                 {kRecoverable}},
        LoopCase{"SuspendedAfterTheFirstFailure", 3, "TRANSIENT", false, "suspended", kOk, 16, kDead, {"", kService},
                 "", 1, 1, {kRecoverable}},
        LoopCase{"IrrecoverableAtOnce", 3, "TRANSIENT:YES", false, "", kOk, 17,
                 "CORBA system exception that is irrecovrable", {kService, "", ""}, "", 1, 0,
                 {"Irrecovrable exception:TRANSIENT (minor 0x00000000, COMPLETED_YES)"}},
        LoopCase{"ServersUserExceptionIsIrrecoverable", 3, "UNKNOWN", false, "", kOk, 17,
                 "CORBA system exception that is irrecovrable", {kService, "", ""}, "", 1, 0,
                 {"Irrecovrable exception:UNKNOWN (minor 0x00000000, COMPLETED_NO)"}},
        // Bound 1: the first raise is retried, the second ends the call.
        LoopCase{"ReValidateRaisingFrameworkException", 1, "TRANSIENT*2", false, "", ReValidateStep::RaiseNexa, 16,
                 "Failed to reconnect to another server bacause of nexaframework exception", {kNexaFailure, kService},
                 kNexaFailure, 2, 2, Lines(2, kRecoverable)},
        LoopCase{"ReValidateRaisingCorbaException", 1, "TRANSIENT*2", false, "", ReValidateStep::RaiseCorba, 16,
                 "Failed to reconnect to another server because of corba system exception", {kService, "", ""},
                 kService, 2, 2, Lines(2, kRecoverable)},
        LoopCase{"ReValidateRaisingAnythingElse", 1, "TRANSIENT*2", false, "", ReValidateStep::RaiseOther, 16,
                 "Failed to reconnect to another server bacause of unknown exception",
                 {"An unknown exception occurred.", kService}, "An unknown exception occurred.", 2, 2,
                 {kRecoverable, kRecoverable, "Assertion failed: false: unknown exception caught"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProxyFixture, EveryAttemptOfOneCallCarriesItsRetentionIdAndEachCallANewOne)
{
    ASSERT_TRUE(stub.failures.load("TRANSIENT, COMM_FAILURE:MAYBE"));
    EXPECT_EQ(call(u"add"), u"reply:add");
    EXPECT_EQ(call(u"next"), u"reply:next");
    ASSERT_EQ(stub.retentionIds.size(), 4u);
    EXPECT_NE(stub.retentionIds[0], 0);
    EXPECT_EQ(std::set<long>(stub.retentionIds.begin(), stub.retentionIds.begin() + 3).size(), 1u);
    EXPECT_NE(stub.retentionIds[3], stub.retentionIds[0]);
    lumo_ft::FtRequest open;
    EXPECT_FALSE(FtRequestTracker::current(open)) << "the request stays open after the call";
}

// A second, independent look at the recorded failure text: a later call
// that ends as dead carries it.
TEST_F(ProxyFixture, DeadServiceCarriesTheLastRecordedReconnectionFailure)
{
    ManagedService::INVOKE_LOOP_INSANITY = 0;
    ASSERT_TRUE(stub.failures.load("TRANSIENT"));
    service->reValidateRule = [](int call) { return call == 0 ? ReValidateStep::RaiseNexa : ReValidateStep::Succeed; };
    ASSERT_EQ(failingCall().getErrorCode(), 16);

    service->checkStateRule = [](int) { return false; };
    service->deadRule = [](int) { return true; };
    const NexaFrameworkException second = failingCall();
    EXPECT_EQ(second.getMessage(), kDead);
    EXPECT_EQ(utf8(second.getSubstParam(0)), kNexaFailure);
}

TEST_F(ProxyFixture, TestExceptionsRunBeforeEachCallOnlyWhileEnabled)
{
    ASSERT_TRUE(TestExceptionScript::process().load("TRANSIENT"));
    EXPECT_EQ(call(u"x"), u"reply:x");
    EXPECT_EQ(service->triggers.load(), 0);
    ManagedService::TESTS_ENABLED = true;
    EXPECT_EQ(call(u"y"), u"reply:y");
    EXPECT_EQ(service->triggers.load(), 2);
    EXPECT_EQ(stub.calls, 2);
    EXPECT_EQ(service->markFailed.load(), 1);
}

TEST_F(ProxyFixture, NullStubIsNeverCalledThroughAndCountsAsAFailedAttempt)
{
    service->stubRule = [this](int call) -> CORBA::Object* { return call == 0 ? nullptr : &stub; };
    STraceCapture capture(0, {kArea});
    EXPECT_EQ(call(u"x"), u"reply:x");
    EXPECT_EQ(capture.linesUtf8(), Lines{"Assertion failed: stub != NULL: the stub object shouldn't be null"});
    EXPECT_EQ(service->markFailed.load(), 1);
    EXPECT_EQ(stub.calls, 1);
}

TEST_F(ProxyFixture, OtherExceptionsFromAnAttemptLeaveUnchangedAfterTheLockIsReleased)
{
    service->stubRule = [](int) -> CORBA::Object* { throw std::runtime_error("state store unavailable"); };
    EXPECT_THROW(call(), std::runtime_error);
    service->stubRule = nullptr;
    ASSERT_TRUE(stub.failures.load("TRANSIENT"));
    service->markFailedAction = [](int) { throw std::logic_error("bookkeeping failed"); };
    EXPECT_THROW(call(), std::logic_error);
    EXPECT_EQ(service->locks.load(), 2);
    EXPECT_EQ(service->reValidates.load(), 0);
}

TEST_F(ProxyFixture, WithoutAManagedServiceItAssertsAndAnswersEveryCallAsDead)
{
    proxy = new LumoCommentaryServiceProxy(nullptr);
    EXPECT_EQ(SAssertLastMessage(),
              "Assertion failed: m_managedSvc != NULL: The managed service pointer should not be null");
    EXPECT_EQ(failingCall().getMessage(), kDead);
    EXPECT_EQ(SAssertLastMessage(), "Assertion failed: m_pointer != NULL: The pointer shouldn't be null");
}
