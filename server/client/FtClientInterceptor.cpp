#include "server/client/FtClientInterceptor.h"

#include <omniORB4/omniInterceptors.h>

#include <mutex>
#include <optional>

namespace lumo_server {
namespace {

thread_local std::optional<lumo_ft::FtRequest> t_request;

CORBA::Boolean sendRequest(omni::omniInterceptors::clientSendRequest_T::info_T& info)
{
    if (!t_request) return true;
    IOP::ServiceContext context;
    lumo_ft::encodeFtRequest(*t_request, context);
    const CORBA::ULong n = info.service_contexts.length();
    info.service_contexts.length(n + 1);
    info.service_contexts[n] = context;
    return true;
}

}  // namespace

void FtClientInterceptor::install()
{
    static std::once_flag once;
    std::call_once(once, [] { omniORB::getInterceptors()->clientSendRequest.add(sendRequest); });
}

FtClientInterceptor::Scope::Scope(const lumo_ft::FtRequest& request) { t_request = request; }

FtClientInterceptor::Scope::~Scope() { t_request.reset(); }

}  // namespace lumo_server
