// The managed service as the service object sees it.
//
// Plain C++: the Winelib module includes this header; the ORB types in the
// stub helper's signatures are only forward-declared.
//
// A managed service owns the current object reference of one service on one
// server of a cluster and renews it after failures (ManagedService.h, native).
// The service object holds it only to hand it to the proxy it creates.
#pragma once

#include "platform/foundation/SString.h"
#include "platform/framework/CRefCount.h"

namespace CORBA {
class Object;
class SystemException;
}  // namespace CORBA

class IManagedService : public CRefCount {
public:
    // Design decision: the load-balancing policies of the service manager's
    // creation operation.
    // LB_ID: round robin over the servers of the cluster that the
    // ServerSpec admits, from a random start, asking servers that failed a
    // moment ago last.
    static const int LB_ID;
    // LB_FIRST: the first admitted server in name order (deterministic; for
    // tests and single-server set-ups), with the same order for failed ones.
    static const int LB_FIRST;

    // Makes the typed stubs of one service for the framework.
    class IStubHelper : public CRefCount {
    public:
        // The same object as a reference of the service's stub type, seen as
        // a generic reference (one reference for the caller), or null when the
        // object is not of that type.
        virtual CORBA::Object* narrowStub(CORBA::Object* object) = 0;
        // Releases one reference of a stub made by narrowStub and nulls it.
        virtual void releaseStub(CORBA::Object*& stub) = 0;
        // The name of the service the helper serves.
        virtual SWCharString getService() const = 0;
        // A service-specific view of a failure: false vetoes a retry that
        // the framework's classification would allow.
        virtual bool isRecoverable(const CORBA::SystemException& ex) const = 0;
        // Stateful services keep per-client state on their server: the
        // framework never moves them to another server.
        virtual bool isStateful() const = 0;
    };

    // Made by the module; valid only during the service manager's creation
    // call, which asks it for a helper and keeps only the helper.
    class IHelperFactory {
    public:
        virtual IStubHelper* createHelper() = 0;

    protected:
        ~IHelperFactory() = default;
    };

    // Design decision: the service text reads "<service>@<cluster>/<server>", the server part empty
    // while no server is chosen (for example "Nexa_LumoCommentary@LumoCommentary/server-a").
    virtual SWCharString getDescription() const = 0;
    // The name of the server currently in use (empty when none).
    virtual SWCharString getServerName() const = 0;
};
