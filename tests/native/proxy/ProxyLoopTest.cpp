// The proxy's invocation loop against a scripted managed service.
#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>

#include "platform/foundation/SResString.h"
#include "platform/foundation/STraceCapture.h"
#include "platform/framework/FtRequestTracker.h"
#include "tests/native/proxy/ProxyTestSupport.h"

namespace {

using Lines = std::vector<std::string>;

const char kArea[] = "LumoCommentaryService_proxy";
const std::string kDescription = "Nexa_LumoCommentary@Scripted/server-1";
const char kDeadMessage[] = "Failed to do the reconnection as service as marked as dead";
const char kNexaFailure[] = "NexaFrameworkException 42 (message 1): naming failure; texts: [naming lookup failed]";

}  // namespace

// --- recoverable failures, then success: one retention id per call --------------

TEST_F(ProxyFixture, RecoverableFailuresAreRetriedUnderOneRetentionIdAndEachCallOpensANewOne)
{
    stub.script({StubStep::fail("TRANSIENT"), StubStep::fail("COMM_FAILURE", CORBA::COMPLETED_MAYBE),
                 StubStep::reply(), StubStep::reply()});
    STraceCapture capture(0, {kArea});

    EXPECT_EQ(call(u"add"), u"reply:add");

    EXPECT_EQ(capture.linesUtf8(), (Lines{"recoverable exception:TRANSIENT (minor 0x00000000, COMPLETED_NO)",
                                          "recoverable exception:COMM_FAILURE (minor 0x00000000, COMPLETED_MAYBE)"}));
    ASSERT_EQ(capture.records().size(), 2u);
    for (const auto& record : capture.records()) {
        EXPECT_EQ(record.level, 0);
        EXPECT_EQ(record.flag, 2);
    }
    EXPECT_EQ(service->markFailed.load(), 2);
    EXPECT_EQ(service->reValidates.load(), 2);
    EXPECT_EQ(service->pulses.load(), 1);
    EXPECT_EQ(stub.calls(), 3);
    EXPECT_EQ(service->locks.load(), 3) << "the session lock is taken around each attempt";

    EXPECT_EQ(call(u"next"), u"reply:next");
    const std::vector<long> ids = stub.retentionIds();
    ASSERT_EQ(ids.size(), 4u);
    EXPECT_NE(ids[0], 0);
    EXPECT_EQ(ids[1], ids[0]);
    EXPECT_EQ(ids[2], ids[0]);
    EXPECT_NE(ids[3], ids[0]);
    lumo_ft::FtRequest open;
    EXPECT_FALSE(FtRequestTracker::current(open)) << "the request stays open after the call";
}

// --- the attempt bound -----------------------------------------------------

class ProxyAttemptBound : public ProxyFixture, public ::testing::WithParamInterface<int> {};

TEST_P(ProxyAttemptBound, CheckStateFalseEveryTimeMakesBoundPlusOneAttempts)
{
    ManagedService::INVOKE_LOOP_INSANITY = GetParam();
    service->checkStateRule = [](int) { return false; };
    STraceCapture capture(0, {kArea});

    const NexaFrameworkException ex = failingCall();

    EXPECT_EQ(ex.getErrorCode(), 15);
    EXPECT_EQ(ex.getMessage(), "Manually retry needed");
    EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kManualRetryNeeded);
    ASSERT_EQ(ex.getSubstParamCount(), 1);
    EXPECT_EQ(utf8(ex.getSubstParam(0)), kDescription);
    EXPECT_FALSE(ex.hasSystemError());
    EXPECT_EQ(service->checkStates.load(), GetParam() + 1);
    EXPECT_EQ(service->reValidates.load(), GetParam() + 1);
    EXPECT_EQ(service->markFailed.load(), 0);
    EXPECT_EQ(stub.calls(), 0);
    EXPECT_TRUE(capture.lines().empty());
}

