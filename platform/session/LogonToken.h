// Logon tokens: what a logged-on user presents with every request.
//
// A token reads
//     LT1:<user>:<expiry>:<signature>
// where <expiry> is the end of its validity in milliseconds since the epoch
// (decimal) and <signature> the lower-case hexadecimal HMAC-SHA256 of the text
// "LT1:<user>:<expiry>" under a secret shared by the logon side and the
// commentary servers.  The user name may not contain ':'.
#pragma once

#include <cstdint>
#include <string>

namespace lumo_session {

// Issues a token for the user, valid for lifetimeMs from nowMs.  An empty
// text when the user name is empty or contains ':'.
std::string issueLogonToken(const std::string& user, const std::string& secret, int64_t nowMs,
                            int64_t lifetimeMs);

enum class TokenCheck { Valid, Malformed, BadSignature, Expired };

// Checks a token; on Valid, user receives the token's user name and expiry
// its end of validity.
TokenCheck checkLogonToken(const std::string& token, const std::string& secret, int64_t nowMs,
                           std::string* user = nullptr, int64_t* expiry = nullptr);

int64_t nowMilliseconds();

}  // namespace lumo_session
