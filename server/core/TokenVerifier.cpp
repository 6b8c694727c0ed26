#include "server/core/TokenVerifier.h"

#include "platform/session/LogonToken.h"
#include "server/core/Utf16Text.h"

namespace lumo_server {

std::optional<ServerError> TokenVerifier::verify(const SWCharString& token, int64_t nowMs, SWCharString& user) const
{
    if (token.isEmpty()) return ServerError::make(ErrorKind::TokenMissing);
    const std::u16string text = token.str();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto known = m_valid.find(text);
        if (known != m_valid.end()) {
            if (known->second.expiry <= nowMs) return ServerError::make(ErrorKind::TokenExpired);
            user = known->second.user;
            return std::nullopt;
        }
    }
    std::string name;
    int64_t expiry = 0;
    switch (lumo_session::checkLogonToken(utf16ToUtf8(text), m_secret, nowMs, &name, &expiry)) {
    case lumo_session::TokenCheck::Valid: {
        user = SWCharString(utf8ToUtf16(name));
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_valid.size() >= kRemembered) m_valid.clear();
        m_valid.emplace(text, Valid{user, expiry});
        return std::nullopt;
    }
    case lumo_session::TokenCheck::Expired:
        return ServerError::make(ErrorKind::TokenExpired);
    case lumo_session::TokenCheck::Malformed:
    case lumo_session::TokenCheck::BadSignature:
        break;
    }
    return ServerError::make(ErrorKind::TokenInvalid);
}

}  // namespace lumo_server
