// Checks the logon token of a request against the server's secret
// (platform/session/LogonToken.h).  A valid token names the calling user.
//   empty token                      401 "CMNTRY 201"
//   malformed or wrongly signed      401 "CMNTRY 202"
//   expired                          401 "CMNTRY 203"
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/foundation/SString.h"
#include "server/core/ServerError.h"

namespace lumo_server {

// Tokens found valid are remembered (up to kRemembered, then forgotten all
// at once) with their user and expiry, so that a client's every request does
// not compute the signature again: a remembered token is still refused once
// it has expired.  Only exactly the same text is recognised, and the secret
// does not change while the server runs.
class TokenVerifier {
public:
    static constexpr std::size_t kRemembered = 4096;

    explicit TokenVerifier(std::string secret) : m_secret(std::move(secret)) {}

    // On success user receives the token's user name.
    std::optional<ServerError> verify(const SWCharString& token, int64_t nowMs, SWCharString& user) const;

private:
    struct Valid {
        SWCharString user;
        int64_t expiry;
    };

    std::string m_secret;
    mutable std::mutex m_mutex;
    mutable std::unordered_map<std::u16string, Valid> m_valid;
};

}  // namespace lumo_server
