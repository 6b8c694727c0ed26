// The answer to a failed operation (coclass CommentErrorResponse, interface
// ISCommentErrorResponse): status, description and type of the model
// ErrorResponse, and its error code (text such as "CMNTRY 011").
#pragma once

#include "com/CComCommentResponseImpl.h"

class CComCommentErrorResponse
    : public CComCommentResponseImpl<CComCommentErrorResponse, ISCommentErrorResponse, &CLSID_CommentErrorResponse,
                                     &IID_ISCommentErrorResponse, lumocommentaryservice_nexa_api::ErrorResponse> {
public:
    static constexpr char kTraceArea[] = "CComCommentErrorResponse";

    CComCommentErrorResponse();
    ~CComCommentErrorResponse() override;

    DECLARE_REGISTRY_RESOURCEID(IDR_LUMOCOMMENTARY)

    BEGIN_COM_MAP(CComCommentErrorResponse)
        COM_INTERFACE_ENTRY(ISCommentErrorResponse)
        COM_INTERFACE_ENTRY(ISCommentResponse)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()

    // ISCommentErrorResponse
    STDMETHOD(get_ErrorCode)(BSTR* pErr) noexcept override;
};
