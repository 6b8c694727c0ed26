// Entry point of the service framework.
//
// Plain C++: the Winelib module includes this header.
//
// The framework runs one ORB per process, initialised on first use (from any
// thread; initialisation is serialised) from these environment variables
// (design decision: their names and defaults):
//
//   LUMO_NAMING               corbaloc of the Naming Service, for example
//                             corbaloc::127.0.0.1:2809/NameService, or of
//                             several replicas tried in turn
//                             (corbaloc::h1:2809,:h2:2809/NameService); unset:
//                             the ORB's initial reference "NameService" (from
//                             -ORBInitRef in LUMO_ORB_OPTIONS or the ORB's
//                             configuration)
//   LUMO_ORB_OPTIONS          further ORB options (-ORB<name> <value> ...),
//                             separated by blanks
//   LUMO_CALL_DEADLINE_MS     time limit of one logical call of a proxy: all
//                             its attempts, re-validations and waits
//                             (default 15000; CallDeadline.h)
//   LUMO_CALL_TIMEOUT_MS      time limit of one attempt (default 8000), cut
//                             to the time the call has left
//   LUMO_CONNECT_TIMEOUT_MS   time limit for opening a connection (default 3000)
//   LUMO_RECONNECT_BACKOFF_MS, LUMO_RECONNECT_BACKOFF_MAX_MS
//                             first and longest wait between two rounds of
//                             looking for a server that answers (default 50
//                             and 1000; ReconnectBackoff.h)
//   LUMO_MAX_REQUEST_CHARS    the servers' request limit in UTF-16 code units
//                             (default 1048576, the reference server's
//                             --max-request-chars); sets the ORB's message
//                             limit (idl/MessageLimit.h)
//   LUMO_INVOKE_LOOP_INSANITY the attempt bound of the proxies: at most this
//                             many retries after the first attempt (default 3)
//   LUMO_TESTS_ENABLED        1: managed services inject the failures listed
//                             in LUMO_TEST_EXCEPTIONS (default 0)
//   LUMO_TEST_EXCEPTIONS      the failure script, see TestExceptionScript.h
//   LUMO_RETENTION            1 (default): every attempt of one request carries
//                             the same FT_REQUEST service context, so servers
//                             execute it at most once and a failure that may
//                             have run on the server (COMPLETED_MAYBE) is
//                             retried; 0: no context, such failures are final
//   LUMO_RETENTION_MS         how long a server keeps the reply of a request
//                             for retries (default 600000)
//   LUMO_FAILED_SERVER_QUARANTINE_MS  how long a server that just failed is
//                             asked last when looking for a server that
//                             answers (default 10000)
//   LUMO_SESSION_LOCK         "exclusive" (default): a managed service runs
//                             one remote attempt at a time; "shared": attempts
//                             of several threads run together and only
//                             reconnection excludes them
//
// Design decision: the framework never destroys the ORB by itself.  The
// framework lives in a module that the client process loads and unloads at
// will; destroying an ORB (joining its threads, closing connections) from a
// library's unload or a static destructor runs under the loader lock and can
// deadlock.  A host program that wants an orderly end calls shutdown() from
// an ordinary thread before it exits.
#pragma once

#include "platform/framework/CRefCount.h"
#include "platform/framework/IServiceMgr.h"

class ServiceMgrFactory {
public:
    // The process's service manager (one per process).  Raises Nexa2Exception
    // when the ORB cannot be initialised or has been shut down.
    static SRefPtr<IServiceMgr> getServiceMgr();

    // Destroys the process's ORB (when it was initialised).  Managed services
    // and proxies made before fail their calls afterwards; getServiceMgr
    // raises Nexa2Exception.  Never call it from a library's unload code or a
    // static destructor.
    static void shutdown();
};
