// Shared support of the proxy suites: a managed service and a commentary stub
// that follow a script (no network), and a fixture with a proxy over them.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "idl/LumoCommentaryService.hh"
#include "platform/foundation/SAssert.h"
#include "platform/foundation/SString.h"
#include "platform/framework/FtRequestTracker.h"
#include "platform/framework/ManagedService.h"
#include "platform/framework/NexaFrameworkException.h"
#include "service/proxy/LumoCommentaryService_proxy.h"

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
    ::CORBA::WChar* execute(const ::CORBA::WChar* request) override
    {
        ++m_calls;
        StubStep step;
        std::vector<CORBA::WChar> units;
        for (const CORBA::WChar* p = request; *p; ++p) units.push_back(*p);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            lumo_ft::FtRequest open;
            m_retentionIds.push_back(FtRequestTracker::current(open) ? open.retentionId : 0);
            m_lastRequest = units;
            if (!m_steps.empty()) {
                step = m_steps.front();
                m_steps.pop_front();
            }
        }
        if (step.raise == "TRANSIENT") throw CORBA::TRANSIENT(0, step.completion);
        if (step.raise == "COMM_FAILURE") throw CORBA::COMM_FAILURE(0, step.completion);
        if (step.raise == "UNKNOWN") throw CORBA::UNKNOWN(0, step.completion);
        if (!step.raise.empty()) throw std::logic_error("no such exception in the script: " + step.raise);
        if (step.units.empty()) units.insert(units.begin(), {'r', 'e', 'p', 'l', 'y', ':'});
        else units = step.units;
        CORBA::WChar* reply = CORBA::wstring_alloc(static_cast<CORBA::ULong>(units.size()));
        std::copy(units.begin(), units.end(), reply);
        reply[units.size()] = 0;
        return reply;
    }

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
    explicit ScriptedManagedService(FakeCommentaryStub* stub)
        : ManagedService(u"Nexa_LumoCommentary", SRefPtr<ServerSpec>(), withRetention()), m_stub(stub)
    {
    }

    SWCharString getDescription() const override { return u"Nexa_LumoCommentary@Scripted/server-1"; }
    void pulse() override
    {
        expectLock(false);
        ++pulses;
        ManagedService::pulse();
    }
    void completePulse() override
    {
        ++pulsesCompleted;
        ManagedService::completePulse();
    }
    void getSessionLock() override
    {
        m_session.lock();
        ++t_lockDepth;
        ++locks;
    }
    void releaseSessionLock() override
    {
        ++unlocks;
        --t_lockDepth;
        m_session.unlock();
    }
    bool checkState() override
    {
        expectLock(true);
        return checkStateRule(checkStates++);
    }
    void triggerTestExceptions() override
    {
        expectLock(true);
        const int call = triggers++;
        if (triggerAction) triggerAction(call);
    }
    CORBA::Object* getStub() override
    {
        expectLock(true);
        const int call = getStubs++;
        return stubRule ? stubRule(call) : m_stub;
    }
    bool isRecoverable(const CORBA::SystemException& ex) override
    {
        expectLock(true);
        return ManagedService::isRecoverable(ex);
    }
    void markFailedState() override
    {
        expectLock(true);
        const int call = markFailed++;
        if (markFailedAction) markFailedAction(call);
    }
    void reValidate() override
    {
        expectLock(false);
        switch (reValidateRule(reValidates++)) {
        case ReValidateStep::Succeed: return;
        case ReValidateStep::RaiseNexa: {
            const SWCharString text = nexaFailureText();
            throw NexaFrameworkException(42, "naming failure", 1, text.c_str());
        }
        case ReValidateStep::RaiseCorba: throw CORBA::COMM_FAILURE(7, CORBA::COMPLETED_MAYBE);
        case ReValidateStep::RaiseOther: throw std::runtime_error("disk on fire");
        }
    }
    bool isDead() override
    {
        expectLock(false);
        return deadRule(markFailed);
    }
    bool isSuspended() override
    {
        expectLock(false);
        return suspendedRule(markFailed);
    }

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
    static FrameworkSettings withRetention()
    {
        FrameworkSettings s;
        s.retention = true;
        return s;
    }
    void expectLock(bool held)
    {
        if ((t_lockDepth > 0) != held) ++lockViolations;
    }
    static inline thread_local int t_lockDepth = 0;
    FakeCommentaryStub* m_stub;
    std::mutex m_session;
};

class ProxyFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedBound = ManagedService::INVOKE_LOOP_INSANITY.load();
        m_savedTests = ManagedService::TESTS_ENABLED.load();
        ManagedService::INVOKE_LOOP_INSANITY = 3;
        ManagedService::TESTS_ENABLED = false;
        SAssertSetEnabled(true);
        service = new ScriptedManagedService(&stub);
        proxy = new LumoCommentaryServiceProxy(service.get());
    }

    void TearDown() override
    {
        EXPECT_EQ(service->lockViolations.load(), 0) << "a call ran with the wrong session-lock state";
        EXPECT_EQ(service->locks.load(), service->unlocks.load());
        EXPECT_EQ(service->pulses.load(), service->pulsesCompleted.load());
        proxy.reset();
        service.reset();
        ManagedService::INVOKE_LOOP_INSANITY = m_savedBound;
        ManagedService::TESTS_ENABLED = m_savedTests;
    }

    // One call through the proxy; the reply as UTF-16.
    std::u16string call(const std::u16string& request = u"req")
    {
        std::vector<CORBA::WChar> units(request.begin(), request.end());
        units.push_back(0);
        CORBA::WString_var reply = proxy->execute(units.data());
        std::u16string text;
        for (const CORBA::WChar* p = reply.in(); *p; ++p) text += static_cast<char16_t>(*p);
        return text;
    }

    // The NexaFrameworkException that a call raises (a test failure if none).
    NexaFrameworkException failingCall()
    {
        try {
            call();
        } catch (const NexaFrameworkException& ex) {
            return ex;
        }
        ADD_FAILURE() << "the call raised no NexaFrameworkException";
        return NexaFrameworkException(0, "", 0);
    }

    FakeCommentaryStub stub;
    SRefPtr<ScriptedManagedService> service;
    SRefPtr<LumoCommentaryServiceProxy> proxy;

private:
    int m_savedBound = 3;
    bool m_savedTests = false;
};

inline std::string utf8(const SWCharString& s) { return s.toUtf8(); }
