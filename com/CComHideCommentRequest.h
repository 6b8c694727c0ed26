// The request to hide comments (coclass HideCommentRequest, interface
// ISHideCommentRequest, RequestType HideCommentRequestType): besides the
// comment it keeps a list of comment ids, in the order of addition, repeats
// included.
#pragma once

#include <cstdint>

#include "com/CComCommentRequestImpl.h"
#include "com/sdk/scomliveobjects.h"
#include "platform/foundation/SIArray.h"

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
    END_COM_MAP()

    // ISHideCommentRequest: appends any 32-bit id, negative ones and repeats
    // included.
    STDMETHOD(Add)(int CommentId) noexcept override;

    // Inside the module only.

    // The comment-id list itself, in the order of addition.
    const SIArray<int32_t>& GetCommentIdList() const noexcept { return m_commentIdList; }

    // The hide request behind a request interface of this module, or null for
    // a null pointer or any other object (SComLiveObjects).  Borrowed: the
    // caller's reference keeps it alive.
    static CComHideCommentRequest* FromInterface(ISCommentRequest* request) noexcept
    {
        return LiveHideRequests::Find(request);
    }

private:
    using LiveHideRequests = SComLiveObjects<CComHideCommentRequest, ISHideCommentRequest>;

    SIArray<int32_t> m_commentIdList;
};
