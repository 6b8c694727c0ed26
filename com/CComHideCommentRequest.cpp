#include "com/CComHideCommentRequest.h"

CComHideCommentRequest::CComHideCommentRequest() { LiveHideRequests::Add(this); }

CComHideCommentRequest::~CComHideCommentRequest() { LiveHideRequests::Remove(this); }

STDMETHODIMP CComHideCommentRequest::Add(int CommentId) noexcept
try {
    SCOM_METHOD("CComHideCommentRequest::Add");
    m_commentIdList.append(CommentId);
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL
