// The answer to a successful get (coclass GetCommentSuccessResponse,
// interface ISGetCommentSuccessResponse): status, description and type of the
// model GetCommentSuccessResponse, and its comments, handed out one by one as
// comment objects.
//
// A comment object from get_Comment is a live view of the model's comment:
// it shares the comment (std::shared_ptr), so a put through it changes what
// the response holds, and the comment stays alive while the object does, also
// after the response or its model is gone.
#pragma once

#include "com/CComCommentResponseImpl.h"

class CComGetCommentSuccessResponse
    : public CComCommentResponseImpl<CComGetCommentSuccessResponse, ISGetCommentSuccessResponse,
                                     &CLSID_GetCommentSuccessResponse, &IID_ISGetCommentSuccessResponse,
                                     lumocommentaryservice_nexa_api::GetCommentSuccessResponse> {
public:
    static constexpr char kTraceArea[] = "CComGetCommentSuccessResponse";

    CComGetCommentSuccessResponse();
    ~CComGetCommentSuccessResponse() override;

    DECLARE_REGISTRY_RESOURCEID(IDR_LUMOCOMMENTARY)

    BEGIN_COM_MAP(CComGetCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISGetCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISCommentResponse)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()

    // ISGetCommentSuccessResponse: methods (called by these names, "get_"
    // included), without frame or trace.
    STDMETHOD(get_Count)(int* cmntCount) noexcept override;
    STDMETHOD(get_Comment)(int index, ISComment** comment) noexcept override;
};
