#include "service/object/CComLumoCommentaryService.h"

#include "platform/foundation/SDateTime.h"
#include "platform/foundation/SLogger.h"

// Tracing and time rendering stay available for the whole life of this
// source's static objects.
static TraceLogInitExit s_traceLogInitExit;
static SimpleTimeInitExit s_simpleTimeInitExit;

namespace {

// An operation that does not run yet: no response is handed out.
HRESULT NotImplemented(ISCommentResponse** commentResp) noexcept
{
    if (commentResp) *commentResp = nullptr;
    return E_NOTIMPL;
}

}  // namespace

CComLumoCommentaryService::CComLumoCommentaryService() { SetObjectLocale(kDefaultObjectLocale); }

CComLumoCommentaryService::~CComLumoCommentaryService() = default;

STDMETHODIMP CComLumoCommentaryService::AddComment(ISCommentRequest*, ISCommentResponse** commentResp) noexcept
{
    return NotImplemented(commentResp);
}

STDMETHODIMP CComLumoCommentaryService::GetComment(ISCommentRequest*, ISCommentResponse** commentResp) noexcept
{
    return NotImplemented(commentResp);
}

STDMETHODIMP CComLumoCommentaryService::ModifyComment(ISCommentRequest*, ISCommentResponse** commentResp) noexcept
{
    return NotImplemented(commentResp);
}

STDMETHODIMP CComLumoCommentaryService::DeleteComment(ISCommentRequest*, ISCommentResponse** commentResp) noexcept
{
    return NotImplemented(commentResp);
}

STDMETHODIMP CComLumoCommentaryService::HideComments(ISCommentRequest*, ISCommentResponse** commentResp) noexcept
{
    return NotImplemented(commentResp);
}

STDMETHODIMP CComLumoCommentaryService::DuplicateComments(ISCommentRequest*, ISCommentResponse** commentResp) noexcept
{
    return NotImplemented(commentResp);
}

STDMETHODIMP CComLumoCommentaryService::SetImplPointers(const WCHAR*, const WCHAR*) noexcept { return E_NOTIMPL; }

STDMETHODIMP CComLumoCommentaryService::SetCOMSession(IUnknown*) noexcept { return E_NOTIMPL; }
