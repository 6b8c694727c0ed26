#include "platform/framework/ServiceMgrFactory.h"

#include <mutex>

#include "platform/foundation/SResString.h"
#include "platform/framework/Nexa2Exception.h"
#include "platform/framework/OrbServices.h"
#include "platform/framework/ServiceMgr.h"

SRefPtr<IServiceMgr> ServiceMgrFactory::getServiceMgr()
{
    if (OrbServices::isShutDown())
        throw Nexa2Exception(lumo_messages::kNamingServiceUnavailable,
                             SWCharString::fromUtf8(OrbServices::namingText()),
                             SWCharString(u"the ORB has been shut down"));
    static ServiceMgr* manager = [] {
        auto* m = new ServiceMgr;
        m->addRef();  // the process keeps one reference for good
        return m;
    }();
    return SRefPtr<IServiceMgr>(manager);
}

void ServiceMgrFactory::shutdown() { OrbServices::shutdown(); }
