// Checks the logon token of a request against the server's secret
// (platform/session/LogonToken.h).  A valid token names the calling user.
//   empty token                      401 "CMNTRY 201"
//   malformed or wrongly signed      401 "CMNTRY 202"
//   expired                          401 "CMNTRY 203"
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/SString.h"
#include "server/core/ServerError.h"

namespace lumo_server {

class TokenVerifier {
public:
    explicit TokenVerifier(std::string secret) : m_secret(std::move(secret)) {}

    // On success user receives the token's user name.
    std::optional<ServerError> verify(const SWCharString& token, int64_t nowMs, SWCharString& user) const;

private:
    std::string m_secret;
};

}  // namespace lumo_server
