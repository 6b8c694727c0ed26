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

const char kArea[] = "LumoCommentaryService_proxy";
const std::string kDescription = "Nexa_LumoCommentary@Scripted/server-1";
const char kDeadMessage[] = "Failed to do the reconnection as service as marked as dead";

struct FailureCase {
    const char* exception;
    CORBA::CompletionStatus completion;
    const char* reason;
};

std::string caseName(const FailureCase& c)
{
    return std::string(c.exception) + "_" +
           (c.completion == CORBA::COMPLETED_NO ? "NO" : c.completion == CORBA::COMPLETED_YES ? "YES" : "MAYBE");
}

const char* stepName(ReValidateStep step)
{
    switch (step) {
    case ReValidateStep::RaiseNexa: return "NexaFrameworkException";
    case ReValidateStep::RaiseCorba: return "CorbaException";
    case ReValidateStep::RaiseOther: return "OtherException";
    default: return "Succeed";
    }
}

void PrintTo(const FailureCase& c, std::ostream* os) { *os << caseName(c); }

}  // namespace

void PrintTo(ReValidateStep step, std::ostream* os) { *os << stepName(step); }

// --- a recoverable failure, then success -------------------------------------

class ProxyRetry : public ProxyFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ProxyRetry, RecoverableFailureThenSuccessAnswersFromTheSecondAttempt)
{
    const FailureCase& c = GetParam();
    stub.script({StubStep::raise(c.exception, c.completion), StubStep::reply()});
    STraceCapture capture(0, {kArea});

    EXPECT_EQ(call(u"add"), u"reply:add");

    EXPECT_EQ(capture.linesUtf8(), std::vector<std::string>{std::string("recoverable exception:") + c.reason});
    const std::vector<STraceRecord> records = capture.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].level, 0);
    EXPECT_EQ(records[0].flag, 2);
    EXPECT_EQ(records[0].area, kArea);
    EXPECT_EQ(service->markFailed.load(), 1);
    EXPECT_EQ(service->reValidates.load(), 1);
    EXPECT_EQ(service->pulses.load(), 1);
    EXPECT_EQ(stub.calls(), 2);
    EXPECT_EQ(service->locks.load(), 2);
}

INSTANTIATE_TEST_SUITE_P(ProxyKinds, ProxyRetry,
    ::testing::Values(FailureCase{"TRANSIENT", CORBA::COMPLETED_NO, "TRANSIENT (minor 0x00000000, COMPLETED_NO)"},
                      FailureCase{"COMM_FAILURE", CORBA::COMPLETED_MAYBE,
                                  "COMM_FAILURE (minor 0x00000000, COMPLETED_MAYBE)"},
                      FailureCase{"OBJECT_NOT_EXIST", CORBA::COMPLETED_NO,
                                  "OBJECT_NOT_EXIST (minor 0x00000000, COMPLETED_NO)"},
                      FailureCase{"TIMEOUT", CORBA::COMPLETED_MAYBE, "TIMEOUT (minor 0x00000000, COMPLETED_MAYBE)"}),
    [](const auto& info) { return caseName(info.param); });

// --- the attempt bound -----------------------------------------------------

class ProxyAttemptBound : public ProxyFixture, public ::testing::WithParamInterface<int> {};

TEST_P(ProxyAttemptBound, CheckStateFalseEveryTimeMakesBoundPlusOneAttempts)
{
    const int bound = GetParam();
    ManagedService::INVOKE_LOOP_INSANITY = bound;
    service->checkStateRule = [](int) { return false; };
    STraceCapture capture(0, {kArea});

    const NexaFrameworkException ex = failingCall();

    EXPECT_EQ(ex.getErrorCode(), 15);
    EXPECT_EQ(ex.getMessage(), "Manually retry needed");
    EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kManualRetryNeeded);
    EXPECT_EQ(ex.getSubstParamCount(), 1);
    EXPECT_EQ(utf8(ex.getSubstParam(0)), kDescription);
    EXPECT_FALSE(ex.hasSystemError());
    EXPECT_EQ(service->checkStates.load(), bound + 1);
    EXPECT_EQ(service->reValidates.load(), bound + 1);
    EXPECT_EQ(service->markFailed.load(), 0);
    EXPECT_EQ(stub.calls(), 0);
    EXPECT_TRUE(capture.lines().empty());
}

