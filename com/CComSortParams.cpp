#include "com/CComSortParams.h"

static constexpr char kTraceArea[] = "CComSortParams";

CComSortParam::CComSortParam()
{
    SetObjectLocale(kDefaultObjectLocale);
    // Design decision: a new sort parameter starts with attribute 0
    // (SORTATTRIBUTE_LASTMODIFIEDTIME) and order 0 (SORTORDER_ASCENDING), the
    // first name of each enumeration.
    m_pSortParam = std::make_shared<Record>(0, 0);
}

CComSortParam::~CComSortParam() = default;

HRESULT CComSortParam::AttachModel(std::shared_ptr<Record> record) noexcept
{
    if (!record) return E_POINTER;
    m_pSortParam = std::move(record);
    return S_OK;
}

// Values outside the enumerations are stored and returned unchanged.

STDMETHODIMP CComSortParam::put_SortAttribute(SortAttributeType newVal) noexcept
try {
    SCOM_METHOD("CComSortParam::put_SortAttribute");
    m_pSortParam->setAttribute(static_cast<int32_t>(newVal));
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

STDMETHODIMP CComSortParam::get_SortAttribute(SortAttributeType* sortAttr) noexcept
try {
    SCOM_METHOD("CComSortParam::get_SortAttribute");
    SCOM_CHECK_OUT(sortAttr, "sortAttr");
    *sortAttr = static_cast<SortAttributeType>(m_pSortParam->getAttribute());
    SCOM_RETURN_VALUE(static_cast<int>(*sortAttr));
}
SCOM_CATCH_ALL

STDMETHODIMP CComSortParam::put_SortOrder(SortOrderType newVal) noexcept
try {
    SCOM_METHOD("CComSortParam::put_SortOrder");
    m_pSortParam->setOrder(static_cast<int32_t>(newVal));
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

STDMETHODIMP CComSortParam::get_SortOrder(SortOrderType* sortOrd) noexcept
try {
    SCOM_METHOD("CComSortParam::get_SortOrder");
    SCOM_CHECK_OUT(sortOrd, "sortOrd");
    *sortOrd = static_cast<SortOrderType>(m_pSortParam->getOrder());
    SCOM_RETURN_VALUE(static_cast<int>(*sortOrd));
}
SCOM_CATCH_ALL
