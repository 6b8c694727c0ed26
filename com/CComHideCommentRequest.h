// The request to hide comments (coclass HideCommentRequest, interface
// ISHideCommentRequest, RequestType HideCommentRequestType): besides the
// comment it keeps a list of comment ids, in the order of addition, repeats
// included.
#pragma once

#include <cstdint>

#include "com/CComCommentRequestImpl.h"
#include "platform/foundation/SIArray.h"

// Module-private identifier under which a hide request answers with its own
// ISHideCommentRequest pointer; it lets the service object find the object
// behind an interface (FromInterface) and refuse requests implemented
// elsewhere.
extern "C" const IID IID_CComHideCommentRequestIdentity;

class CComHideCommentRequest
    : public CComCommentRequestImpl<CComHideCommentRequest, ISHideCommentRequest, &CLSID_HideCommentRequest,
                                    &IID_ISHideCommentRequest, HideCommentRequestType> {
public:
    static constexpr char kTraceArea[] = "CComHideCommentRequest";

    CComHideCommentRequest();
    ~CComHideCommentRequest() override;

    BEGIN_COM_MAP(CComHideCommentRequest)
        COM_INTERFACE_ENTRY(ISHideCommentRequest)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
        COM_INTERFACE_ENTRY_IID(IID_CComHideCommentRequestIdentity, ISHideCommentRequest)
    END_COM_MAP()

    // ISHideCommentRequest: appends any 32-bit id, negative ones and repeats
    // included.
    STDMETHOD(Add)(int CommentId) noexcept override;

    // Inside the module only.

    // The comment-id list itself, in the order of addition.
    const SIArray<int32_t>& GetCommentIdList() const noexcept { return m_commentIdList; }

    // The hide request behind an interface of this module, or null for a null
    // pointer or any other object.  Borrowed: the caller's reference keeps it
    // alive.
    static CComHideCommentRequest* FromInterface(IUnknown* request) noexcept;

private:
    SIArray<int32_t> m_commentIdList;
};
