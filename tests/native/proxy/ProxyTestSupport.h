// The proxy suites' fakes: a commentary stub whose calls follow a failure
// script (TestExceptionScript syntax, no network) and a managed service whose
// decisions follow rules.  The managed service checks on every call that the
// session lock is held exactly where the loop must hold it.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/foundation/SAssert.h"
#include "platform/framework/FtRequestTracker.h"
#include "platform/framework/NexaFrameworkException.h"
#include "platform/framework/TestExceptionScript.h"
#include "service/proxy/LumoCommentaryService_proxy.h"

// Answers "reply:" + the request (or the units given), after the script's
// failure for the call, if any.
class FakeCommentaryStub : public lumo_idl::LumoCommentaryServiceStub {
public:
    ::CORBA::WChar* execute(const ::CORBA::WChar* request) override
    {
        std::vector<CORBA::WChar> units(request, request + std::char_traits<CORBA::WChar>::length(request));
        lumo_ft::FtRequest open;
        retentionIds.push_back(FtRequestTracker::current(open) ? open.retentionId : 0);
        lastRequest = units;
        ++calls;
        failures.trigger();
        if (!replyUnits.empty()) units = replyUnits;
        else units.insert(units.begin(), {'r', 'e', 'p', 'l', 'y', ':'});
        units.push_back(0);
        return CORBA::wstring_dup(units.data());
    }

    TestExceptionScript failures;
    std::vector<CORBA::WChar> replyUnits;
    int calls = 0;
    std::vector<long> retentionIds;  // the open request's id at each call (0: none)
    std::vector<CORBA::WChar> lastRequest;
};

enum class ReValidateStep { Succeed, RaiseNexa, RaiseCorba, RaiseOther };

class ScriptedManagedService : public ManagedService {
public:
    explicit ScriptedManagedService(FakeCommentaryStub* stub)
        : ManagedService(u"Nexa_LumoCommentary", SRefPtr<ServerSpec>(), FrameworkSettings()), m_stub(stub)
    {
    }

    SWCharString getDescription() const override { return u"Nexa_LumoCommentary@Scripted/server-1"; }
    void pulse() override { count(pulses, false), ManagedService::pulse(); }
    void completePulse() override { ++pulsesCompleted, ManagedService::completePulse(); }
    void getSessionLock() override { m_session.lock(), ++t_lockDepth, ++locks; }
    void releaseSessionLock() override { ++unlocks, --t_lockDepth, m_session.unlock(); }
    bool checkState() override { return checkStateRule(count(checkStates, true)); }
    void triggerTestExceptions() override { count(triggers, true), TestExceptionScript::process().trigger(); }
    CORBA::Object* getStub() override { return stubRule ? stubRule(count(getStubs, true)) : m_stub; }
    bool isRecoverable(const CORBA::SystemException& ex) override
    {
        expectLock(true);
        return ManagedService::isRecoverable(ex);
    }
    void markFailedState() override
    {
        if (markFailedAction) markFailedAction(count(markFailed, true));
        else count(markFailed, true);
    }
    void reValidate() override
    {
        switch (reValidateRule(count(reValidates, false))) {
        case ReValidateStep::Succeed: return;
        case ReValidateStep::RaiseNexa: throw NexaFrameworkException(42, "naming failure", 1, nexaFailureText().c_str());
        case ReValidateStep::RaiseCorba: throw CORBA::COMM_FAILURE(7, CORBA::COMPLETED_MAYBE);
        case ReValidateStep::RaiseOther: throw std::runtime_error("disk on fire");
        }
    }
    bool isDead() override { return expectLock(false), deadRule(markFailed); }
    bool isSuspended() override { return expectLock(false), suspendedRule(markFailed); }

    // The rules; the argument counts the earlier calls (markFailedState calls
    // for the dead and suspended rules).
    std::function<bool(int)> checkStateRule = [](int) { return true; };
    std::function<bool(int)> deadRule = [](int) { return false; };
    std::function<bool(int)> suspendedRule = [](int) { return false; };
    std::function<CORBA::Object*(int)> stubRule;  // may raise; default: the fake stub
    std::function<void(int)> markFailedAction;
    std::function<ReValidateStep(int)> reValidateRule = [](int) { return ReValidateStep::Succeed; };
    std::function<SWCharString()> nexaFailureText = [] { return SWCharString(u"naming lookup failed"); };

    std::atomic<int> pulses{0}, pulsesCompleted{0}, locks{0}, unlocks{0}, checkStates{0}, triggers{0},
        getStubs{0}, markFailed{0}, reValidates{0}, lockViolations{0};

protected:
    ~ScriptedManagedService() override = default;

private:
    void expectLock(bool held)
    {
        if ((t_lockDepth > 0) != held) ++lockViolations;
    }
    int count(std::atomic<int>& counter, bool lockHeld) { return expectLock(lockHeld), counter++; }
    static inline thread_local int t_lockDepth = 0;
    FakeCommentaryStub* m_stub;
    std::mutex m_session;
};

class ProxyFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
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
        ManagedService::TESTS_ENABLED = false;
    }

    std::u16string call(const std::u16string& request = u"req")
    {
        std::vector<CORBA::WChar> units(request.begin(), request.end());
        units.push_back(0);
        CORBA::WString_var reply = proxy->execute(units.data());
        return std::u16string(reply.in(), reply.in() + std::char_traits<CORBA::WChar>::length(reply.in()));
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
};

inline std::string utf8(const SWCharString& s) { return s.toUtf8(); }
