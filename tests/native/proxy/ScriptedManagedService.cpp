#include "tests/native/proxy/ScriptedManagedService.h"

#include <stdexcept>

#include "platform/framework/FtRequestTracker.h"
#include "platform/framework/NexaFrameworkException.h"

void raiseSystemException(const std::string& name, CORBA::CompletionStatus c)
{
    if (name == "TRANSIENT") throw CORBA::TRANSIENT(0, c);
    if (name == "COMM_FAILURE") throw CORBA::COMM_FAILURE(0, c);
    if (name == "OBJECT_NOT_EXIST") throw CORBA::OBJECT_NOT_EXIST(0, c);
    if (name == "TIMEOUT") throw CORBA::TIMEOUT(0, c);
    if (name == "UNKNOWN") throw CORBA::UNKNOWN(0, c);
    if (name == "BAD_PARAM") throw CORBA::BAD_PARAM(0, c);
    if (name == "MARSHAL") throw CORBA::MARSHAL(0, c);
    if (name == "NO_IMPLEMENT") throw CORBA::NO_IMPLEMENT(0, c);
    throw CORBA::INTERNAL(0, c);
}

::CORBA::WChar* FakeCommentaryStub::execute(const ::CORBA::WChar* request)
{
    ++m_calls;
    StubStep step;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        lumo_ft::FtRequest open;
        m_retentionIds.push_back(FtRequestTracker::current(open) ? open.retentionId : 0);
        m_lastRequest.clear();
        for (const CORBA::WChar* p = request; p && *p; ++p) m_lastRequest.push_back(*p);
        if (!m_steps.empty()) {
            step = m_steps.front();
            m_steps.pop_front();
        }
    }
    if (step.kind == StubStep::Raise) raiseSystemException(step.exception, step.completion);
    const CORBA::WChar prefix[] = {'r', 'e', 'p', 'l', 'y', ':'};
    std::vector<CORBA::WChar> units(prefix, prefix + 6);
    for (const CORBA::WChar* p = request; p && *p; ++p) units.push_back(*p);
    if (!step.units.empty()) units = step.units;
    CORBA::WChar* reply = CORBA::wstring_alloc(static_cast<CORBA::ULong>(units.size()));
    for (std::size_t i = 0; i < units.size(); ++i) reply[i] = units[i];
    reply[units.size()] = 0;
    return reply;
}

void FakeCommentaryStub::script(std::vector<StubStep> steps)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_steps.assign(steps.begin(), steps.end());
}

std::vector<long> FakeCommentaryStub::retentionIds() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_retentionIds;
}

std::vector<CORBA::WChar> FakeCommentaryStub::lastRequestUnits() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastRequest;
}

namespace {

thread_local int t_lockDepth = 0;

FrameworkSettings scriptedSettings()
{
    FrameworkSettings s;
    s.retention = true;
    return s;
}

}  // namespace

ScriptedManagedService::ScriptedManagedService(FakeCommentaryStub* stub)
    : ManagedService(u"Nexa_LumoCommentary", SRefPtr<ServerSpec>(), scriptedSettings()), m_stub(stub)
{
}

bool ScriptedManagedService::lockHeld() const { return t_lockDepth > 0; }

void ScriptedManagedService::expectLock(bool held)
{
    if (lockHeld() != held) ++lockViolations;
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

bool ScriptedManagedService::checkState()
{
    expectLock(true);
    const int call = checkStates++;
    if (checkStateAction) checkStateAction(call);
    return checkStateRule(call);
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
    if (stubRule) return stubRule(call);
    return m_stub;
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
    const int call = reValidates++;
    ReValidateStep step = ReValidateStep::Succeed;
    if (reValidateRule) {
        step = reValidateRule(call);
    } else {
        std::lock_guard<std::mutex> lock(m_scriptMutex);
        if (!reValidateSteps.empty()) {
            step = reValidateSteps.front();
            reValidateSteps.pop_front();
        }
    }
    switch (step) {
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
