// Base of the module's stub helpers: the parts of IStubHelper that do not
// depend on the stub type.
//
// Plain C++: the Winelib module may include this header.
#pragma once

#include <mutex>

#include "platform/framework/IManagedService.h"

class AbstractStubHelper : public IManagedService::IStubHelper {
public:
    // The service name that the framework bound the helper to (empty until
    // then).
    SWCharString getService() const override;
    // No service-specific veto: the framework's classification decides.
    bool isRecoverable(const CORBA::SystemException& ex) const override;
    // Design decision: services are stateless unless a helper says otherwise
    // (the commentary service is).
    bool isStateful() const override;

    // Called by the framework when it takes the helper for a service.
    void bindService(const SWCharString& serviceName);

protected:
    AbstractStubHelper() = default;
    ~AbstractStubHelper() override;

private:
    mutable std::mutex m_mutex;
    SWCharString m_service;
};
