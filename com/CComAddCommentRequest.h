// The request to add a comment (coclass AddCommentRequest, interface
// ISAddCommentRequest, RequestType AddCommentRequestType): it holds the
// comment and adds no member of its own.
#pragma once

#include "com/CComCommentRequestImpl.h"

class CComAddCommentRequest
    : public CComCommentRequestImpl<CComAddCommentRequest, ISAddCommentRequest, &CLSID_AddCommentRequest,
                                    &IID_ISAddCommentRequest, AddCommentRequestType> {
public:
    static constexpr char kTraceArea[] = "CComAddCommentRequest";

    CComAddCommentRequest();
    ~CComAddCommentRequest() override;

    BEGIN_COM_MAP(CComAddCommentRequest)
        COM_INTERFACE_ENTRY(ISAddCommentRequest)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()
};
