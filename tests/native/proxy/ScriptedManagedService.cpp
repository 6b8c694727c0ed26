#include "tests/native/proxy/ScriptedManagedService.h"

#include <stdexcept>

#include "platform/framework/FtRequestTracker.h"
#include "platform/framework/NexaFrameworkException.h"

namespace {

[[noreturn]] void raiseSystemException(const std::string& name, CORBA::CompletionStatus c)
{
    if (name == "TRANSIENT") throw CORBA::TRANSIENT(0, c);
    if (name == "COMM_FAILURE") throw CORBA::COMM_FAILURE(0, c);
    if (name == "UNKNOWN") throw CORBA::UNKNOWN(0, c);
    if (name == "BAD_PARAM") throw CORBA::BAD_PARAM(0, c);
    if (name == "MARSHAL") throw CORBA::MARSHAL(0, c);
    throw std::logic_error("no such exception in the script: " + name);
}

thread_local int t_lockDepth = 0;

FrameworkSettings withRetention()
{
    FrameworkSettings s;
    s.retention = true;
    return s;
}

}  // namespace

::CORBA::WChar* FakeCommentaryStub::execute(const ::CORBA::WChar* request)
{
    ++m_calls;
    StubStep step;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        lumo_ft::FtRequest open;
        m_retentionIds.push_back(FtRequestTracker::current(open) ? open.retentionId : 0);
        m_lastRequest.clear();
        for (const CORBA::WChar* p = request; *p; ++p) m_lastRequest.push_back(*p);
        if (!m_steps.empty()) {
            step = m_steps.front();
            m_steps.pop_front();
        }
    }
    if (!step.raise.empty()) raiseSystemException(step.raise, step.completion);
    std::vector<CORBA::WChar> units = step.units;
    if (units.empty()) {
        for (char c : std::string("reply:")) units.push_back(static_cast<CORBA::WChar>(c));
        for (const CORBA::WChar* p = request; *p; ++p) units.push_back(*p);
    }
    CORBA::WChar* reply = CORBA::wstring_alloc(static_cast<CORBA::ULong>(units.size()));
    for (std::size_t i = 0; i < units.size(); ++i) reply[i] = units[i];
    reply[units.size()] = 0;
    return reply;
}

ScriptedManagedService::ScriptedManagedService(FakeCommentaryStub* stub)
    : ManagedService(u"Nexa_LumoCommentary", SRefPtr<ServerSpec>(), withRetention()), m_stub(stub)
{
}

void ScriptedManagedService::expectLock(bool held)
{
    if ((t_lockDepth > 0) != held) ++lockViolations;
}

void ScriptedManagedService::pulse()
{
    expectLock(false);
    ++pulses;
    ManagedService::pulse();
}

void ScriptedManagedService::completePulse()
{
    ++pulsesCompleted;
    ManagedService::completePulse();
}

void ScriptedManagedService::getSessionLock()
{
    m_session.lock();
    ++t_lockDepth;
    ++locks;
}

void ScriptedManagedService::releaseSessionLock()
{
    ++unlocks;
    --t_lockDepth;
    m_session.unlock();
}

void ScriptedManagedService::triggerTestExceptions()
{
    expectLock(true);
    const int call = triggers++;
    if (triggerAction) triggerAction(call);
}

CORBA::Object* ScriptedManagedService::getStub()
{
    expectLock(true);
    const int call = getStubs++;
    return stubRule ? stubRule(call) : m_stub;
}

bool ScriptedManagedService::isRecoverable(const CORBA::SystemException& ex)
{
    expectLock(true);
    return ManagedService::isRecoverable(ex);
}

void ScriptedManagedService::markFailedState()
{
    expectLock(true);
    const int call = markFailed++;
    if (markFailedAction) markFailedAction(call);
}

void ScriptedManagedService::reValidate()
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

bool ScriptedManagedService::isDead()
{
    expectLock(false);
    return deadRule(markFailed);
}

bool ScriptedManagedService::isSuspended()
{
    expectLock(false);
    return suspendedRule(markFailed);
}
