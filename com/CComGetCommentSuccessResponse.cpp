#include "com/CComGetCommentSuccessResponse.h"

#include "com/CComComment.h"
#include "platform/foundation/SDateTime.h"
#include "platform/foundation/SLogger.h"

// Tracing and time rendering stay available for the whole life of this
// source's static objects.
static TraceLogInitExit s_traceLogInitExit;
static SimpleTimeInitExit s_simpleTimeInitExit;

CComGetCommentSuccessResponse::CComGetCommentSuccessResponse() = default;

CComGetCommentSuccessResponse::~CComGetCommentSuccessResponse() = default;

// Design decision: before the first Init, OLE_E_BLANK with nothing written;
// then a null result pointer gives E_POINTER.  Both are reported with a
// message of their own.
STDMETHODIMP CComGetCommentSuccessResponse::get_Count(int* cmntCount) noexcept
{
    if (!GetModel()) return ReportNotInitialised();
    if (!cmntCount) return ReportFailure(lumo_messages::kInvalidPointer, E_POINTER);
    *cmntCount = static_cast<int>(GetModel()->getCommentCount());
    return S_OK;
}

// A new comment object attached to the model's comment at index, with the
// caller's only reference; each call gives a further, distinct object.
// Design decision: before the first Init, OLE_E_BLANK with nothing written;
// an index outside 0 .. count-1 gives DISP_E_BADINDEX (the result pointer
// cleared) and creates nothing; a null result pointer gives E_POINTER and
// creates nothing.  Each failure is reported with a message of its own.
STDMETHODIMP CComGetCommentSuccessResponse::get_Comment(int index, ISComment** comment) noexcept
{
    if (!GetModel()) return ReportNotInitialised();
    std::shared_ptr<CComComment::Record> record =
        index >= 0 ? GetModel()->getComment(static_cast<size_t>(index)) : nullptr;
    if (!record) {
        if (comment) *comment = nullptr;
        return ReportFailure(lumo_messages::kIndexOutOfRange, DISP_E_BADINDEX);
    }
    if (!comment) return ReportFailure(lumo_messages::kInvalidPointer, E_POINTER);
    CComObject<CComComment>* object = nullptr;
    HRESULT hr = CComObject<CComComment>::CreateInstance(&object);
    if (FAILED(hr)) return hr;
    hr = object->AttachModel(std::move(record));
    if (SUCCEEDED(hr)) hr = object->QueryInterface(IID_ISComment, reinterpret_cast<void**>(comment));
    if (FAILED(hr)) delete object;
    return hr;
}
