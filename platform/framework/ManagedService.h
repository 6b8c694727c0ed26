// Native only: includes ORB headers; never include it from Winelib code.
//
// The managed service: owns the current object reference of one service on
// one server of a cluster, chooses and renews it, and classifies failures.
// Proxies drive it through the virtual operations below (a subclass can
// script them for tests).
//
// Design decision: the state and its rules.
//   connected  a server has been chosen and its reference narrowed through the
//              stub helper.
//   failed     markFailedState was called after a recoverable failure; the
//              server in use is remembered as failed at that moment.
//   suspended  set and cleared only by suspend() and resume() (an operator's
//              decision); reValidate does nothing while it holds.
//   the call's deadline
//              pulse opens the calling thread's logical call with
//              LUMO_CALL_DEADLINE_MS (CallDeadline.h); completePulse closes
//              it.  Every remote call of the thread meanwhile (attempts,
//              naming look-ups, probes) is limited to the smaller of the
//              per-attempt limit (LUMO_CALL_TIMEOUT_MS) and the time left.
//
//   checkState    true exactly when connected, neither failed nor suspended,
//                 the session lock was had and the call's deadline is not
//                 spent.
//   getStub       sets the calling thread's ORB limit for the attempt, then
//                 answers the current reference.
//   isRecoverable the classification of FailureClassifier.h (with request
//                 retention as configured), unless the stub helper vetoes.
//   reValidate    nothing to do while the reference is usable (another thread
//                 may have reconnected already) or while suspended.
//                 Otherwise looks for a server that answers: lists the
//                 servers (from the Naming Service; when it cannot be reached
//                 or lists none, the list it gave last), orders them
//                 (servers that failed within the quarantine time last, the
//                 longest-failed first among those; the others by the
//                 load-balancing policy), and asks them in that order whether
//                 the object exists, taking the first that answers; with
//                 fail-over disallowed only the server chosen first is
//                 considered.  When none answers it waits (ReconnectBackoff:
//                 LUMO_RECONNECT_BACKOFF_MS doubling to
//                 LUMO_RECONNECT_BACKOFF_MAX_MS, with jitter) and looks again,
//                 until the call's deadline is spent.  Quarantine only orders:
//                 a server in quarantine is still tried when no other answers.
//   isDead        true when the calling thread's call has spent its deadline
//                 (no server answered in time): the proxy's loop then ends the
//                 call with its "marked as dead" failure.
//   session lock  taken around every attempt (exclusive, or shared with
//                 LUMO_SESSION_LOCK=shared), waiting at most until the call's
//                 deadline; reValidate replaces the reference under the
//                 exclusive lock, so an attempt never sees a reference being
//                 replaced.  Not re-entrant.
//   pulse         also opens a new logical request on the calling thread (a
//                 new retention id, FtRequestTracker.h) when retention is on.
#pragma once

#include <omniORB4/CORBA.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "platform/foundation/SString.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/IManagedService.h"
#include "platform/framework/NamingDirectory.h"
#include "platform/framework/ServerSpec.h"

class ManagedService : public IManagedService {
public:
    // The attempt bound of the proxies (LUMO_INVOKE_LOOP_INSANITY) and whether
    // triggerTestExceptions is called (LUMO_TESTS_ENABLED); read from the
    // environment when the library loads, changeable at run time.
    static std::atomic<int> INVOKE_LOOP_INSANITY;
    static std::atomic<bool> TESTS_ENABLED;

    ManagedService(const SWCharString& serviceName, const SRefPtr<ServerSpec>& spec,
                   const SRefPtr<IStubHelper>& helper, const SWCharString& userUri, const SWCharString& logonToken,
                   int lbId, const FrameworkSettings& settings);

    // IManagedService
    SWCharString getDescription() const override;
    SWCharString getServerName() const override;

    // Chooses the first server.  Raises Nexa2Exception when there is none
    // (lumo_messages::kNoServerInCluster) or the Naming Service fails
    // (lumo_messages::kNamingServiceUnavailable).
    virtual void connect();

    virtual void pulse();
    virtual void completePulse();
    virtual void getSessionLock();
    virtual void releaseSessionLock();
    virtual bool checkState();
    virtual void triggerTestExceptions();
    // The current reference as narrowed by the stub helper (null when none);
    // owned by the managed service and valid while the session lock is held.
    virtual CORBA::Object* getStub();
    virtual bool isRecoverable(const CORBA::SystemException& ex);
    virtual void markFailedState();
    virtual void reValidate();
    virtual bool isDead();
    virtual bool isSuspended();

    void suspend();
    void resume();

    const SWCharString& getServiceName() const { return m_serviceName; }
    const SWCharString& getUserUri() const { return m_userUri; }
    const SWCharString& getLogonToken() const { return m_logonToken; }
    const FrameworkSettings& getSettings() const { return m_settings; }
    SRefPtr<ServerSpec> getServerSpec() const { return m_spec; }

protected:
    // For subclasses that script the operations: no helper, nothing resolved.
    ManagedService(const SWCharString& serviceName, const SRefPtr<ServerSpec>& spec,
                   const FrameworkSettings& settings = FrameworkSettings());
    ~ManagedService() override;

private:
    using Clock = std::chrono::steady_clock;

    // The reference is there and neither failed nor suspended.
    bool usable() const;
    // Finds and narrows a server (asking it first when probe is set); false
    // when there is none.
    bool establish(bool probe);
    // The servers to choose from: the Naming Service's list, or the last
    // list when it fails or lists none (raises when there is no last list).
    std::vector<ServerCandidate> candidates();
    bool answers(CORBA::Object* stub, const SWCharString& serverName);
    std::vector<std::size_t> preferenceOrder(const std::vector<ServerCandidate>& candidates);
    void replaceStub(CORBA::Object* stub, const SWCharString& serverName);

    const SWCharString m_serviceName;
    const SRefPtr<ServerSpec> m_spec;
    const SRefPtr<IStubHelper> m_helper;
    const SWCharString m_userUri;
    const SWCharString m_logonToken;
    const int m_lbId;
    const FrameworkSettings m_settings;

    std::shared_timed_mutex m_sessionLock;
    std::timed_mutex m_reconnectMutex;   // one (re)connection at a time; before the session lock
    std::size_t m_roundRobin;            // under m_reconnectMutex
    std::vector<ServerCandidate> m_known;  // the last list of servers; under m_reconnectMutex

    mutable std::mutex m_stateMutex;  // innermost lock; guards the members below
    CORBA::Object* m_stub = nullptr;
    SWCharString m_serverName;
    SWCharString m_firstServer;
    bool m_failed = false;
    std::map<std::u16string, Clock::time_point> m_lastFailure;
    std::atomic<bool> m_suspended{false};
};

// The session-lock scope of one attempt: takes a counted reference to the
// managed service and its session lock; closing it releases the lock and
// then the reference.  A null managed service raises the assertion
// "m_pointer != NULL" and holds nothing.
class ManagedServiceLock {
public:
    explicit ManagedServiceLock(ManagedService* service);
    ~ManagedServiceLock();
    ManagedServiceLock(const ManagedServiceLock&) = delete;
    ManagedServiceLock& operator=(const ManagedServiceLock&) = delete;

    bool holds() const { return !m_pointer.isNull(); }

private:
    SRefPtr<ManagedService> m_pointer;
};
