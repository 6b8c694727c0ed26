#include "com/CComHideCommentRequest.h"

// {070C219D-19BD-4F09-94D0-BB3DE1A3D4B2}
extern "C" const IID IID_CComHideCommentRequestIdentity = {
    0x070c219d, 0x19bd, 0x4f09, {0x94, 0xd0, 0xbb, 0x3d, 0xe1, 0xa3, 0xd4, 0xb2}};

CComHideCommentRequest::CComHideCommentRequest() = default;

CComHideCommentRequest::~CComHideCommentRequest() = default;

CComHideCommentRequest* CComHideCommentRequest::FromInterface(IUnknown* request) noexcept
{
    if (!request) return nullptr;
    ISHideCommentRequest* own = nullptr;
    if (FAILED(request->QueryInterface(IID_CComHideCommentRequestIdentity, reinterpret_cast<void**>(&own))) || !own)
        return nullptr;
    // Only this class answers the identifier, with its own interface part.
    CComHideCommentRequest* object = static_cast<CComHideCommentRequest*>(own);
    own->Release();
    return object;
}

STDMETHODIMP CComHideCommentRequest::Add(int CommentId) noexcept
try {
    SCOM_METHOD("CComHideCommentRequest::Add");
    m_commentIdList.append(CommentId);
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL
