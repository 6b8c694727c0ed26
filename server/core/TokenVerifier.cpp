#include "server/core/TokenVerifier.h"

#include "platform/session/LogonToken.h"
#include "server/core/Utf16Text.h"

namespace lumo_server {

std::optional<ServerError> TokenVerifier::verify(const SWCharString& token, int64_t nowMs, SWCharString& user) const
{
    if (token.isEmpty()) return ServerError::make(ErrorKind::TokenMissing);
    std::string name;
    switch (lumo_session::checkLogonToken(utf16ToUtf8(token.str()), m_secret, nowMs, &name)) {
    case lumo_session::TokenCheck::Valid:
        user = SWCharString(utf8ToUtf16(name));
        return std::nullopt;
    case lumo_session::TokenCheck::Expired:
        return ServerError::make(ErrorKind::TokenExpired);
    case lumo_session::TokenCheck::Malformed:
    case lumo_session::TokenCheck::BadSignature:
        break;
    }
    return ServerError::make(ErrorKind::TokenInvalid);
}

}  // namespace lumo_server
