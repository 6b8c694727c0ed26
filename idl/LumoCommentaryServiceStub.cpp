#include "idl/LumoCommentaryServiceStub.h"

#include <omniORB4/IOP_C.h>
#include <omniORB4/callDescriptor.h>
#include <omniORB4/proxyFactory.h>


namespace lumo_idl {
namespace {

// One execute call: the request text out, the reply text back.
class ExecuteCall : public omniCallDescriptor {
public:
    explicit ExecuteCall(const ::CORBA::WChar* request)
        : omniCallDescriptor(&callServant, "execute", 8, 0, nullptr, 0, 0), m_request(request)
    {
    }

    void marshalArguments(cdrStream& stream) override { stream.marshalWString(m_request, 0); }
    void unmarshalReturnedValues(cdrStream& stream) override { m_reply = stream.unmarshalWString(0); }
    void userException(cdrStream&, _OMNI_NS(IOP_C) * client, const char*) override
    {
        if (client) client->RequestCompleted(1);  // the exception's body is not read
        throw ::CORBA::UNKNOWN(0, ::CORBA::COMPLETED_NO);
    }

    ::CORBA::WChar* takeReply() { return m_reply._retn(); }

private:
    // A servant in this process is called directly.
    static void callServant(omniCallDescriptor* descriptor, omniServant* servant)
    {
        auto* call = static_cast<ExecuteCall*>(descriptor);
        auto* impl = static_cast<_impl_LumoCommentaryService*>(
            servant->_ptrToInterface(::LumoCommentaryService::_PD_repoId));
        call->m_reply = impl->execute(call->m_request);
    }

    const ::CORBA::WChar* m_request;
    ::CORBA::WString_var m_reply;
};

class StubFactory : public _OMNI_NS(proxyObjectFactory) {
public:
    StubFactory() : proxyObjectFactory(::LumoCommentaryService::_PD_repoId) {}
    omniObjRef* newObjRef(omniIOR* ior, omniIdentity* identity) override
    {
        return new LumoCommentaryServiceStub(ior, identity);
    }
    ::CORBA::Boolean is_a(const char* repoId) const override
    {
        return omni::ptrStrMatch(repoId, ::LumoCommentaryService::_PD_repoId);
    }
};

}  // namespace

LumoCommentaryServiceStub::LumoCommentaryServiceStub(omniIOR* ior, omniIdentity* identity)
    : omniObjRef(::LumoCommentaryService::_PD_repoId, ior, identity, 1), _objref_LumoCommentaryService(ior, identity)
{
}

LumoCommentaryServiceStub::~LumoCommentaryServiceStub() = default;

::CORBA::WChar* LumoCommentaryServiceStub::execute(const ::CORBA::WChar* request)
{
    if (_is_nil()) throw ::CORBA::NO_IMPLEMENT(0, ::CORBA::COMPLETED_NO);
    ExecuteCall call(request);
    try {
        _invoke(call);
    } catch (const ::CORBA::UNKNOWN& ex) {
        // The servant's ORB turned an undeclared user exception into this
        // system exception before replying: the same outcome for the caller.
        if (ex.minor() == omni::UNKNOWN_UserException) throw ::CORBA::UNKNOWN(0, ::CORBA::COMPLETED_NO);
        throw;
    }
    return call.takeReply();
}

void LumoCommentaryServiceStub::install()
{
    // Replaces the generated factory for the repository id, for the life of
    // the process (a factory leaves the ORB's table when it is destroyed).
    static StubFactory factory;
}

}  // namespace lumo_idl
