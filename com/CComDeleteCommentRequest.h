// The request to delete a comment (coclass DeleteCommentRequest, interface
// ISDeleteCommentRequest, RequestType DeleteCommentRequestType): it holds the
// comment and adds no member of its own.
#pragma once

#include "com/CComCommentRequestImpl.h"

class CComDeleteCommentRequest
    : public CComCommentRequestImpl<CComDeleteCommentRequest, ISDeleteCommentRequest, &CLSID_DeleteCommentRequest,
                                    &IID_ISDeleteCommentRequest, DeleteCommentRequestType> {
public:
    static constexpr char kTraceArea[] = "CComDeleteCommentRequest";

    CComDeleteCommentRequest();
    ~CComDeleteCommentRequest() override;

    BEGIN_COM_MAP(CComDeleteCommentRequest)
        COM_INTERFACE_ENTRY(ISDeleteCommentRequest)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()
};
