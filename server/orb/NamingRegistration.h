// The server's entry in the Naming Service:
//     <root> / <cluster> (kind "") / <server name> (kind "Nexa_LumoCommentary")
// The cluster context is created when missing; the server's binding is made
// with rebind, so a stale binding left by a killed server of the same name is
// replaced.  unbind removes the server's own binding only.
#pragma once

#include <omniORB4/CORBA.h>

#include <stdexcept>
#include <string>

namespace lumo_server {

constexpr const char* kServiceKind = "Nexa_LumoCommentary";

class NamingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class NamingRegistration {
public:
    // The root context: from a corbaloc/corbaname/IOR text, or when the text
    // is empty from resolve_initial_references("NameService") (so that
    // -ORBInitRef works).  Contacts the service once to prove it is there.
    // Raises NamingError with a readable reason.
    static CosNaming::NamingContext_ptr resolveRoot(CORBA::ORB_ptr orb, const std::string& naming);

    NamingRegistration(CosNaming::NamingContext_ptr root, std::string cluster, std::string name);

    // Raises NamingError.
    void bind(CORBA::Object_ptr servant);
    // Removes the binding; false (with the reason) when that failed.  Never raises.
    bool unbind(std::string& reason) noexcept;

    // The full name of a server binding: cluster, then the server name.
    static CosNaming::Name serverName(const std::string& cluster, const std::string& name);

private:
    CosNaming::NamingContext_var m_root;
    std::string m_cluster;
    std::string m_name;
};

}  // namespace lumo_server