TEST_P(ProxyAttemptBound, RecoverableFailureEveryTimeMakesBoundPlusOneStubCalls)
{
    ManagedService::INVOKE_LOOP_INSANITY = GetParam();
    stub.script(std::vector<StubStep>(static_cast<std::size_t>(GetParam()) + 5, StubStep::fail("TRANSIENT")));
    STraceCapture capture(0, {kArea});

    EXPECT_EQ(failingCall().getErrorCode(), 15);
    EXPECT_EQ(stub.calls(), GetParam() + 1);
    EXPECT_EQ(service->markFailed.load(), GetParam() + 1);
    EXPECT_EQ(capture.lines().size(), static_cast<std::size_t>(GetParam()) + 1);
}

INSTANTIATE_TEST_SUITE_P(ProxyBounds, ProxyAttemptBound, ::testing::Values(0, 3));

// --- dead or suspended ---------------------------------------------------------

class ProxyDeadOrSuspended : public ProxyFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(ProxyDeadOrSuspended, AfterTheFirstFailureNoSecondAttemptIsMade)
{
    stub.script({StubStep::fail("TRANSIENT"), StubStep::reply()});
    (GetParam() ? service->deadRule : service->suspendedRule) = [](int failures) { return failures >= 1; };

    const NexaFrameworkException ex = failingCall();

    EXPECT_EQ(ex.getErrorCode(), 16);
    EXPECT_EQ(ex.getMessage(), kDeadMessage);
    EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kReconnectFailed);
    ASSERT_EQ(ex.getSubstParamCount(), 2);
    EXPECT_EQ(utf8(ex.getSubstParam(0)), "") << "no reconnection failure was recorded";
    EXPECT_EQ(utf8(ex.getSubstParam(1)), kDescription);
    EXPECT_EQ(stub.calls(), 1);
    EXPECT_EQ(service->reValidates.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(ProxyStates, ProxyDeadOrSuspended, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "dead" : "suspended"); });

TEST_F(ProxyFixture, DeadServiceCarriesTheLastRecordedReconnectionFailure)
{
    ManagedService::INVOKE_LOOP_INSANITY = 0;
    stub.script({StubStep::fail("TRANSIENT")});
    service->reValidateRule = [](int call) { return call == 0 ? ReValidateStep::RaiseNexa : ReValidateStep::Succeed; };
    ASSERT_EQ(failingCall().getErrorCode(), 16);
    EXPECT_EQ(utf8(proxy->getLastFailureText()), kNexaFailure);

    service->checkStateRule = [](int) { return false; };
    service->deadRule = [](int) { return true; };
    const NexaFrameworkException second = failingCall();

    EXPECT_EQ(second.getMessage(), kDeadMessage);
    EXPECT_EQ(utf8(second.getSubstParam(0)), kNexaFailure);
    EXPECT_EQ(utf8(second.getSubstParam(1)), kDescription);
}

// --- irrecoverable failures ------------------------------------------------------

// (Which failures are irrecoverable is the classifier's table; the loop only
// asks.  A call that completed must not be made again.)
TEST_F(ProxyFixture, IrrecoverableFailureRaisesCode17AtOnceWithoutReconnecting)
{
    stub.script({StubStep::fail("TRANSIENT", CORBA::COMPLETED_YES), StubStep::reply()});
    STraceCapture capture(0, {kArea});

    const NexaFrameworkException ex = failingCall();

    EXPECT_EQ(ex.getErrorCode(), 17);
    EXPECT_EQ(ex.getMessage(), "CORBA system exception that is irrecovrable");
    EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kIrrecoverable);
    ASSERT_EQ(ex.getSubstParamCount(), 4);
    EXPECT_EQ(utf8(ex.getSubstParam(0)), "TRANSIENT (minor 0x00000000, COMPLETED_YES)");
    EXPECT_EQ(utf8(ex.getSubstParam(1)), kDescription);
    ASSERT_TRUE(ex.hasSystemError());
    EXPECT_EQ(ex.getSystemError().getName(), "TRANSIENT");
    EXPECT_EQ(capture.linesUtf8(), Lines{"Irrecovrable exception:TRANSIENT (minor 0x00000000, COMPLETED_YES)"});
    EXPECT_EQ(service->reValidates.load(), 0);
    EXPECT_EQ(service->markFailed.load(), 0);
    EXPECT_EQ(stub.calls(), 1);
}

