// The process's logon session.
//
// Plain C++: the Winelib module includes this header.
//
// The host program establishes the session once (logon, or setSession with a
// token obtained elsewhere); the service object then reads it through
// getServerSession.  The session is process-wide; a new logon replaces it,
// and server sessions handed out before keep the values they were made with.
#pragma once

#include <cstdint>
#include <string>

#include "platform/foundation/SString.h"
#include "platform/framework/CRefCount.h"
#include "platform/framework/IServerSession.h"

class SessionManager {
public:
    static constexpr int64_t DEFAULT_TOKEN_LIFETIME_MS = 8LL * 3600 * 1000;

    // Issues a logon token for the user, signed with the secret that the
    // commentary servers check (their --token-secret-file), valid for lifetimeMs.
    // Raises Nexa2Exception (lumo_messages::kLogonFailed) when the user name is
    // empty or contains ':' or the secret is empty.
    static void logon(const SWCharString& user, const std::string& secret,
                      int64_t lifetimeMs = DEFAULT_TOKEN_LIFETIME_MS);
    // Takes a token and user URI obtained elsewhere.  Raises Nexa2Exception
    // when the token is empty.
    static void setSession(const SWCharString& logonToken, const SWCharString& userUri);
    // Ends the session.
    static void logoff();

    // The current session.  Raises Nexa2Exception (lumo_messages::kNoServerSession)
    // when nobody is logged on.
    static SRefPtr<IServerSession> getServerSession();

    static SWCharString userUriFor(const SWCharString& user);
};
