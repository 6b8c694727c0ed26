// A plain client of LumoCommentaryService for the server's tools, tests and
// benchmarks: finds a server by naming or by IOR and sends request texts,
// optionally with an FT_REQUEST context.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "idl/FtRequestContext.h"
#include "idl/LumoCommentaryService.hh"

namespace lumo_server {

class ClientError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CommentaryClient {
public:
    // Starts an ORB for a client (bounded connect and call timeouts, a
    // message limit that fits the server's largest requests, TLS as the
    // framework's LUMO_TLS_* settings say) and installs the FT interceptor.
    // extraArgs are -ORB options.
    static CORBA::ORB_ptr initOrb(const std::vector<std::string>& extraArgs = {});

    // The server bound as <cluster>/<name> (kind "Nexa_LumoCommentary"); with
    // an empty name the first server binding of the cluster.  naming as for
    // the server's --naming.  Raises ClientError.
    static LumoCommentaryService_ptr resolveByNaming(CORBA::ORB_ptr orb, const std::string& naming,
                                                     const std::string& cluster, const std::string& name);
    // The names of the server bindings in a cluster.
    static std::vector<std::string> listServers(CORBA::ORB_ptr orb, const std::string& naming,
                                                const std::string& cluster);
    static LumoCommentaryService_ptr resolveByIor(CORBA::ORB_ptr orb, const std::string& ior);

    // Sends one text; CORBA exceptions pass through.
    static std::u16string execute(LumoCommentaryService_ptr service, const std::u16string& request,
                                  const std::optional<lumo_ft::FtRequest>& ft = std::nullopt);
};

}  // namespace lumo_server
