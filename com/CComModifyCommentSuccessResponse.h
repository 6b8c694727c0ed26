// The answer to a successful modify (coclass ModifyCommentSuccessResponse,
// interface ISModifyCommentSuccessResponse): status, description and type of
// the model ModifyCommentSuccessResponse; its interface adds nothing.
#pragma once

#include "com/CComCommentResponseImpl.h"

class CComModifyCommentSuccessResponse
    : public CComCommentResponseImpl<CComModifyCommentSuccessResponse, ISModifyCommentSuccessResponse,
                                     &CLSID_ModifyCommentSuccessResponse, &IID_ISModifyCommentSuccessResponse,
                                     lumocommentaryservice_nexa_api::ModifyCommentSuccessResponse> {
public:
    static constexpr char kTraceArea[] = "CComModifyCommentSuccessResponse";

    CComModifyCommentSuccessResponse();
    ~CComModifyCommentSuccessResponse() override;

    DECLARE_REGISTRY_RESOURCEID(IDR_LUMOCOMMENTARY)

    BEGIN_COM_MAP(CComModifyCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISModifyCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISCommentResponse)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()
};
