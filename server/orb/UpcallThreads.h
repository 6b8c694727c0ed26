// Counts the ORB threads assigned to serving incoming calls, with omniORB's
// assignUpcallThread interceptor.  In omniORB 4.2 it wraps the time a thread
// of the ORB's pool belongs to the server side: from being handed its first
// server task (a connection to serve, under the default thread-per-connection
// policy, or one call in thread-pool mode) until it has waited 10 s without
// another one.  The listening threads are not counted.  So the number is the
// connections being served (or calls running) plus the threads that served
// one within the last 10 s and wait for more.
#pragma once

namespace lumo_server {

class UpcallThreads {
public:
    // Once, after ORB_init and before the POA manager is activated.
    static void install();
    static int current();
};

}  // namespace lumo_server
