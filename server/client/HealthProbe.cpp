#include "server/client/HealthProbe.h"

#include "platform/foundation/SString.h"
#include "server/client/CommentaryClient.h"

namespace lumo_server {
namespace {

const char16_t kTestConnection[] = u"{\"requestType\":5}";
const char16_t kConnected[] = u"{\"statusCode\":0,\"description\":\"success\",\"responseType\":6}";

std::string systemFailure(const CORBA::SystemException& e, std::chrono::milliseconds limit)
{
    const std::string name = std::string("CORBA::") + e._name();
    if (dynamic_cast<const CORBA::TIMEOUT*>(&e))
        return "no answer within " + std::to_string(limit.count()) + " ms (" + name + ")";
    if (dynamic_cast<const CORBA::TRANSIENT*>(&e)) return "unreachable (" + name + ")";
    if (dynamic_cast<const CORBA::OBJECT_NOT_EXIST*>(&e)) return "not served there any more (" + name + ")";
    return "the call failed (" + name + ")";
}

}  // namespace

HealthProbe::HealthProbe(CORBA::ORB_ptr orb, std::chrono::milliseconds limit) : m_orb(orb), m_limit(limit)
{
    omniORB::setClientConnectTimeout(static_cast<CORBA::ULong>(limit.count()));
    omniORB::setClientCallTimeout(static_cast<CORBA::ULong>(limit.count()));
}

ProbeResult HealthProbe::check(const std::string& server, LumoCommentaryService_ptr service)
{
    ProbeResult result;
    result.server = server;
    const auto start = std::chrono::steady_clock::now();
    try {
        const std::u16string answer = CommentaryClient::execute(service, kTestConnection);
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        result.healthy = answer == kConnected;
        result.detail = result.healthy ? "answered in " + std::to_string(elapsed.count()) + " ms"
                                       : "unexpected answer " + lumoUtf16ToUtf8(answer);
    } catch (const CORBA::SystemException& e) {
        result.detail = systemFailure(e, m_limit);
    } catch (const CORBA::Exception& e) {
        result.detail = std::string("the call failed (") + e._name() + ")";
    }
    return result;
}

ProbeResult HealthProbe::lookupFailed(const std::string& server, const std::string& why) const
{
    ProbeResult result;
    result.server = server;
    result.detail = why;
    return result;
}

std::vector<ProbeResult> HealthProbe::checkNamed(const std::string& naming, const std::string& cluster,
                                                 const std::string& name)
{
    try {
        std::string server = name;
        if (server.empty()) {
            const std::vector<std::string> bound = CommentaryClient::listServers(m_orb, naming, cluster);
            if (bound.empty()) return {lookupFailed(cluster, "no server is bound in the cluster")};
            server = bound.front();
        }
        LumoCommentaryService_var service = CommentaryClient::resolveByNaming(m_orb, naming, cluster, server);
        return {check(server, service)};
    } catch (const ClientError& e) {
        return {lookupFailed(name.empty() ? cluster : name, e.what())};
    }
}

std::vector<ProbeResult> HealthProbe::checkAll(const std::string& naming, const std::string& cluster)
{
    std::vector<std::string> bound;
    try {
        bound = CommentaryClient::listServers(m_orb, naming, cluster);
    } catch (const ClientError& e) {
        return {lookupFailed(cluster, e.what())};
    }
    if (bound.empty()) return {lookupFailed(cluster, "no server is bound in the cluster")};
    std::vector<ProbeResult> results;
    for (const std::string& server : bound) {
        std::vector<ProbeResult> one = checkNamed(naming, cluster, server);
        results.insert(results.end(), one.begin(), one.end());
    }
    return results;
}

std::vector<ProbeResult> HealthProbe::checkIor(const std::string& ior)
{
    try {
        LumoCommentaryService_var service = CommentaryClient::resolveByIor(m_orb, ior);
        return {check("ior", service)};
    } catch (const ClientError& e) {
        return {lookupFailed("ior", e.what())};
    }
}

bool HealthProbe::allHealthy(const std::vector<ProbeResult>& results)
{
    for (const ProbeResult& result : results)
        if (!result.healthy) return false;
    return !results.empty();
}

}  // namespace lumo_server
