#include "com/CComDuplicateCommentRequest.h"

CComDuplicateCommentRequest::CComDuplicateCommentRequest() = default;

CComDuplicateCommentRequest::~CComDuplicateCommentRequest() = default;

// An exact copy of the target (same length in bytes); null stays null.
// Design decision: a null result pointer returns E_POINTER, reported with a
// message of its own (this getter makes no frame check).
STDMETHODIMP CComDuplicateCommentRequest::get_TargetDocumentCUID(BSTR* targetDocCuid) noexcept
try {
    SCOM_METHOD("CComDuplicateCommentRequest::get_TargetDocumentCUID");
    if (!targetDocCuid) return ReportFailure(lumo_messages::kInvalidPointer, E_POINTER);
    BSTR copy = nullptr;
    if (const BSTR target = m_targetDocCuid.Get()) {
        copy = SysAllocStringByteLen(reinterpret_cast<const char*>(target), SysStringByteLen(target));
        if (!copy) return E_OUTOFMEMORY;
    }
    *targetDocCuid = copy;
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

// A copy of the text up to its first NUL ("" stays an empty, non-null
// string); null makes the target null.
STDMETHODIMP CComDuplicateCommentRequest::put_TargetDocumentCUID(BSTR newVal) noexcept
try {
    SCOM_METHOD("CComDuplicateCommentRequest::put_TargetDocumentCUID");
    BSTR copy = nullptr;
    if (newVal) {
        copy = SysAllocString(newVal);
        if (!copy) return E_OUTOFMEMORY;
    }
    m_targetDocCuid.Reset(copy);
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL
