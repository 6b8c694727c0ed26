#include "server/orb/NamingRegistration.h"

namespace lumo_server {
namespace {

std::string describe(const CORBA::Exception& e)
{
    const char* name = e._name();
    std::string text = name ? name : "CORBA exception";
    if (const CORBA::SystemException* system = CORBA::SystemException::_downcast(&e)) {
        const char* minor = system->NP_minorString();
        if (minor) text += std::string(" (") + minor + ")";
    }
    return text;
}

}  // namespace

CosNaming::NamingContext_ptr NamingRegistration::resolveRoot(CORBA::ORB_ptr orb, const std::string& naming)
{
    try {
        CORBA::Object_var object = naming.empty() ? orb->resolve_initial_references("NameService")
                                                  : orb->string_to_object(naming.c_str());
        if (CORBA::is_nil(object)) throw NamingError("the Naming Service reference is nil");
        CosNaming::NamingContext_var root = CosNaming::NamingContext::_narrow(object);
        if (CORBA::is_nil(root)) throw NamingError("the reference is not a naming context");
        // A corbaloc reference is not contacted by narrowing; this call is.
        if (root->_non_existent()) throw NamingError("the Naming Service object does not exist");
        return root._retn();
    } catch (const CORBA::ORB::InvalidName&) {
        throw NamingError("no initial reference \"NameService\" (give --naming or -ORBInitRef)");
    } catch (const CORBA::Exception& e) {
        throw NamingError("the Naming Service is unreachable: " + describe(e));
    }
}

NamingRegistration::NamingRegistration(CosNaming::NamingContext_ptr root, std::string cluster, std::string name)
    : m_root(CosNaming::NamingContext::_duplicate(root)), m_cluster(std::move(cluster)), m_name(std::move(name))
{
}

CosNaming::Name NamingRegistration::serverName(const std::string& cluster, const std::string& name)
{
    CosNaming::Name full;
    full.length(2);
    full[0].id = cluster.c_str();
    full[0].kind = "";
    full[1].id = name.c_str();
    full[1].kind = kServiceKind;
    return full;
}

void NamingRegistration::bind(CORBA::Object_ptr servant)
{
    try {
        CosNaming::Name clusterName;
        clusterName.length(1);
        clusterName[0].id = m_cluster.c_str();
        clusterName[0].kind = "";
        try {
            CosNaming::NamingContext_var created = m_root->bind_new_context(clusterName);
        } catch (const CosNaming::NamingContext::AlreadyBound&) {
            // Another server of the cluster made it first.
            CORBA::Object_var existing = m_root->resolve(clusterName);
            CosNaming::NamingContext_var context = CosNaming::NamingContext::_narrow(existing);
            if (CORBA::is_nil(context))
                throw NamingError("\"" + m_cluster + "\" is bound in the Naming Service but is not a context");
        }
        m_root->rebind(serverName(m_cluster, m_name), servant);
    } catch (const NamingError&) {
        throw;
    } catch (const CosNaming::NamingContext::NotFound&) {
        throw NamingError("cannot register: the cluster context vanished");
    } catch (const CORBA::Exception& e) {
        throw NamingError("cannot register in the Naming Service: " + describe(e));
    }
}

bool NamingRegistration::unbind(std::string& reason) noexcept
{
    try {
        m_root->unbind(serverName(m_cluster, m_name));
        return true;
    } catch (const CosNaming::NamingContext::NotFound&) {
        reason = "the binding was already gone";
    } catch (const CORBA::Exception& e) {
        reason = describe(e);
    } catch (...) {
        reason = "unknown failure";
    }
    return false;
}

}  // namespace lumo_server
