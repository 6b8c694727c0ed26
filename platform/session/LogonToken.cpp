#include "platform/session/LogonToken.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <chrono>

namespace lumo_session {
namespace {

const char kVersion[] = "LT1";

std::string hmacHex(const std::string& secret, const std::string& text)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha256(), secret.data(), static_cast<int>(secret.size()),
         reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest, &length);
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 0xF];
    }
    return out;
}

bool parseDecimal(const std::string& text, int64_t& value)
{
    if (text.empty() || text.size() > 18) return false;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

}  // namespace

std::string issueLogonToken(const std::string& user, const std::string& secret, int64_t nowMs,
                            int64_t lifetimeMs)
{
    if (user.empty() || user.find(':') != std::string::npos) return std::string();
    const std::string body = std::string(kVersion) + ":" + user + ":" + std::to_string(nowMs + lifetimeMs);
    return body + ":" + hmacHex(secret, body);
}

TokenCheck checkLogonToken(const std::string& token, const std::string& secret, int64_t nowMs, std::string* user,
                           int64_t* validUntil)
{
    // LT1 : user : expiry : signature
    const std::size_t first = token.find(':');
    const std::size_t second = first == std::string::npos ? first : token.find(':', first + 1);
    const std::size_t third = second == std::string::npos ? second : token.find(':', second + 1);
    if (third == std::string::npos || token.find(':', third + 1) != std::string::npos) return TokenCheck::Malformed;
    if (token.compare(0, first, kVersion) != 0 || second == first + 1) return TokenCheck::Malformed;
    int64_t expiry = 0;
    if (!parseDecimal(token.substr(second + 1, third - second - 1), expiry)) return TokenCheck::Malformed;
    const std::string expected = hmacHex(secret, token.substr(0, third));
    const std::string given = token.substr(third + 1);
    if (given.size() != expected.size() || CRYPTO_memcmp(given.data(), expected.data(), expected.size()) != 0)
        return TokenCheck::BadSignature;
    if (expiry <= nowMs) return TokenCheck::Expired;
    if (user) *user = token.substr(first + 1, second - first - 1);
    if (validUntil) *validUntil = expiry;
    return TokenCheck::Valid;
}

int64_t nowMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace lumo_session
