#include "platform/framework/NamingDirectory.h"

#include <algorithm>
#include <string>

#include "platform/framework/OrbServices.h"

namespace {

void collect(const CosNaming::BindingList& bindings, const std::string& kind, std::vector<std::string>& names)
{
    for (CORBA::ULong i = 0; i < bindings.length(); ++i) {
        const CosNaming::Binding& b = bindings[i];
        if (b.binding_type != CosNaming::nobject || b.binding_name.length() != 1) continue;
        if (kind != static_cast<const char*>(b.binding_name[0].kind)) continue;
        names.push_back(static_cast<const char*>(b.binding_name[0].id));
    }
}

}  // namespace

std::vector<ServerCandidate> NamingDirectory::listServers(const ServerSpec& spec, const SWCharString& serviceName)
{
    CosNaming::NamingContext_var root = OrbServices::namingRoot();
    CosNaming::Name clusterName;
    clusterName.length(1);
    clusterName[0].id = CORBA::string_dup(spec.getCluster().toUtf8().c_str());
    clusterName[0].kind = CORBA::string_dup("");

    CosNaming::NamingContext_var cluster;
    try {
        CORBA::Object_var object = root->resolve(clusterName);
        cluster = CosNaming::NamingContext::_narrow(object);
    } catch (const CosNaming::NamingContext::NotFound&) {
        return {};
    }
    if (CORBA::is_nil(cluster)) return {};

    const std::string kind = serviceName.toUtf8();
    std::vector<std::string> names;
    CosNaming::BindingList_var bindings;
    CosNaming::BindingIterator_var iterator;
    cluster->list(256, bindings.out(), iterator.out());
    collect(bindings.in(), kind, names);
    if (!CORBA::is_nil(iterator)) {
        CosNaming::BindingList_var more;
        while (iterator->next_n(256, more.out())) collect(more.in(), kind, names);
        iterator->destroy();
    }
    std::sort(names.begin(), names.end());

    std::vector<ServerCandidate> candidates;
    for (const std::string& name : names) {
        const SWCharString wideName = SWCharString::fromUtf8(name);
        if (!spec.matchesServer(wideName)) continue;
        CosNaming::Name serverName;
        serverName.length(1);
        serverName[0].id = CORBA::string_dup(name.c_str());
        serverName[0].kind = CORBA::string_dup(kind.c_str());
        try {
            ServerCandidate candidate;
            candidate.name = wideName;
            candidate.reference = cluster->resolve(serverName);
            if (!CORBA::is_nil(candidate.reference)) candidates.push_back(std::move(candidate));
        } catch (const CosNaming::NamingContext::NotFound&) {
            // Unbound since the listing: the server has gone.
        }
    }
    return candidates;
}
