#include "bench/native/rawclient/RawCommentaryClient.h"

#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/FtRequestTracker.h"
#include "platform/framework/OrbServices.h"
#include "server/client/CommentaryClient.h"

namespace lumo_bench {

struct RawCommentaryClient::Impl {
    LumoCommentaryService_var service;
    uint64_t retentionMs = 0;
};

RawCommentaryClient::RawCommentaryClient(const std::string& naming, const std::string& cluster,
                                         const std::string& serverName)
    : m_impl(std::make_unique<Impl>())
{
    const FrameworkSettings settings = FrameworkSettings::current();
    m_impl->retentionMs = settings.retentionMs;
    try {
        CORBA::ORB_ptr orb = OrbServices::orb();
        m_impl->service = lumo_server::CommentaryClient::resolveByNaming(orb, naming, cluster, serverName);
        OrbServices::applyCallTimeout(m_impl->service, settings.callTimeoutMs);
    } catch (const lumo_server::ClientError& e) {
        throw RawCallError(e.what());
    } catch (const CORBA::Exception& e) {
        throw RawCallError(std::string("CORBA ") + e._name());
    }
}

RawCommentaryClient::~RawCommentaryClient() = default;

std::u16string RawCommentaryClient::execute(const std::u16string& request, bool withRetention) const
{
    // The proxy opens the request's FT context the same way around its call.
    struct Retention {
        explicit Retention(bool open, uint64_t ms) : open(open)
        {
            if (open) FtRequestTracker::begin(ms);
        }
        ~Retention()
        {
            if (open) FtRequestTracker::end();
        }
        bool open;
    } retention(withRetention, m_impl->retentionMs);
    try {
        return lumo_server::CommentaryClient::execute(m_impl->service, request);
    } catch (const CORBA::Exception& e) {
        throw RawCallError(std::string("CORBA ") + e._name());
    }
}

}  // namespace lumo_bench
