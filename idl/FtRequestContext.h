// The fault-tolerant request service context (FT-CORBA's FT_REQUEST, context
// id 13) that makes a retried request recognisable.
//
// The client gives every logical request a (client id, retention id) pair and
// sends the same pair with every attempt of that request; a server that has
// already executed the request answers from its reply cache instead of running
// it again.  The body is a CDR encapsulation of
//     struct FTRequestServiceContext {
//         string client_id; long retention_id; unsigned long long expiration_time;
//     };
// with expiration_time in milliseconds since the epoch (the server may forget
// the reply after it).
#pragma once

#include <omniORB4/CORBA.h>

#include <string>

namespace lumo_ft {

constexpr CORBA::ULong kFtRequestContextId = 13;  // IOP::FT_REQUEST

struct FtRequest {
    std::string clientId;
    CORBA::Long retentionId = 0;
    CORBA::ULongLong expirationTime = 0;
};

// Fills context with the id and the encoded body.
void encodeFtRequest(const FtRequest& request, IOP::ServiceContext& context);

// Reads a body back; false (request untouched) for a context with another id
// or a body that does not decode.
bool decodeFtRequest(const IOP::ServiceContext& context, FtRequest& request);

// Looks for the context in a list; false when it is absent or malformed.
bool findFtRequest(const IOP::ServiceContextList& contexts, FtRequest& request);

}  // namespace lumo_ft
