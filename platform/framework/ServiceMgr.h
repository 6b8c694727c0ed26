// Native only: includes ORB headers through ManagedService.h; never include
// it from Winelib code.
//
// The process's service manager (handed out by ServiceMgrFactory).
#pragma once

#include "platform/framework/IServiceMgr.h"
#include "platform/framework/ManagedService.h"

class ServiceMgr : public IServiceMgr {
public:
    void createManagedService(SRefPtr<IManagedService>& service, int lbId, const SWCharString& serviceName,
                              const SRefPtr<ServerSpec>& spec, const SWCharString& userUri,
                              const SWCharString& logonToken, IManagedService::IHelperFactory* factory) override;

    // The same, returning the managed service with its native type.
    SRefPtr<ManagedService> create(int lbId, const SWCharString& serviceName, const SRefPtr<ServerSpec>& spec,
                                   const SWCharString& userUri, const SWCharString& logonToken,
                                   IManagedService::IHelperFactory* factory);

protected:
    ~ServiceMgr() override = default;
};
