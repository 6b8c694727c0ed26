// Client side of the FT_REQUEST service context for the server's own tools,
// tests and benchmarks: while a Scope lives on a thread, every request that
// thread sends carries the given context.
#pragma once

#include "idl/FtRequestContext.h"

namespace lumo_server {

class FtClientInterceptor {
public:
    // Adds the interceptor to the ORB's list (once per process; later calls
    // do nothing).  Call after CORBA::ORB_init.
    static void install();

    class Scope {
    public:
        explicit Scope(const lumo_ft::FtRequest& request);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };
};

}  // namespace lumo_server
