#include "server/client/CommentaryClient.h"

#include "platform/framework/OrbServices.h"
#include "server/client/FtClientInterceptor.h"
#include "server/orb/WideText.h"

namespace lumo_server {
namespace {

const char kKind[] = "Nexa_LumoCommentary";

CosNaming::NamingContext_ptr resolveContext(CORBA::ORB_ptr orb, const std::string& naming, const std::string& cluster)
{
    CORBA::Object_var object = naming.empty() ? orb->resolve_initial_references("NameService")
                                              : orb->string_to_object(naming.c_str());
    CosNaming::NamingContext_var root = CosNaming::NamingContext::_narrow(object);
    if (CORBA::is_nil(root)) throw ClientError("the Naming Service reference is not a naming context");
    CosNaming::Name name;
    name.length(1);
    name[0].id = cluster.c_str();
    name[0].kind = "";
    CORBA::Object_var context = root->resolve(name);
    CosNaming::NamingContext_var result = CosNaming::NamingContext::_narrow(context);
    if (CORBA::is_nil(result)) throw ClientError("the cluster binding is not a naming context");
    return result._retn();
}

LumoCommentaryService_ptr narrow(CORBA::Object_ptr object)
{
    LumoCommentaryService_var service = LumoCommentaryService::_narrow(object);
    if (CORBA::is_nil(service)) throw ClientError("the object is not a LumoCommentaryService");
    return service._retn();
}

}  // namespace

CORBA::ORB_ptr CommentaryClient::initOrb(const std::vector<std::string>& extraArgs)
{
    const char* options[][2] = {{"clientConnectTimeOutPeriod", "5000"},
                                {"clientCallTimeOutPeriod", "30000"},
                                {"giopMaxMsgSize", "16777216"},
                                {nullptr, nullptr}};
    const FrameworkSettings settings = FrameworkSettings::fromEnvironment();
    std::vector<std::string> args = extraArgs;
    args.insert(args.begin(), "lumo_commentary_client");
    const std::vector<std::string> rules = OrbServices::transportRules(settings);
    args.insert(args.end(), rules.begin(), rules.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    int argc = static_cast<int>(argv.size());
    OrbServices::installTls(settings);
    CORBA::ORB_ptr orb = CORBA::ORB_init(argc, argv.data(), "omniORB4", options);
    FtClientInterceptor::install();
    return orb;
}

LumoCommentaryService_ptr CommentaryClient::resolveByNaming(CORBA::ORB_ptr orb, const std::string& naming,
                                                            const std::string& cluster, const std::string& name)
{
    try {
        CosNaming::NamingContext_var context = resolveContext(orb, naming, cluster);
        if (!name.empty()) {
            CosNaming::Name full;
            full.length(1);
            full[0].id = name.c_str();
            full[0].kind = kKind;
            CORBA::Object_var object = context->resolve(full);
            return narrow(object);
        }
        for (const std::string& server : listServers(orb, naming, cluster)) {
            CosNaming::Name full;
            full.length(1);
            full[0].id = server.c_str();
            full[0].kind = kKind;
            CORBA::Object_var object = context->resolve(full);
            return narrow(object);
        }
        throw ClientError("no server is bound in cluster " + cluster);
    } catch (const CosNaming::NamingContext::NotFound&) {
        throw ClientError("not found in the Naming Service: " + cluster + (name.empty() ? "" : "/" + name));
    } catch (const CORBA::Exception& e) {
        throw ClientError(std::string("naming lookup failed: ") + e._name());
    }
}

std::vector<std::string> CommentaryClient::listServers(CORBA::ORB_ptr orb, const std::string& naming,
                                                       const std::string& cluster)
{
    std::vector<std::string> names;
    try {
        CosNaming::NamingContext_var context = resolveContext(orb, naming, cluster);
        CosNaming::BindingList_var list;
        CosNaming::BindingIterator_var rest;
        context->list(1000, list.out(), rest.out());
        for (CORBA::ULong i = 0; i < list->length(); ++i) {
            const CosNaming::Binding& b = list[i];
            if (b.binding_name.length() == 1 && std::string(b.binding_name[0].kind.in()) == kKind)
                names.emplace_back(b.binding_name[0].id.in());
        }
        if (!CORBA::is_nil(rest)) rest->destroy();
    } catch (const CosNaming::NamingContext::NotFound&) {
        return names;
    } catch (const CORBA::Exception& e) {
        throw ClientError(std::string("naming lookup failed: ") + e._name());
    }
    return names;
}

LumoCommentaryService_ptr CommentaryClient::resolveByIor(CORBA::ORB_ptr orb, const std::string& ior)
{
    try {
        CORBA::Object_var object = orb->string_to_object(ior.c_str());
        return narrow(object);
    } catch (const CORBA::Exception& e) {
        throw ClientError(std::string("bad IOR: ") + e._name());
    }
}

std::u16string CommentaryClient::execute(LumoCommentaryService_ptr service, const std::u16string& request,
                                         const std::optional<lumo_ft::FtRequest>& ft)
{
    CORBA::WString_var text = utf16ToCorbaWide(request);
    std::optional<FtClientInterceptor::Scope> scope;
    if (ft) scope.emplace(*ft);
    CORBA::WString_var reply = service->execute(text.in());
    std::u16string out;
    corbaWideToUtf16(reply.in(), out);
    return out;
}

}  // namespace lumo_server
