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
//   dead       the last (re)connection found no server to use: the cluster
//              context is missing, no server of the service is bound in it
//              that the ServerSpec admits (without fail-over: the server
//              chosen first is no longer bound), or no bound reference
//              narrows to the service's type.  A later reValidate that finds
//              a server clears it.
//   suspended  set and cleared only by suspend() and resume() (an operator's
//              decision); reValidate does nothing while it holds.
//
//   checkState    true exactly when connected, neither failed, dead nor
//                 suspended.
//   isRecoverable the classification of FailureClassifier.h (with request
//                 retention as configured), unless the stub helper vetoes.
//   reValidate    nothing to do while checkState would be true (another
//                 thread may have reconnected already) or while suspended.
//                 Otherwise re-resolves the servers from the Naming Service,
//                 orders them (servers that failed within the quarantine time
//                 last, the longest-failed first among those; the others by
//                 the load-balancing policy), narrows them in that order and
//                 takes the first that narrows; with fail-over disallowed only
//                 the server chosen first is considered.  Raises the ORB's
//                 exception when the Naming Service fails (or, when no server
//                 narrowed, the last narrowing failure).
//   session lock  taken around every attempt (exclusive, or shared with
//                 LUMO_SESSION_LOCK=shared); reValidate replaces the reference
//                 under the exclusive lock, so an attempt never sees a
//                 reference being replaced.  Not re-entrant.
//   pulse         opens a new logical request on the calling thread (a new
//                 retention id, FtRequestTracker.h) when retention is on;
//                 completePulse closes it.
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
#include "platform/framework/ServerSpec.h"

struct ServerCandidate;

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

    // Finds and narrows a server; false when there is none (sets dead).
    bool establish();
    std::vector<std::size_t> preferenceOrder(const std::vector<ServerCandidate>& candidates);
    void replaceStub(CORBA::Object* stub, const SWCharString& serverName);

    const SWCharString m_serviceName;
    const SRefPtr<ServerSpec> m_spec;
    const SRefPtr<IStubHelper> m_helper;
    const SWCharString m_userUri;
    const SWCharString m_logonToken;
    const int m_lbId;
    const FrameworkSettings m_settings;

    std::shared_mutex m_sessionLock;
    std::mutex m_reconnectMutex;  // one (re)connection at a time; before the session lock
    std::size_t m_roundRobin;     // under m_reconnectMutex

    mutable std::mutex m_stateMutex;  // innermost lock; guards the members below
    CORBA::Object* m_stub = nullptr;
    SWCharString m_serverName;
    SWCharString m_firstServer;
    bool m_failed = false;
    bool m_dead = false;
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
