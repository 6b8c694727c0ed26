#include "platform/framework/FtRequestTracker.h"

#include <omniORB4/omniInterceptors.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>

namespace {

struct OpenRequest {
    bool open = false;
    CORBA::Long retentionId = 0;
    CORBA::ULongLong expirationTime = 0;
};

thread_local OpenRequest t_request;

std::atomic<uint32_t> g_nextRetentionId{1};

std::string makeClientId()
{
    char host[256] = {0};
    if (gethostname(host, sizeof host - 1) != 0) std::strcpy(host, "localhost");
    std::random_device device;
    char text[320];
    std::snprintf(text, sizeof text, "%s-%ld-%08x", host, static_cast<long>(getpid()),
                  static_cast<unsigned>(device()));
    return text;
}

CORBA::ULongLong nowMs()
{
    using namespace std::chrono;
    return static_cast<CORBA::ULongLong>(
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

CORBA::Boolean addFtRequestContext(omni::omniInterceptors::clientSendRequest_T::info_T& info)
{
    if (!t_request.open) return 1;
    const char* operation = info.operation();
    if (!operation || std::strcmp(operation, "execute") != 0) return 1;
    lumo_ft::FtRequest request;
    if (!FtRequestTracker::current(request)) return 1;
    const CORBA::ULong n = info.service_contexts.length();
    info.service_contexts.length(n + 1);
    lumo_ft::encodeFtRequest(request, info.service_contexts[n]);
    return 1;
}

}  // namespace

const std::string& FtRequestTracker::clientId()
{
    static const std::string id = makeClientId();
    return id;
}

void FtRequestTracker::begin(uint64_t retentionMs)
{
    uint32_t id = g_nextRetentionId.fetch_add(1, std::memory_order_relaxed) & 0x7FFFFFFFu;
    if (id == 0) id = g_nextRetentionId.fetch_add(1, std::memory_order_relaxed) & 0x7FFFFFFFu;
    t_request.open = true;
    t_request.retentionId = static_cast<CORBA::Long>(id);
    t_request.expirationTime = nowMs() + retentionMs;
}

void FtRequestTracker::end() { t_request = OpenRequest(); }

bool FtRequestTracker::current(lumo_ft::FtRequest& request)
{
    if (!t_request.open) return false;
    request.clientId = clientId();
    request.retentionId = t_request.retentionId;
    request.expirationTime = t_request.expirationTime;
    return true;
}

void FtRequestTracker::installInterceptor()
{
    static std::once_flag once;
    std::call_once(once, [] { omniORB::getInterceptors()->clientSendRequest.add(addFtRequestContext); });
}
