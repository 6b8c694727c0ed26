#include "platform/framework/SessionManager.h"

#include <mutex>

#include "platform/foundation/SResString.h"
#include "platform/framework/Nexa2Exception.h"
#include "platform/session/LogonToken.h"

namespace {

class ServerSession : public IServerSession {
public:
    ServerSession(const SWCharString& token, const SWCharString& userUri) : m_token(token), m_userUri(userUri) {}
    SWCharString getLogonToken() const override { return m_token; }
    SWCharString getUserURI() const override { return m_userUri; }

private:
    const SWCharString m_token;
    const SWCharString m_userUri;
};

std::mutex& sessionMutex()
{
    static std::mutex* m = new std::mutex;  // outlives every static destructor
    return *m;
}

SRefPtr<IServerSession>& currentSession()
{
    static SRefPtr<IServerSession>* s = new SRefPtr<IServerSession>;
    return *s;
}

void install(IServerSession* session)
{
    SRefPtr<IServerSession> keep(session);
    std::lock_guard<std::mutex> lock(sessionMutex());
    currentSession().swap(keep);  // the old session is released outside the lock
}

}  // namespace

void SessionManager::logon(const SWCharString& user, const std::string& secret, int64_t lifetimeMs)
{
    if (secret.empty())
        throw Nexa2Exception(lumo_messages::kLogonFailed, user, SWCharString(u"no token secret"));
    const std::string token =
        lumo_session::issueLogonToken(user.toUtf8(), secret, lumo_session::nowMilliseconds(), lifetimeMs);
    if (token.empty())
        throw Nexa2Exception(lumo_messages::kLogonFailed, user, SWCharString(u"invalid user name"));
    install(new ServerSession(SWCharString::fromUtf8(token), userUriFor(user)));
}

void SessionManager::setSession(const SWCharString& logonToken, const SWCharString& userUri)
{
    if (logonToken.isEmpty())
        throw Nexa2Exception(lumo_messages::kLogonFailed, userUri, SWCharString(u"empty logon token"));
    install(new ServerSession(logonToken, userUri));
}

void SessionManager::logoff() { install(nullptr); }

SRefPtr<IServerSession> SessionManager::getServerSession()
{
    SRefPtr<IServerSession> session;
    {
        std::lock_guard<std::mutex> lock(sessionMutex());
        session = currentSession();
    }
    if (!session) throw Nexa2Exception(lumo_messages::kNoServerSession);
    return session;
}

SWCharString SessionManager::userUriFor(const SWCharString& user)
{
    SWCharString uri(u"urn:lumo:user:");
    uri += user;
    return uri;
}
