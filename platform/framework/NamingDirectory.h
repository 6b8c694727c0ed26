// Native only: includes ORB headers; never include it from Winelib code.
//
// The servers of a service in a cluster, as the Naming Service lists them.
//
// Layout: the root context holds one context per cluster (id = cluster name,
// empty kind); in it each server of a service is bound as
// id = <server name>, kind = <service name>.
#pragma once

#include <omniORB4/CORBA.h>

#include <cstdint>
#include <vector>

#include "platform/foundation/SString.h"
#include "platform/framework/ServerSpec.h"

struct ServerCandidate {
    SWCharString name;
    CORBA::Object_var reference;
};

class NamingDirectory {
public:
    // The servers of the service in the ServerSpec's cluster that its
    // filter admits, in name order, each with the reference bound in the
    // Naming Service.  An absent cluster context gives an empty list; a
    // Naming Service that cannot be reached raises the ORB's exception.  The
    // calls are limited as the calling thread's calls are.
    static std::vector<ServerCandidate> listServers(const ServerSpec& spec, const SWCharString& serviceName);
};
