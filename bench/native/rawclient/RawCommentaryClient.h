// The bare remote call of the commentary service, for benchmarks that set the
// service object's path beside it: the stub's execute on one server, found by
// name in the Naming Service.  Design decision: the call goes through the
// process's ORB (the framework's), so both paths share the ORB, its
// connection to the server and its settings; only the module's own work
// differs.
//
// Plain C++: the Winelib benchmark includes this header.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace lumo_bench {

class RawCallError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class RawCommentaryClient {
public:
    // Resolves <cluster>/<serverName> (kind "Nexa_LumoCommentary") in the
    // Naming Service given by naming (a corbaloc or IOR), with the framework's
    // call timeout on the reference.  Raises RawCallError.
    RawCommentaryClient(const std::string& naming, const std::string& cluster, const std::string& serverName);
    ~RawCommentaryClient();
    RawCommentaryClient(const RawCommentaryClient&) = delete;
    RawCommentaryClient& operator=(const RawCommentaryClient&) = delete;

    // One call of execute: the UTF-16 code units go out one by one and the
    // reply comes back the same way.  withRetention: the call carries the
    // FT_REQUEST context, as every call through the proxy does, so that the
    // server does the same exactly-once bookkeeping for both paths.  Raises
    // RawCallError (with the CORBA exception's name) when the call fails.
    std::u16string execute(const std::u16string& request, bool withRetention) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lumo_bench
