#include "platform/framework/ServiceMgr.h"

#include "platform/foundation/SResString.h"
#include "platform/framework/AbstractStubHelper.h"
#include "platform/framework/Nexa2Exception.h"
#include "platform/framework/OrbServices.h"
#include "platform/framework/SCorbaSystemError.h"

namespace {

[[noreturn]] void invalid(const SWCharString& serviceName, const char16_t* problem)
{
    throw Nexa2Exception(lumo_messages::kInvalidServiceRequest, serviceName, SWCharString(problem));
}

}  // namespace

void ServiceMgr::createManagedService(SRefPtr<IManagedService>& service, int lbId, const SWCharString& serviceName,
                                      const SRefPtr<ServerSpec>& spec, const SWCharString& userUri,
                                      const SWCharString& logonToken, IManagedService::IHelperFactory* factory)
{
    SRefPtr<ManagedService> created = create(lbId, serviceName, spec, userUri, logonToken, factory);
    service = created.get();
}

SRefPtr<ManagedService> ServiceMgr::create(int lbId, const SWCharString& serviceName, const SRefPtr<ServerSpec>& spec,
                                           const SWCharString& userUri, const SWCharString& logonToken,
                                           IManagedService::IHelperFactory* factory)
{
    if (serviceName.isEmpty()) invalid(serviceName, u"no service name");
    if (!spec) invalid(serviceName, u"no ServerSpec");
    if (!factory) invalid(serviceName, u"no helper factory");
    if (lbId != IManagedService::LB_ID && lbId != IManagedService::LB_FIRST)
        invalid(serviceName, u"unknown load-balancing policy");

    // The factory is used here only; the framework keeps the helper.
    SRefPtr<IManagedService::IStubHelper> helper(factory->createHelper());
    if (!helper) invalid(serviceName, u"the helper factory made no helper");
    if (auto* abstractHelper = dynamic_cast<AbstractStubHelper*>(helper.get()))
        abstractHelper->bindService(serviceName);

    try {
        OrbServices::orb();
    } catch (const CORBA::Exception& ex) {
        throw Nexa2Exception(lumo_messages::kNamingServiceUnavailable,
                             SWCharString::fromUtf8(OrbServices::namingText()),
                             SCorbaSystemError::fromException(ex).getReasonText());
    }
    SRefPtr<ManagedService> service(new ManagedService(serviceName, spec, helper, userUri, logonToken, lbId,
                                                       FrameworkSettings::current()));
    service->connect();
    return service;
}
