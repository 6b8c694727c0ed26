// The request to modify a comment (coclass ModifyCommentRequest, interface
// ISModifyCommentRequest, RequestType ModifyCommentRequestType): it holds the
// comment and adds no member of its own.
#pragma once

#include "com/CComCommentRequestImpl.h"

class CComModifyCommentRequest
    : public CComCommentRequestImpl<CComModifyCommentRequest, ISModifyCommentRequest, &CLSID_ModifyCommentRequest,
                                    &IID_ISModifyCommentRequest, ModifyCommentRequestType> {
public:
    static constexpr char kTraceArea[] = "CComModifyCommentRequest";

    CComModifyCommentRequest();
    ~CComModifyCommentRequest() override;

    BEGIN_COM_MAP(CComModifyCommentRequest)
        COM_INTERFACE_ENTRY(ISModifyCommentRequest)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()
};
