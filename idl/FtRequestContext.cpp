#include "idl/FtRequestContext.h"

#include <omniORB4/cdrStream.h>

namespace lumo_ft {

void encodeFtRequest(const FtRequest& request, IOP::ServiceContext& context)
{
    cdrEncapsulationStream stream(CORBA::ULong(0), CORBA::Boolean(1));
    stream.marshalString(request.clientId.c_str());
    request.retentionId >>= stream;
    request.expirationTime >>= stream;
    context.context_id = kFtRequestContextId;
    stream.setOctetSeq(context.context_data);  // the sequence takes the stream's buffer
}

bool decodeFtRequest(const IOP::ServiceContext& context, FtRequest& request)
{
    if (context.context_id != kFtRequestContextId) return false;
    try {
        cdrEncapsulationStream stream(context.context_data, 1);
        CORBA::String_var clientId = stream.unmarshalString();
        FtRequest decoded;
        decoded.clientId = clientId.in();
        decoded.retentionId <<= stream;
        decoded.expirationTime <<= stream;
        request = decoded;
        return true;
    } catch (const CORBA::SystemException&) {
        return false;
    }
}

bool findFtRequest(const IOP::ServiceContextList& contexts, FtRequest& request)
{
    for (CORBA::ULong i = 0; i < contexts.length(); ++i)
        if (contexts[i].context_id == kFtRequestContextId) return decodeFtRequest(contexts[i], request);
    return false;
}

}  // namespace lumo_ft
