#include "com/CComGetCommentRequest.h"

#include "com/CComCommentQualifier.h"
#include "com/CComSortParams.h"
#include "platform/com/ScopedBstr.h"

namespace {

HRESULT ReportGetRequestFailure(uint32_t messageNumber, HRESULT hr) noexcept
{
    return SComReportFailure(CLSID_GetCommentRequest, IID_ISGetCommentRequest, messageNumber, hr);
}

// Hands out a new object of class View attached to the record at index, with
// the caller's only reference.
// Design decision: an index outside 0 .. count-1 gives DISP_E_BADINDEX (the
// result pointer cleared, the failure reported) and creates no object.  A
// null result pointer with a valid index leaves nothing to hand out to: S_OK,
// and no object is made.
template <class View, class ViewInterface, class Record>
HRESULT HandOutView(const std::vector<std::shared_ptr<Record>>& list, int index, REFIID riid,
                    ViewInterface** result) noexcept
{
    if (index < 0 || static_cast<size_t>(index) >= list.size()) {
        if (result) *result = nullptr;
        return ReportGetRequestFailure(lumo_messages::kIndexOutOfRange, DISP_E_BADINDEX);
    }
    if (!result) return S_OK;
    *result = nullptr;
    CComObject<View>* view = nullptr;
    HRESULT hr = CComObject<View>::CreateInstance(&view);
    if (FAILED(hr)) return hr;
    hr = view->AttachModel(list[static_cast<size_t>(index)]);
    if (SUCCEEDED(hr)) hr = view->QueryInterface(riid, reinterpret_cast<void**>(result));
    if (FAILED(hr)) delete view;
    return hr;
}

// The size of a list as the interface reports it.
template <class Record>
HRESULT WriteCount(const std::vector<std::shared_ptr<Record>>& list, int* count) noexcept
{
    if (!count) return ReportGetRequestFailure(lumo_messages::kInvalidPointer, E_POINTER);
    *count = static_cast<int>(list.size());
    return S_OK;
}

}  // namespace

CComGetCommentRequest::CComGetCommentRequest() = default;

CComGetCommentRequest::~CComGetCommentRequest() = default;

// Design decision: the two Add methods refuse a null object with E_POINTER
// (reported) and leave the list unchanged; a sort parameter or qualifier of another
// implementation is read through its interface like one of ours.  The values
// are preset to 0 (and the empty text), which stays when a getter fails: its
// result is not examined.

STDMETHODIMP CComGetCommentRequest::AddSortParam(ISSortParam* SortParam) noexcept
try {
    SCOM_METHOD("CComGetCommentRequest::AddSortParam");
    if (!SortParam) return ReportFailure(lumo_messages::kNullArgument, E_POINTER);
    SortAttributeType attribute = SORTATTRIBUTE_LASTMODIFIEDTIME;
    SortOrderType order = SORTORDER_ASCENDING;
    SortParam->get_SortAttribute(&attribute);
    SortParam->get_SortOrder(&order);
    m_sortParamList.push_back(std::make_shared<SortParamRecord>(attribute, order));
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

STDMETHODIMP CComGetCommentRequest::AddCommentQualifier(ISCommentQualifier* commentQf) noexcept
try {
    SCOM_METHOD("CComGetCommentRequest::AddCommentQualifier");
    if (!commentQf) return ReportFailure(lumo_messages::kNullArgument, E_POINTER);
    CommentQualifierAttributeType attribute = COMMENTQUALIFIERATTRIBUTE_TOP;
    ScopedBstr value;
    commentQf->get_CommentQualifierAttribute(&attribute);
    commentQf->get_CommentQualifierValue(value.Receive());
    m_qualifierList.push_back(std::make_shared<QualifierRecord>(attribute, SComBstrText(value.Get())));
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

STDMETHODIMP CComGetCommentRequest::GetSortParam(int index, ISSortParam** SortParam) noexcept
try {
    SCOM_METHOD("CComGetCommentRequest::GetSortParam");
    const HRESULT hr = HandOutView<CComSortParam>(m_sortParamList, index, IID_ISSortParam, SortParam);
    if (FAILED(hr)) return hr;
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

STDMETHODIMP CComGetCommentRequest::GetCommentQualifier(int index, ISCommentQualifier** commentQf) noexcept
try {
    SCOM_METHOD("CComGetCommentRequest::GetCommentQualifier");
    const HRESULT hr = HandOutView<CComCommentQualifier>(m_qualifierList, index, IID_ISCommentQualifier, commentQf);
    if (FAILED(hr)) return hr;
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

// Design decision: the two counts return E_POINTER for a null result pointer,
// reported with a message of their own (they make no frame check).

STDMETHODIMP CComGetCommentRequest::get_SortParamCount(int* count) noexcept
try {
    SCOM_METHOD("CComGetCommentRequest::get_SortParamCount");
    const HRESULT hr = WriteCount(m_sortParamList, count);
    if (FAILED(hr)) return hr;
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

STDMETHODIMP CComGetCommentRequest::get_CommentQualifierCount(int* count) noexcept
try {
    SCOM_METHOD("CComGetCommentRequest::get_CommentQualifierCount");
    const HRESULT hr = WriteCount(m_qualifierList, count);
    if (FAILED(hr)) return hr;
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL
