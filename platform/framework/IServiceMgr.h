// The service manager: creates managed services.
//
// Plain C++: the Winelib module includes this header.
#pragma once

#include "platform/foundation/SString.h"
#include "platform/framework/CRefCount.h"
#include "platform/framework/IManagedService.h"
#include "platform/framework/ServerSpec.h"

class IServiceMgr : public CRefCount {
public:
    // Creates a managed service of the named service (also the naming kind
    // of its servers) on a server that the ServerSpec admits, chosen by
    // the load-balancing policy (IManagedService::LB_ID or LB_FIRST), for the
    // user with the given URI and logon token.  The factory is used during
    // this call only (the framework asks it for one helper and keeps the
    // helper).  On success `service` holds the new managed service.
    //
    // Raises Nexa2Exception when the service cannot be set up (invalid
    // arguments, no Naming Service, no admitted server of the service in the
    // cluster); another exception may escape for failures the framework does
    // not know (memory).  `service` is left unchanged on failure.
    virtual void createManagedService(SRefPtr<IManagedService>& service, int lbId, const SWCharString& serviceName,
                                      const SRefPtr<ServerSpec>& spec, const SWCharString& userUri,
                                      const SWCharString& logonToken,
                                      IManagedService::IHelperFactory* factory) = 0;
};
