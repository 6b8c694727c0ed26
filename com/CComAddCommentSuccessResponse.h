// The answer to a successful add (coclass AddCommentSuccessResponse, interface
// ISAddCommentSuccessResponse): status, description and type of the model
// AddCommentSuccessResponse; its interface adds nothing.
#pragma once

#include "com/CComCommentResponseImpl.h"

class CComAddCommentSuccessResponse
    : public CComCommentResponseImpl<CComAddCommentSuccessResponse, ISAddCommentSuccessResponse,
                                     &CLSID_AddCommentSuccessResponse, &IID_ISAddCommentSuccessResponse,
                                     lumocommentaryservice_nexa_api::AddCommentSuccessResponse> {
public:
    static constexpr char kTraceArea[] = "CComAddCommentSuccessResponse";

    CComAddCommentSuccessResponse();
    ~CComAddCommentSuccessResponse() override;

    DECLARE_REGISTRY_RESOURCEID(IDR_LUMOCOMMENTARY)

    BEGIN_COM_MAP(CComAddCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISAddCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISCommentResponse)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()
};
