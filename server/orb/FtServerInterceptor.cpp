#include "server/orb/FtServerInterceptor.h"

#include <omniORB4/CORBA.h>
#include <omniORB4/internal/giopStrand.h>
#include <omniORB4/internal/giopStream.h>
#include <omniORB4/internal/GIOP_S.h>
#include <omniORB4/omniInterceptors.h>

#include <limits>

#include "idl/FtRequestContext.h"

namespace lumo_server {
namespace {

thread_local std::optional<ExactlyOnceKey> t_current;

CORBA::Boolean receiveRequest(omni::omniInterceptors::serverReceiveRequest_T::info_T& info)
{
    lumo_ft::FtRequest request;
    if (lumo_ft::findFtRequest(info.giop_s.service_contexts(), request)) {
        ExactlyOnceKey key;
        key.key.clientId = request.clientId;
        key.key.retentionId = request.retentionId;
        const CORBA::ULongLong maxMs = static_cast<CORBA::ULongLong>(std::numeric_limits<int64_t>::max());
        key.expiresMs = static_cast<int64_t>(request.expirationTime > maxMs ? maxMs : request.expirationTime);
        t_current = key;
    } else {
        t_current.reset();
    }
    return true;
}

}  // namespace

void FtServerInterceptor::install() { omniORB::getInterceptors()->serverReceiveRequest.add(receiveRequest); }

std::optional<ExactlyOnceKey> FtServerInterceptor::takeCurrent()
{
    std::optional<ExactlyOnceKey> current = std::move(t_current);
    t_current.reset();
    return current;
}

}  // namespace lumo_server
