// Reads the FT_REQUEST service context (idl/FtRequestContext.h) of every
// incoming request in omniORB's serverReceiveRequest interceptor and hands it
// to the servant through thread-local state.
//
// omniORB runs the receive interceptor on the thread that then performs the
// upcall (the worker that read the request header also dispatches it), so
// the servant finds the context of its own call in the slot.  The interceptor
// writes the slot for every request, with or without a context, so a value
// can never leak from one call into the next on the same thread.  The
// process-level tests check this with concurrent calls carrying distinct
// retention ids.
#pragma once

#include <optional>

#include "server/core/RequestProcessor.h"

namespace lumo_server {

class FtServerInterceptor {
public:
    // Adds the interceptor to the ORB's list; call after CORBA::ORB_init and
    // before the POA is activated.
    static void install();

    // The context of the current call on this thread, taken (the slot is
    // empty afterwards).
    static std::optional<ExactlyOnceKey> takeCurrent();
};

}  // namespace lumo_server
