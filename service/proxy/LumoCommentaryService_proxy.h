// Native only: includes the ORB's stub header; never include it from Winelib
// code (the service object uses LumoCommentaryServiceHandle.h).
//
// The commentary service's proxy: an object of the remote interface whose
// execute runs each call through a managed service, with the session lock,
// the attempt bound and the reconnection rules; and the stub helper through
// which the framework narrows and releases commentary stubs.
#pragma once

#include <atomic>
#include <mutex>

#include "idl/LumoCommentaryServiceStub.h"
#include "platform/foundation/SString.h"
#include "platform/framework/AbstractStubHelper.h"
#include "platform/framework/ManagedService.h"

// Design decision: the proxy stands on an unbound stub (it has no object
// reference of its own: the current server's reference lives in the managed
// service), and the ORB counts references of real references only, so the
// proxy carries its own count (addRef/release, used by
// LumoCommentaryServiceHandle and SRefPtr).
class LumoCommentaryServiceProxy : public lumo_idl::LumoCommentaryServiceStub {
public:
    explicit LumoCommentaryServiceProxy(IManagedService* managedService);

    // Runs one call; the result is owned by the caller (CORBA::wstring_free).
    ::CORBA::WChar* execute(const ::CORBA::WChar* request) override;

    void addRef();
    void release();

    SWCharString getLastFailureText() const;
    ManagedService* getManagedService() const { return m_managedSvc.get(); }

protected:
    ~LumoCommentaryServiceProxy() override;

private:
    void setLastFailureText(const SWCharString& text);

    SRefPtr<ManagedService> m_managedSvc;
    // Design decision: m_lastFailureText is shared by concurrent calls; a
    // mutex guards every read and write, so a call always sees one whole text.
    SWCharString m_lastFailureText;
    mutable std::mutex m_lastFailureMutex;
    std::atomic<int> m_refCount{0};
};

// Design decision: the ORB's generated code already defines a global class
// named LumoCommentaryService_Helper (its _var helper), so the stub helper
// lives in this namespace.
namespace lumo_proxy {

class LumoCommentaryService_Helper : public AbstractStubHelper {
public:
    // Local type check first (no remote call); otherwise the remote _is_a;
    // null when the object is not a commentary service.
    CORBA::Object* narrowStub(CORBA::Object* object) override;
    void releaseStub(CORBA::Object*& stub) override;

protected:
    ~LumoCommentaryService_Helper() override;
};

}  // namespace lumo_proxy
