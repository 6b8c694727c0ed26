#include "platform/framework/ManagedService.h"

#include <algorithm>
#include <random>

#include "platform/foundation/SAssert.h"
#include "platform/foundation/SResString.h"
#include "platform/framework/CallDeadline.h"
#include "platform/framework/FailureClassifier.h"
#include "platform/framework/FtRequestTracker.h"
#include "platform/framework/NamingDirectory.h"
#include "platform/framework/Nexa2Exception.h"
#include "platform/framework/OrbServices.h"
#include "platform/framework/ReconnectBackoff.h"
#include "platform/framework/SCorbaSystemError.h"
#include "platform/framework/TestExceptionScript.h"

std::atomic<int> ManagedService::INVOKE_LOOP_INSANITY{FrameworkSettings::fromEnvironment().invokeLoopInsanity};
std::atomic<bool> ManagedService::TESTS_ENABLED{FrameworkSettings::fromEnvironment().testsEnabled};

namespace {

std::size_t randomStart()
{
    std::random_device device;
    return static_cast<std::size_t>(device());
}

// Whether the calling thread's last getSessionLock gave up at its deadline
// (then it holds nothing, and its attempt makes no call).
thread_local bool t_sessionLockMissed = false;

// Limits the calling thread's next remote calls to one attempt within the
// call's deadline (at least 1 ms: 0 would mean no limit).
void limitAttempt(uint32_t attemptMs)
{
    OrbServices::limitThreadCalls(std::max<uint32_t>(CallDeadline::remainingMs(attemptMs), 1));
}

}  // namespace

ManagedService::ManagedService(const SWCharString& serviceName, const SRefPtr<ServerSpec>& spec,
                               const SRefPtr<IStubHelper>& helper, const SWCharString& userUri,
                               const SWCharString& logonToken, int lbId, const FrameworkSettings& settings)
    : m_serviceName(serviceName),
      m_spec(spec),
      m_helper(helper),
      m_userUri(userUri),
      m_logonToken(logonToken),
      m_lbId(lbId),
      m_settings(settings),
      m_roundRobin(randomStart())
{
}

ManagedService::ManagedService(const SWCharString& serviceName, const SRefPtr<ServerSpec>& spec,
                               const FrameworkSettings& settings)
    : m_serviceName(serviceName), m_spec(spec), m_lbId(LB_FIRST), m_settings(settings), m_roundRobin(0)
{
}

ManagedService::~ManagedService()
{
    if (m_stub && m_helper) m_helper->releaseStub(m_stub);
}

SWCharString ManagedService::getDescription() const
{
    SWCharString text = m_serviceName;
    text += u"@";
    if (m_spec) text += m_spec->getCluster();
    text += u"/";
    std::lock_guard<std::mutex> lock(m_stateMutex);
    text += m_serverName;
    return text;
}

SWCharString ManagedService::getServerName() const
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_serverName;
}

void ManagedService::connect()
{
    std::lock_guard<std::timed_mutex> reconnect(m_reconnectMutex);
    bool found = false;
    try {
        found = establish(false);
    } catch (const CORBA::Exception& ex) {
        throw Nexa2Exception(lumo_messages::kNamingServiceUnavailable,
                             SWCharString::fromUtf8(OrbServices::namingText()),
                             SCorbaSystemError::fromException(ex).getReasonText());
    }
    if (!found) {
        const SWCharString given = m_spec ? m_spec->getServerFilter() : SWCharString();
        const SWCharString filter = given.isEmpty() ? SWCharString(u"*") : given;
        throw Nexa2Exception(lumo_messages::kNoServerInCluster, m_serviceName,
                             m_spec ? m_spec->getCluster() : SWCharString(), filter);
    }
}

void ManagedService::pulse()
{
    CallDeadline::begin(m_settings.callDeadlineMs);
    if (m_settings.retention) FtRequestTracker::begin(m_settings.retentionMs);
}

void ManagedService::completePulse()
{
    FtRequestTracker::end();
    CallDeadline::end();
    OrbServices::limitThreadCalls(0);
}

void ManagedService::getSessionLock()
{
    const bool shared = m_settings.sharedSessionLock;
    t_sessionLockMissed = false;
    if (!CallDeadline::isOpen()) {
        shared ? m_sessionLock.lock_shared() : m_sessionLock.lock();
        return;
    }
    const CallDeadline::Clock::time_point until = CallDeadline::deadline();
    t_sessionLockMissed = shared ? !m_sessionLock.try_lock_shared_until(until) : !m_sessionLock.try_lock_until(until);
}

void ManagedService::releaseSessionLock()
{
    if (t_sessionLockMissed) {
        t_sessionLockMissed = false;
        return;
    }
    if (m_settings.sharedSessionLock)
        m_sessionLock.unlock_shared();
    else
        m_sessionLock.unlock();
}

bool ManagedService::checkState() { return !t_sessionLockMissed && !CallDeadline::expired() && usable(); }

bool ManagedService::usable() const
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_stub != nullptr && !m_failed && !m_suspended;
}

void ManagedService::triggerTestExceptions() { TestExceptionScript::process().trigger(); }

CORBA::Object* ManagedService::getStub()
{
    limitAttempt(m_settings.callTimeoutMs);
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_stub;
}

bool ManagedService::isRecoverable(const CORBA::SystemException& ex)
{
    if (!FailureClassifier::isRecoverable(ex, m_settings.retention)) return false;
    return !m_helper || m_helper->isRecoverable(ex);
}

