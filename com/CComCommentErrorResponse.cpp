#include "com/CComCommentErrorResponse.h"

#include "platform/foundation/SDateTime.h"
#include "platform/foundation/SLogger.h"

// Tracing and time rendering stay available for the whole life of this
// source's static objects.
static TraceLogInitExit s_traceLogInitExit;
static SimpleTimeInitExit s_simpleTimeInitExit;

CComCommentErrorResponse::CComCommentErrorResponse() = default;

CComCommentErrorResponse::~CComCommentErrorResponse() = default;

// In the frame like the other getters; before the first Init, OLE_E_BLANK.
STDMETHODIMP CComCommentErrorResponse::get_ErrorCode(BSTR* pErr) noexcept
try {
    SCOM_METHOD("CComCommentErrorResponse::get_ErrorCode");
    SCOM_CHECK_OUT(pErr, "pErr");
    if (!GetModel()) return ReportNotInitialised();
    SCOM_STORE_BSTR(pErr, GetModel()->getErrorCode());
    SCOM_RETURN_VALUE(static_cast<const char16_t*>(*pErr));
}
SCOM_CATCH_ALL