TEST_P(ProxyAttemptBound, RecoverableFailureEveryTimeMakesBoundPlusOneStubCalls)
{
    const int bound = GetParam();
    ManagedService::INVOKE_LOOP_INSANITY = bound;
    stub.script(std::vector<StubStep>(static_cast<std::size_t>(bound) + 5, StubStep::raise("TRANSIENT")));
    STraceCapture capture(0, {kArea});

    const NexaFrameworkException ex = failingCall();

    EXPECT_EQ(ex.getErrorCode(), 15);
    EXPECT_EQ(stub.calls(), bound + 1);
    EXPECT_EQ(service->markFailed.load(), bound + 1);
    EXPECT_EQ(capture.lines().size(), static_cast<std::size_t>(bound) + 1);
}

INSTANTIATE_TEST_SUITE_P(ProxyBounds, ProxyAttemptBound, ::testing::Values(0, 1, 3, 5));

// --- dead or suspended ---------------------------------------------------------

struct GiveUpCase {
    const char* name;
    bool dead;
};
void PrintTo(const GiveUpCase& c, std::ostream* os) { *os << c.name; }

class ProxyDeadOrSuspended : public ProxyFixture, public ::testing::WithParamInterface<GiveUpCase> {};

TEST_P(ProxyDeadOrSuspended, AfterTheFirstFailureNoSecondAttemptIsMade)
{
    const bool dead = GetParam().dead;
    stub.script({StubStep::raise("TRANSIENT"), StubStep::reply()});
    auto afterFailure = [](int failures) { return failures >= 1; };
    auto never = [](int) { return false; };
    service->deadRule = dead ? std::function<bool(int)>(afterFailure) : never;
    service->suspendedRule = dead ? std::function<bool(int)>(never) : afterFailure;

    const NexaFrameworkException ex = failingCall();

    EXPECT_EQ(ex.getErrorCode(), 16);
    EXPECT_EQ(ex.getMessage(), kDeadMessage);
    EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kReconnectFailed);
    EXPECT_EQ(ex.getSubstParamCount(), 2);
    EXPECT_EQ(utf8(ex.getSubstParam(0)), "") << "no reconnection failure was recorded";
    EXPECT_EQ(utf8(ex.getSubstParam(1)), kDescription);
    EXPECT_EQ(stub.calls(), 1);
    EXPECT_EQ(service->reValidates.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(ProxyStates, ProxyDeadOrSuspended,
                         ::testing::Values(GiveUpCase{"dead", true}, GiveUpCase{"suspended", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProxyFixture, DeadServiceCarriesTheLastRecordedReconnectionFailure)
{
    ManagedService::INVOKE_LOOP_INSANITY = 0;
    stub.script({StubStep::raise("TRANSIENT")});
    service->reValidateSteps = {ReValidateStep::RaiseNexa};
    const NexaFrameworkException first = failingCall();
    ASSERT_EQ(first.getErrorCode(), 16);
    const std::string recorded = "NexaFrameworkException 42 (message 1): naming failure; texts: [naming lookup failed]";
    EXPECT_EQ(utf8(proxy->getLastFailureText()), recorded);

    service->checkStateRule = [](int) { return false; };
    service->deadRule = [](int) { return true; };
    const NexaFrameworkException second = failingCall();

    EXPECT_EQ(second.getMessage(), kDeadMessage);
    EXPECT_EQ(utf8(second.getSubstParam(0)), recorded);
    EXPECT_EQ(utf8(second.getSubstParam(1)), kDescription);
}

// --- irrecoverable failures ------------------------------------------------------

class ProxyIrrecoverable : public ProxyFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ProxyIrrecoverable, RaisesCode17AtOnceWithoutReconnecting)
{
    const FailureCase& c = GetParam();
    stub.script({StubStep::raise(c.exception, c.completion), StubStep::reply()});
    STraceCapture capture(0, {kArea});

    const NexaFrameworkException ex = failingCall();

    EXPECT_EQ(ex.getErrorCode(), 17);
    EXPECT_EQ(ex.getMessage(), "CORBA system exception that is irrecovrable");
    EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kIrrecoverable);
    ASSERT_EQ(ex.getSubstParamCount(), 4);
    EXPECT_EQ(utf8(ex.getSubstParam(0)), c.reason);
    EXPECT_EQ(utf8(ex.getSubstParam(1)), kDescription);
    EXPECT_EQ(utf8(ex.getSubstParam(2)), "");
    EXPECT_EQ(utf8(ex.getSubstParam(3)), "");
    ASSERT_TRUE(ex.hasSystemError());
    EXPECT_EQ(ex.getSystemError().getName(), c.exception);
    EXPECT_EQ(ex.getSourceFile(), "NexaFrameworkException");
    EXPECT_EQ(ex.getSourceLine(), 60);
    EXPECT_EQ(capture.linesUtf8(), std::vector<std::string>{std::string("Irrecovrable exception:") + c.reason});
    EXPECT_EQ(service->reValidates.load(), 0);
    EXPECT_EQ(service->markFailed.load(), 0);
    EXPECT_EQ(stub.calls(), 1);
}

INSTANTIATE_TEST_SUITE_P(ProxyKinds, ProxyIrrecoverable,
    ::testing::Values(FailureCase{"UNKNOWN", CORBA::COMPLETED_NO, "UNKNOWN (minor 0x00000000, COMPLETED_NO)"},
                      FailureCase{"BAD_PARAM", CORBA::COMPLETED_NO, "BAD_PARAM (minor 0x00000000, COMPLETED_NO)"},
                      FailureCase{"MARSHAL", CORBA::COMPLETED_MAYBE, "MARSHAL (minor 0x00000000, COMPLETED_MAYBE)"},
                      FailureCase{"NO_IMPLEMENT", CORBA::COMPLETED_NO,
                                  "NO_IMPLEMENT (minor 0x00000000, COMPLETED_NO)"},
                      FailureCase{"TRANSIENT", CORBA::COMPLETED_YES,
                                  "TRANSIENT (minor 0x00000000, COMPLETED_YES)"}),
    [](const auto& info) { return caseName(info.param); });

// --- reValidate raising ------------------------------------------------------------

class ProxyReValidateDropped : public ProxyFixture, public ::testing::WithParamInterface<ReValidateStep> {};

TEST_P(ProxyReValidateDropped, WithAttemptsLeftTheExceptionIsDroppedAndTheNextAttemptMade)
{
    stub.script({StubStep::raise("TRANSIENT"), StubStep::reply()});
    service->reValidateSteps = {GetParam()};
    const uint64_t assertionsBefore = SAssertCount();

    EXPECT_EQ(call(u"get"), u"reply:get");

    EXPECT_EQ(service->reValidates.load(), 1);
    EXPECT_EQ(stub.calls(), 2);
    EXPECT_EQ(utf8(proxy->getLastFailureText()), "");
    EXPECT_EQ(SAssertCount(), assertionsBefore);
}

INSTANTIATE_TEST_SUITE_P(ProxyKinds, ProxyReValidateDropped,
                         ::testing::Values(ReValidateStep::RaiseNexa, ReValidateStep::RaiseCorba,
                                           ReValidateStep::RaiseOther),
                         [](const auto& info) { return std::string(stepName(info.param)); });

struct FinalFailureCase {
    ReValidateStep step;
    const char* message;
    const char* failureText;
    int substCount;
    bool systemError;
    const char* assertion;  // null: none expected
};
void PrintTo(const FinalFailureCase& c, std::ostream* os) { *os << stepName(c.step); }

class ProxyReValidateFinal : public ProxyFixture, public ::testing::WithParamInterface<FinalFailureCase> {};

TEST_P(ProxyReValidateFinal, WithoutAttemptsLeftRaisesCode16AndRecordsTheFailure)
{
    const FinalFailureCase& c = GetParam();
    ManagedService::INVOKE_LOOP_INSANITY = 0;
    stub.script({StubStep::raise("TRANSIENT"), StubStep::reply()});
    service->reValidateSteps = {c.step};
    const uint64_t assertionsBefore = SAssertCount();

    const NexaFrameworkException ex = failingCall();

    EXPECT_EQ(ex.getErrorCode(), 16);
    EXPECT_EQ(ex.getMessage(), c.message);
    EXPECT_EQ(ex.getMessageNumber(), lumo_messages::kReconnectFailed);
    EXPECT_EQ(ex.getSubstParamCount(), c.substCount);
    EXPECT_EQ(utf8(ex.getSubstParam(0)), c.failureText);
    EXPECT_EQ(utf8(ex.getSubstParam(1)), kDescription);
    EXPECT_EQ(ex.hasSystemError(), c.systemError);
    EXPECT_EQ(utf8(proxy->getLastFailureText()), c.failureText);
    EXPECT_EQ(stub.calls(), 1);
    if (c.assertion) {
        EXPECT_EQ(SAssertCount(), assertionsBefore + 1);
        EXPECT_EQ(SAssertLastMessage(), c.assertion);
    } else {
        EXPECT_EQ(SAssertCount(), assertionsBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(ProxyKinds, ProxyReValidateFinal,
    ::testing::Values(
        FinalFailureCase{ReValidateStep::RaiseNexa,
                         "Failed to reconnect to another server bacause of nexaframework exception",
                         "NexaFrameworkException 42 (message 1): naming failure; texts: [naming lookup failed]", 2,
                         false, nullptr},
        FinalFailureCase{ReValidateStep::RaiseCorba,
                         "Failed to reconnect to another server because of corba system exception",
                         "COMM_FAILURE (minor 0x00000007, COMPLETED_MAYBE)", 4, true, nullptr},
        FinalFailureCase{ReValidateStep::RaiseOther, "Failed to reconnect to another server bacause of unknown exception",
                         "An unknown exception occurred.", 2, false,
                         "Assertion failed: false: unknown exception caught"}),
    [](const auto& info) { return std::string(stepName(info.param.step)); });

TEST_F(ProxyFixture, CounterMovesWithEveryComparisonAlsoWhenReValidateRaises)
{
    // Bound 2: three attempts, reValidate raising after each; the third
    // comparison (2 < 2) ends the loop.
    ManagedService::INVOKE_LOOP_INSANITY = 2;
    stub.script(std::vector<StubStep>(6, StubStep::raise("COMM_FAILURE")));
    service->reValidateRule = [](int) { return ReValidateStep::RaiseCorba; };

    const NexaFrameworkException ex = failingCall();

    EXPECT_EQ(ex.getMessage(), "Failed to reconnect to another server because of corba system exception");
    EXPECT_EQ(stub.calls(), 3);
    EXPECT_EQ(service->reValidates.load(), 3);
}

// --- test hooks, null stubs, foreign exceptions ---------------------------------------

TEST_F(ProxyFixture, TestExceptionsAreNeverTriggeredWhileTestsAreDisabled)
{
    ManagedService::TESTS_ENABLED = false;
    stub.script({StubStep::raise("TRANSIENT"), StubStep::reply()});
    EXPECT_EQ(call(u"x"), u"reply:x");
    EXPECT_EQ(service->triggers.load(), 0);
}

TEST_F(ProxyFixture, EnabledTestExceptionsRunBeforeEachCallAndAreHandledLikeStubFailures)
{
    ManagedService::TESTS_ENABLED = true;
    service->triggerAction = [](int call) {
        if (call == 0) throw CORBA::TRANSIENT(0, CORBA::COMPLETED_NO);
    };
    STraceCapture capture(0, {kArea});

    EXPECT_EQ(call(u"x"), u"reply:x");

    EXPECT_EQ(service->triggers.load(), 2);
    EXPECT_EQ(stub.calls(), 1);
    EXPECT_EQ(capture.linesUtf8(),
              std::vector<std::string>{"recoverable exception:TRANSIENT (minor 0x00000000, COMPLETED_NO)"});
}

TEST_F(ProxyFixture, NullStubIsNeverCalledThroughAndCountsAsAFailedAttempt)
{
    service->stubRule = [this](int call) -> CORBA::Object* { return call == 0 ? nullptr : &stub; };
    STraceCapture capture(0, {kArea});

    EXPECT_EQ(call(u"x"), u"reply:x");

    EXPECT_EQ(capture.linesUtf8(),
              std::vector<std::string>{"Assertion failed: stub != NULL: the stub object shouldn't be null"});
    EXPECT_EQ(service->markFailed.load(), 1);
    EXPECT_EQ(service->reValidates.load(), 1);
    EXPECT_EQ(stub.calls(), 1);
}

TEST_F(ProxyFixture, OtherExceptionsFromTheAttemptLeaveUnchangedAfterTheLockIsReleased)
{
    service->checkStateAction = [](int) { throw std::runtime_error("state store unavailable"); };
    EXPECT_THROW(call(u"x"), std::runtime_error);
    EXPECT_EQ(service->locks.load(), 1);
    EXPECT_EQ(service->unlocks.load(), 1);
    EXPECT_EQ(service->reValidates.load(), 0);
    EXPECT_EQ(service->pulsesCompleted.load(), 1);
}

TEST_F(ProxyFixture, ExceptionFromMarkFailedStateLeavesUnchanged)
{
    stub.script({StubStep::raise("TRANSIENT")});
    service->markFailedAction = [](int) { throw std::logic_error("bookkeeping failed"); };
    EXPECT_THROW(call(u"x"), std::logic_error);
    EXPECT_EQ(service->reValidates.load(), 0);
}

TEST(ProxyWithoutManagedService, AssertsAndAnswersEveryCallAsDead)
{
    SAssertSetEnabled(true);
    SRefPtr<LumoCommentaryServiceProxy> proxy(new LumoCommentaryServiceProxy(nullptr));
    EXPECT_EQ(SAssertLastMessage(), "Assertion failed: m_managedSvc != NULL: The managed service pointer should not be null");
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

// --- retention ids -------------------------------------------------------------

TEST_F(ProxyFixture, EveryAttemptOfOneCallCarriesTheSameRetentionIdAndEachCallANewOne)
{
    stub.script({StubStep::raise("TRANSIENT"), StubStep::raise("COMM_FAILURE", CORBA::COMPLETED_MAYBE),
                 StubStep::reply(), StubStep::reply()});
    call(u"first");
    call(u"second");

    const std::vector<long> ids = stub.retentionIds();
    ASSERT_EQ(ids.size(), 4u);
    EXPECT_NE(ids[0], 0);
    EXPECT_EQ(ids[1], ids[0]);
    EXPECT_EQ(ids[2], ids[0]);
    EXPECT_NE(ids[3], ids[0]);
    lumo_ft::FtRequest open;
    EXPECT_FALSE(FtRequestTracker::current(open)) << "the request stays open after the call";
}

// --- m_lastFailureText under concurrent failing calls ------------------------------------

TEST_F(ProxyFixture, LastFailureTextStaysWholeUnderConcurrentFailingCalls)
{
    ManagedService::INVOKE_LOOP_INSANITY = 0;
    service->reValidateRule = [](int) { return ReValidateStep::RaiseNexa; };
    service->stubRule = [](int) -> CORBA::Object* { throw CORBA::TRANSIENT(0, CORBA::COMPLETED_NO); };
    static thread_local std::size_t t_thread = 0;

    const int threads = 4;
    const int callsPerThread = 150;
    std::set<std::string> valid;
    std::vector<SWCharString> texts;
    for (int t = 0; t < threads; ++t) {
        const std::string text = "thread " + std::to_string(t) + " " + std::string(300, static_cast<char>('a' + t));
        texts.push_back(SWCharString::fromUtf8(text));
        valid.insert(NexaFrameworkException(42, "naming failure", 1, texts.back().c_str()).toString().toUtf8());
    }
    service->nexaFailureText = [&texts] { return texts[t_thread]; };

    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done) {
            const std::string seen = proxy->getLastFailureText().toUtf8();
            if (!seen.empty() && !valid.count(seen)) ++torn;
        }
    });
    std::atomic<int> mismatches{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            t_thread = static_cast<std::size_t>(t);
            const std::string own =
                NexaFrameworkException(42, "naming failure", 1, texts[t_thread].c_str()).toString().toUtf8();
            for (int i = 0; i < callsPerThread; ++i) {
                try {
                    call(u"x");
                    ++mismatches;
                } catch (const NexaFrameworkException& ex) {
                    if (ex.getSubstParam(0).toUtf8() != own) ++mismatches;
                }
            }
        });
    }
    for (std::thread& w : workers) w.join();
    done = true;
    reader.join();

    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(valid.count(proxy->getLastFailureText().toUtf8()), 1u);
    EXPECT_EQ(service->reValidates.load(), threads * callsPerThread);
}
