// The answer to a successful delete (coclass DeleteCommentSuccessResponse,
// interface ISDeleteCommentSuccessResponse): status, description and type of
// the model DeleteCommentSuccessResponse; its interface adds nothing.
#pragma once

#include "com/CComCommentResponseImpl.h"

class CComDeleteCommentSuccessResponse
    : public CComCommentResponseImpl<CComDeleteCommentSuccessResponse, ISDeleteCommentSuccessResponse,
                                     &CLSID_DeleteCommentSuccessResponse, &IID_ISDeleteCommentSuccessResponse,
                                     lumocommentaryservice_nexa_api::DeleteCommentSuccessResponse> {
public:
    static constexpr char kTraceArea[] = "CComDeleteCommentSuccessResponse";

    CComDeleteCommentSuccessResponse();
    ~CComDeleteCommentSuccessResponse() override;

    DECLARE_REGISTRY_RESOURCEID(IDR_LUMOCOMMENTARY)

    BEGIN_COM_MAP(CComDeleteCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISDeleteCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISCommentResponse)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()
};
