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

// What one stub call does: answer with "reply:" + the request (or the given
// units), or raise the named CORBA system exception (minor code 0).
struct StubStep {
    std::string raise;  // empty: answer
    CORBA::CompletionStatus completion = CORBA::COMPLETED_NO;
    std::vector<CORBA::WChar> units;

    static StubStep reply(std::vector<CORBA::WChar> units = {}) { return StubStep{"", CORBA::COMPLETED_NO, units}; }
    static StubStep fail(const std::string& name, CORBA::CompletionStatus c = CORBA::COMPLETED_NO)
    {
        return StubStep{name, c, {}};
    }
};

class FakeCommentaryStub : public _objref_LumoCommentaryService {
public:
    ::CORBA::WChar* execute(const ::CORBA::WChar* request) override;

    void script(std::vector<StubStep> steps)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_steps.assign(steps.begin(), steps.end());
    }
    int calls() const { return m_calls; }
    // The retention id the thread's open request had at each call (0: none).
    std::vector<long> retentionIds() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_retentionIds;
    }
    std::vector<CORBA::WChar> lastRequestUnits() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lastRequest;
    }

private:
    mutable std::mutex m_mutex;
    std::deque<StubStep> m_steps;
    std::vector<long> m_retentionIds;
    std::vector<CORBA::WChar> m_lastRequest;
    std::atomic<int> m_calls{0};
};

// What one reValidate call does.
enum class ReValidateStep { Succeed, RaiseNexa, RaiseCorba, RaiseOther };

// Counts every call and checks that each runs with the session lock held
// exactly where the loop must hold it.
class ScriptedManagedService : public ManagedService {
public:
    explicit ScriptedManagedService(FakeCommentaryStub* stub);

    SWCharString getDescription() const override { return u"Nexa_LumoCommentary@Scripted/server-1"; }
    void pulse() override;
    void completePulse() override;
    void getSessionLock() override;
    void releaseSessionLock() override;
    bool checkState() override {
        expectLock(true);
        return checkStateRule(checkStates++);
    }
    void triggerTestExceptions() override;
    CORBA::Object* getStub() override;
    bool isRecoverable(const CORBA::SystemException& ex) override;
    void markFailedState() override;
    void reValidate() override;
    bool isDead() override;
    bool isSuspended() override;

    // Scripts (set before a call); the argument counts the earlier calls
    // (markFailedState calls for the dead and suspended rules).
    std::function<bool(int)> checkStateRule = [](int) { return true; };
    std::function<bool(int)> deadRule = [](int) { return false; };
    std::function<bool(int)> suspendedRule = [](int) { return false; };
    std::function<CORBA::Object*(int)> stubRule;  // may raise; default: the fake stub
    std::function<void(int)> triggerAction;
    std::function<void(int)> markFailedAction;
    std::function<ReValidateStep(int)> reValidateRule = [](int) { return ReValidateStep::Succeed; };
    // The text of the NexaFrameworkException that RaiseNexa raises.
    std::function<SWCharString()> nexaFailureText = [] { return SWCharString(u"naming lookup failed"); };

    std::atomic<int> pulses{0}, pulsesCompleted{0}, locks{0}, unlocks{0}, checkStates{0}, triggers{0},
        getStubs{0}, markFailed{0}, reValidates{0}, lockViolations{0};

protected:
    ~ScriptedManagedService() override = default;

private:
    void expectLock(bool held);
    FakeCommentaryStub* m_stub;
    std::mutex m_session;
};
