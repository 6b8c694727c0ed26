// The process's server session: who the calls are made for.
//
// Plain C++: the Winelib module includes this header.
#pragma once

#include "platform/foundation/SString.h"
#include "platform/framework/CRefCount.h"

class IServerSession : public CRefCount {
public:
    // The logon token that requests present (platform/session/LogonToken.h).
    virtual SWCharString getLogonToken() const = 0;
    // The user's URI (design decision: "urn:lumo:user:<user name>").
    virtual SWCharString getUserURI() const = 0;
};
