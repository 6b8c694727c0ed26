// The health probe of lumo_commentary_client --check and --check-all: each
// server gets a test-connection request, {"requestType":5}, and is healthy
// when it answers with the test-connection success within the time limit,
// which bounds the naming lookups, the connect and the call alike.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "idl/LumoCommentaryService.hh"

namespace lumo_server {

struct ProbeResult {
    std::string server;  // its name in the cluster, or "ior"
    bool healthy = false;
    std::string detail;  // "answered in N ms", or why not
    std::string line() const { return server + ": " + (healthy ? "ok, " : "FAILED, ") + detail; }
};

class HealthProbe {
public:
    // Sets the ORB's connect and call timeouts to the limit.
    HealthProbe(CORBA::ORB_ptr orb, std::chrono::milliseconds limit);

    // The server of that name, or with an empty name the first one bound.
    std::vector<ProbeResult> checkNamed(const std::string& naming, const std::string& cluster,
                                        const std::string& name);
    // Every server bound in the cluster (none bound: one failed result).
    std::vector<ProbeResult> checkAll(const std::string& naming, const std::string& cluster);
    std::vector<ProbeResult> checkIor(const std::string& ior);

    static bool allHealthy(const std::vector<ProbeResult>& results);

private:
    ProbeResult check(const std::string& server, LumoCommentaryService_ptr service);
    ProbeResult lookupFailed(const std::string& server, const std::string& why) const;

    CORBA::ORB_ptr m_orb;
    std::chrono::milliseconds m_limit;
};

}  // namespace lumo_server
