// Native only: includes ORB headers; never include it from Winelib code.
//
// The FT_REQUEST service context of the requests of this process.
//
// Every logical request that a proxy sends (one call of execute, with all its
// retries, also on other servers) gets a retention id when the managed
// service's pulse opens it on the calling thread.  While it is open, every
// "execute" request that the thread sends carries the context
// (client id, retention id, expiration time) (idl/FtRequestContext.h), added
// by a client-side request interceptor.  Design decision: the client id names
// this process (one id for all its managed services):
// "<host>-<pid>-<8 random hexadecimal digits>".  Retention ids count up from
// 1 across the process, so no two requests of the process share one.
#pragma once

#include <cstdint>
#include <string>

#include "idl/FtRequestContext.h"

class FtRequestTracker {
public:
    static const std::string& clientId();

    // Opens a new request on the calling thread (replacing one still open);
    // the servers keep its reply for retentionMs.
    static void begin(uint64_t retentionMs);
    // Closes the calling thread's request.
    static void end();
    // The calling thread's open request; false when none is open.
    static bool current(lumo_ft::FtRequest& request);

    // Adds the interceptor to the ORB's client side (once per process).
    static void installInterceptor();
};
