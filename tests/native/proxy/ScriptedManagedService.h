// A managed service and a commentary stub that follow a script, for driving
// the proxy's invocation loop without a network.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "idl/LumoCommentaryService.hh"
#include "platform/framework/ManagedService.h"

// What one stub call does: answer with "reply:" + the request, or raise.
struct StubStep {
    enum Kind { Reply, Raise } kind = Reply;
    std::string exception;  // a CORBA system exception name (TRANSIENT, UNKNOWN, ...)
    CORBA::CompletionStatus completion = CORBA::COMPLETED_NO;
    std::vector<CORBA::WChar> units;  // when not empty: the reply, as given

    static StubStep reply() { return StubStep(); }
    static StubStep replyUnits(std::vector<CORBA::WChar> units)
    {
        StubStep s;
        s.units = std::move(units);
        return s;
    }
    static StubStep raise(const std::string& name, CORBA::CompletionStatus c = CORBA::COMPLETED_NO)
    {
        StubStep s;
        s.kind = Raise;
        s.exception = name;
        s.completion = c;
        return s;
    }
};

// Raises the named CORBA system exception (minor code 0).
[[noreturn]] void raiseSystemException(const std::string& name, CORBA::CompletionStatus completion);

class FakeCommentaryStub : public _objref_LumoCommentaryService {
public:
    FakeCommentaryStub() = default;
    ~FakeCommentaryStub() override = default;

    ::CORBA::WChar* execute(const ::CORBA::WChar* request) override;

    void script(std::vector<StubStep> steps);
    int calls() const { return m_calls; }
    // The retention id the thread's open request had at each call (0: none).
    std::vector<long> retentionIds() const;
    std::vector<CORBA::WChar> lastRequestUnits() const;

private:
    mutable std::mutex m_mutex;
    std::deque<StubStep> m_steps;
    std::vector<long> m_retentionIds;
    std::vector<CORBA::WChar> m_lastRequest;
    std::atomic<int> m_calls{0};
};

// What one reValidate call does.
enum class ReValidateStep { Succeed, RaiseNexa, RaiseCorba, RaiseOther };

class ScriptedManagedService : public ManagedService {
public:
    static constexpr const char16_t* DESCRIPTION = u"Nexa_LumoCommentary@Scripted/server-1";

    explicit ScriptedManagedService(FakeCommentaryStub* stub);

    // ManagedService
    SWCharString getDescription() const override { return DESCRIPTION; }
    void pulse() override;
    void completePulse() override;
    void getSessionLock() override;
    void releaseSessionLock() override;
    bool checkState() override;
    void triggerTestExceptions() override;
    CORBA::Object* getStub() override;
    bool isRecoverable(const CORBA::SystemException& ex) override;
    void markFailedState() override;
    void reValidate() override;
    bool isDead() override;
    bool isSuspended() override;

    // Scripts (set before a call).
    std::function<bool(int call)> checkStateRule = [](int) { return true; };
    std::function<void(int call)> checkStateAction;  // may raise
    std::function<bool(int failures)> deadRule = [](int) { return false; };
    std::function<bool(int failures)> suspendedRule = [](int) { return false; };
    std::function<CORBA::Object*(int call)> stubRule;  // default: the fake stub
    std::function<void(int call)> triggerAction;
    std::function<void(int call)> markFailedAction;
    std::deque<ReValidateStep> reValidateSteps;  // used up in order; then: succeed
    std::function<ReValidateStep(int call)> reValidateRule;  // replaces the steps when set
    // The text of the NexaFrameworkException that RaiseNexa raises.
    std::function<SWCharString()> nexaFailureText = [] { return SWCharString(u"naming lookup failed"); };

    // Counters.
    std::atomic<int> pulses{0}, pulsesCompleted{0}, locks{0}, unlocks{0}, checkStates{0}, triggers{0}, getStubs{0},
        markFailed{0}, reValidates{0};
    // Lock discipline: calls made with/without the session lock held where
    // the loop must not.
    std::atomic<int> lockViolations{0};
    // Whether the calling thread holds the session lock.
    bool lockHeld() const;

protected:
    ~ScriptedManagedService() override = default;

private:
    void expectLock(bool held);
    FakeCommentaryStub* m_stub;
    std::mutex m_session;
    std::mutex m_scriptMutex;
};