void ManagedService::markFailedState()
{
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_failed = true;
    if (!m_serverName.isEmpty()) m_lastFailure[m_serverName.str()] = Clock::now();
}

void ManagedService::reValidate()
{
    std::unique_lock<std::timed_mutex> reconnect(m_reconnectMutex, std::defer_lock);
    if (!CallDeadline::isOpen())
        reconnect.lock();
    else if (!reconnect.try_lock_until(CallDeadline::deadline()))
        return;  // the deadline ends the call
    ReconnectBackoff backoff(m_settings.backoffInitialMs, m_settings.backoffMaxMs);
    while (!m_suspended && !usable()) {
        try {
            if (establish(true)) return;
        } catch (const CORBA::Exception&) {
            if (!CallDeadline::isOpen()) throw;  // no deadline to wait within
        }
        // Without an open call there is no deadline to wait within: one round.
        if (!CallDeadline::isOpen() || !backoff.wait()) return;
    }
}

bool ManagedService::isDead() { return CallDeadline::expired(); }

bool ManagedService::isSuspended() { return m_suspended; }

void ManagedService::suspend() { m_suspended = true; }

void ManagedService::resume() { m_suspended = false; }

std::vector<ServerCandidate> ManagedService::candidates()
{
    limitAttempt(m_settings.callTimeoutMs);
    try {
        std::vector<ServerCandidate> listed = NamingDirectory::listServers(*m_spec, m_serviceName);
        if (!listed.empty()) {
            m_known = listed;
            return listed;
        }
    } catch (const CORBA::Exception&) {
        if (m_known.empty()) throw;
    }
    // A Naming Service that cannot be reached, or restarted without its data
    // and not yet told again by the servers: fail over from the last list.
    return m_known;
}

bool ManagedService::answers(CORBA::Object* stub, const SWCharString& serverName)
{
    try {
        limitAttempt(m_settings.callTimeoutMs);
        if (!stub->_non_existent()) return true;
    } catch (const CORBA::Exception&) {
        // Not reachable now: the next server is asked.
    }
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_lastFailure[serverName.str()] = Clock::now();
    return false;
}

bool ManagedService::establish(bool probe)
{
    if (!m_helper || !m_spec) return false;
    std::vector<ServerCandidate> found = candidates();
    const bool failover = m_spec->allowsFailover() && !m_helper->isStateful();
    SWCharString firstServer;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        firstServer = m_firstServer;
    }
    if (!failover && !firstServer.isEmpty()) {
        found.erase(std::remove_if(found.begin(), found.end(),
                                   [&](const ServerCandidate& c) { return c.name != firstServer; }),
                    found.end());
    }

    for (const std::size_t index : preferenceOrder(found)) {
        ServerCandidate& candidate = found[index];
        CORBA::Object* stub = nullptr;
        try {
            limitAttempt(m_settings.callTimeoutMs);
            stub = m_helper->narrowStub(candidate.reference);
        } catch (const CORBA::Exception&) {
            continue;  // asking the object for its type failed: the next server
        }
        if (!stub) continue;
        if (probe && !answers(stub, candidate.name)) {
            m_helper->releaseStub(stub);
            continue;
        }
        replaceStub(stub, candidate.name);
        return true;
    }
    return false;
}

std::vector<std::size_t> ManagedService::preferenceOrder(const std::vector<ServerCandidate>& candidates)
{
    const Clock::time_point now = Clock::now();
    const Clock::duration quarantine = std::chrono::milliseconds(m_settings.quarantineMs);
    std::vector<std::size_t> fresh;
    std::vector<std::pair<Clock::time_point, std::size_t>> failed;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            const auto it = m_lastFailure.find(candidates[i].name.str());
            if (it != m_lastFailure.end() && now - it->second < quarantine)
                failed.emplace_back(it->second, i);
            else
                fresh.push_back(i);
        }
    }
    if (m_lbId == LB_ID && !fresh.empty()) {
        const std::size_t start = m_roundRobin++ % fresh.size();
        std::rotate(fresh.begin(), fresh.begin() + static_cast<std::ptrdiff_t>(start), fresh.end());
    }
    std::sort(failed.begin(), failed.end());
    for (const auto& f : failed) fresh.push_back(f.second);
    return fresh;
}

void ManagedService::replaceStub(CORBA::Object* stub, const SWCharString& serverName)
{
    CORBA::Object* old = nullptr;
    {
        // No attempt holds the session lock while the reference changes.
        std::unique_lock<std::shared_timed_mutex> session(m_sessionLock);
        std::lock_guard<std::mutex> lock(m_stateMutex);
        old = m_stub;
        m_stub = stub;
        m_serverName = serverName;
        if (m_firstServer.isEmpty()) m_firstServer = serverName;
        m_failed = false;
    }
    if (old) m_helper->releaseStub(old);
}

ManagedServiceLock::ManagedServiceLock(ManagedService* service) : m_pointer(service)
{
    if (!service) {
        if (ShouldAssert()) SAssert("ManagedService", __LINE__, "m_pointer != NULL", "The pointer shouldn't be null");
        return;
    }
    m_pointer->getSessionLock();
}

ManagedServiceLock::~ManagedServiceLock()
{
    if (!m_pointer) return;
    m_pointer->releaseSessionLock();
    m_pointer.reset();
}