// --- reValidate raising ------------------------------------------------------------

struct ReValidateCase {
    const char* name;
    ReValidateStep step;
    const char* message;
    const char* failureText;
    int substCount;
    const char* assertion;  // null: none expected
};
void PrintTo(const ReValidateCase& c, std::ostream* os) { *os << c.name; }

class ProxyReValidate : public ProxyFixture, public ::testing::WithParamInterface<ReValidateCase> {};

// Bound 1: the first raise leaves an attempt, which is made; the second ends
// the call with the failure recorded.
TEST_P(ProxyReValidate, RaisingIsRetriedWhileAttemptsLastThenGivesCode16)
{
    const ReValidateCase& c = GetParam();
    ManagedService::INVOKE_LOOP_INSANITY = 1;
    stub.script({StubStep::fail("TRANSIENT"), StubStep::fail("TRANSIENT"), StubStep::reply()});
    service->reValidateRule = [&c](int) { return c.step; };
    const uint64_t assertionsBefore = SAssertCount();

    const NexaFrameworkException ex = failingCall();

    EXPECT_EQ(stub.calls(), 2);
    EXPECT_EQ(service->reValidates.load(), 2);
    EXPECT_EQ(ex.getErrorCode(), 16);
    EXPECT_EQ(ex.getMessage(), c.message);
    EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kReconnectFailed);
    ASSERT_EQ(ex.getSubstParamCount(), c.substCount);
    EXPECT_EQ(utf8(ex.getSubstParam(0)), c.failureText);
    EXPECT_EQ(utf8(ex.getSubstParam(1)), kDescription);
    EXPECT_EQ(utf8(proxy->getLastFailureText()), c.failureText);
    EXPECT_EQ(SAssertCount(), assertionsBefore + (c.assertion ? 1 : 0));
    if (c.assertion) {
        EXPECT_EQ(SAssertLastMessage(), c.assertion);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ProxyKinds, ProxyReValidate,
    ::testing::Values(
        ReValidateCase{"NexaFrameworkException", ReValidateStep::RaiseNexa,
                       "Failed to reconnect to another server bacause of nexaframework exception",
                       kNexaFailure, 2, nullptr},
        ReValidateCase{"CorbaException", ReValidateStep::RaiseCorba,
                       "Failed to reconnect to another server because of corba system exception",
                       "COMM_FAILURE (minor 0x00000007, COMPLETED_MAYBE)", 4, nullptr},
        ReValidateCase{"OtherException", ReValidateStep::RaiseOther,
                       "Failed to reconnect to another server bacause of unknown exception",
                       "An unknown exception occurred.", 2, "Assertion failed: false: unknown exception caught"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- test hooks, null stubs, foreign exceptions ---------------------------------------

TEST_F(ProxyFixture, TestExceptionsRunBeforeEachCallOnlyWhileEnabled)
{
    stub.script({StubStep::fail("TRANSIENT"), StubStep::reply()});
    EXPECT_EQ(call(u"x"), u"reply:x");
    EXPECT_EQ(service->triggers.load(), 0);

    ManagedService::TESTS_ENABLED = true;
    service->triggerAction = [](int call) {
        if (call == 0) throw CORBA::TRANSIENT(0, CORBA::COMPLETED_NO);
    };
    STraceCapture capture(0, {kArea});
    EXPECT_EQ(call(u"y"), u"reply:y");
    EXPECT_EQ(service->triggers.load(), 2);
    EXPECT_EQ(stub.calls(), 3);
    EXPECT_EQ(capture.linesUtf8(), Lines{"recoverable exception:TRANSIENT (minor 0x00000000, COMPLETED_NO)"});
}

TEST_F(ProxyFixture, NullStubIsNeverCalledThroughAndCountsAsAFailedAttempt)
{
    service->stubRule = [this](int call) -> CORBA::Object* { return call == 0 ? nullptr : &stub; };
    STraceCapture capture(0, {kArea});

    EXPECT_EQ(call(u"x"), u"reply:x");

    EXPECT_EQ(capture.linesUtf8(), Lines{"Assertion failed: stub != NULL: the stub object shouldn't be null"});
    EXPECT_EQ(service->markFailed.load(), 1);
    EXPECT_EQ(service->reValidates.load(), 1);
    EXPECT_EQ(stub.calls(), 1);
}

TEST_F(ProxyFixture, OtherExceptionsFromAnAttemptLeaveUnchangedAfterTheLockIsReleased)
{
    service->stubRule = [](int) -> CORBA::Object* { throw std::runtime_error("state store unavailable"); };
    EXPECT_THROW(call(), std::runtime_error);
    service->stubRule = nullptr;
    stub.script({StubStep::fail("TRANSIENT")});
    service->markFailedAction = [](int) { throw std::logic_error("bookkeeping failed"); };
    EXPECT_THROW(call(), std::logic_error);

    EXPECT_EQ(service->locks.load(), 2);
    EXPECT_EQ(service->reValidates.load(), 0);
}

TEST(ProxyWithoutManagedService, AssertsAndAnswersEveryCallAsDead)
{
    SAssertSetEnabled(true);
    SRefPtr<LumoCommentaryServiceProxy> proxy(new LumoCommentaryServiceProxy(nullptr));
    EXPECT_EQ(SAssertLastMessage(),
              "Assertion failed: m_managedSvc != NULL: The managed service pointer should not be null");
    const CORBA::WChar request[] = {'x', 0};
    try {
        CORBA::WString_var reply = proxy->execute(request);
        ADD_FAILURE() << "no exception";
    } catch (const NexaFrameworkException& ex) {
        EXPECT_EQ(ex.getErrorCode(), 16);
        EXPECT_EQ(ex.getMessage(), kDeadMessage);
    }
    EXPECT_EQ(SAssertLastMessage(), "Assertion failed: m_pointer != NULL: The pointer shouldn't be null");
}

// --- m_lastFailureText under concurrent failing calls ------------------------------------

TEST_F(ProxyFixture, LastFailureTextStaysWholeUnderConcurrentFailingCalls)
{
    ManagedService::INVOKE_LOOP_INSANITY = 0;
    service->reValidateRule = [](int) { return ReValidateStep::RaiseNexa; };
    service->stubRule = [](int) -> CORBA::Object* { throw CORBA::TRANSIENT(0, CORBA::COMPLETED_NO); };
    constexpr int kThreads = 4, kCalls = 150;
    static thread_local int t_thread = 0;
    std::vector<SWCharString> texts;
    std::vector<std::string> recorded;  // what each thread's failure records
    for (int t = 0; t < kThreads; ++t) {
        texts.push_back(SWCharString::fromUtf8("thread " + std::to_string(t) + " " + std::string(300, 'a' + t)));
        recorded.push_back(NexaFrameworkException(42, "naming failure", 1, texts.back().c_str()).toString().toUtf8());
    }
    service->nexaFailureText = [&texts] { return texts[t_thread]; };
    const std::set<std::string> valid(recorded.begin(), recorded.end());

    std::atomic<bool> done{false};
    std::atomic<int> torn{0}, mismatches{0};
    std::thread reader([&] {
        while (!done) {
            const std::string seen = proxy->getLastFailureText().toUtf8();
            if (!seen.empty() && !valid.count(seen)) ++torn;
        }
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([&, t] {
            t_thread = t;
            for (int i = 0; i < kCalls; ++i)
                if (failingCall().getSubstParam(0).toUtf8() != recorded[t]) ++mismatches;
        });
    for (std::thread& w : workers) w.join();
    done = true;
    reader.join();

    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(valid.count(proxy->getLastFailureText().toUtf8()), 1u);
    EXPECT_EQ(service->reValidates.load(), kThreads * kCalls);
}
