// The request to duplicate the comments of a document into another
// (coclass DuplicateCommentRequest, interface ISDuplicateCommentRequest,
// RequestType DuplicateCommentRequestType): besides the comment it keeps the
// target document's CUID as an automation string, null until set.
#pragma once

#include "com/CComCommentRequestImpl.h"
#include "platform/com/ScopedBstr.h"

class CComDuplicateCommentRequest
    : public CComCommentRequestImpl<CComDuplicateCommentRequest, ISDuplicateCommentRequest,
                                    &CLSID_DuplicateCommentRequest, &IID_ISDuplicateCommentRequest,
                                    DuplicateCommentRequestType> {
public:
    static constexpr char kTraceArea[] = "CComDuplicateCommentRequest";

    CComDuplicateCommentRequest();
    ~CComDuplicateCommentRequest() override;

    BEGIN_COM_MAP(CComDuplicateCommentRequest)
        COM_INTERFACE_ENTRY(ISDuplicateCommentRequest)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()

    // ISDuplicateCommentRequest, in the order of the interface.
    STDMETHOD(get_TargetDocumentCUID)(BSTR* targetDocCuid) noexcept override;
    STDMETHOD(put_TargetDocumentCUID)(BSTR newVal) noexcept override;

private:
    ScopedBstr m_targetDocCuid;
};
