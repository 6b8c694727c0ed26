// A counted handle of the commentary service's object reference: what the
// service object holds as m_iCommentSvc.
//
// Plain C++: the Winelib module includes this header; the proxy behind it
// (LumoCommentaryService_proxy.h) is native.
//
// A handle is nil by default.  createProxy makes a LumoCommentaryServiceProxy
// on a managed service; copies share it, and the proxy (with its reference to
// the managed service) goes when the last handle goes.  Handles may be copied
// and used on any thread; a single handle object must not be assigned while
// another thread uses it.
#pragma once

#include "platform/foundation/SString.h"
#include "platform/framework/IManagedService.h"
#include "service/proxy/ReplyText.h"

class LumoCommentaryServiceProxy;

class LumoCommentaryServiceHandle {
public:
    LumoCommentaryServiceHandle() = default;
    LumoCommentaryServiceHandle(const LumoCommentaryServiceHandle& other);
    LumoCommentaryServiceHandle(LumoCommentaryServiceHandle&& other) noexcept;
    LumoCommentaryServiceHandle& operator=(const LumoCommentaryServiceHandle& other);
    LumoCommentaryServiceHandle& operator=(LumoCommentaryServiceHandle&& other) noexcept;
    ~LumoCommentaryServiceHandle();

    // A proxy on the managed service (which gains a reference).  A service
    // that is null or not the framework's own managed service raises the
    // assertion "m_managedSvc != NULL"; the proxy then answers every call with
    // the "marked as dead" NexaFrameworkException (see the proxy).
    static LumoCommentaryServiceHandle createProxy(IManagedService* managedService);

    bool isNil() const { return m_proxy == nullptr; }
    // Drops this handle's reference (the handle becomes nil).
    void reset();

    // Sends one request text through the proxy and returns the reply text.
    // UTF-16 code units travel one by one (surrogate pairs unchanged).
    // Raises NexaFrameworkException as the proxy does, and SCorbaSystemError
    // in place of a CORBA exception (NO_IMPLEMENT, minor 0, COMPLETED_NO for a
    // nil handle, as a stub that is not bound raises).
    SWCharString execute(const SNexaString& request) const;

    // The same, with the reply kept in the buffer the ORB delivered it in,
    // narrowed there to UTF-16 code units: nothing copies it.
    ReplyText executeInPlace(const SNexaString& request) const;

    // The text of the proxy's last final reconnection failure (empty for a
    // nil handle).
    SWCharString lastFailureText() const;

private:
    explicit LumoCommentaryServiceHandle(LumoCommentaryServiceProxy* proxy);
    LumoCommentaryServiceProxy* m_proxy = nullptr;
};
