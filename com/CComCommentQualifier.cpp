#include "com/CComCommentQualifier.h"

static constexpr char kTraceArea[] = "CComCommentQualifier";

CComCommentQualifier::CComCommentQualifier()
{
    SetObjectLocale(kDefaultObjectLocale);
    // Design decision: a new qualifier starts with attribute 0
    // (COMMENTQUALIFIERATTRIBUTE_TOP) and an empty value.
    m_pQualifier = std::make_shared<Record>(0, SWCharString());
}

CComCommentQualifier::~CComCommentQualifier() = default;

HRESULT CComCommentQualifier::AttachModel(std::shared_ptr<Record> record) noexcept
{
    if (!record) return E_POINTER;
    m_pQualifier = std::move(record);
    return S_OK;
}

STDMETHODIMP CComCommentQualifier::put_CommentQualifierAttribute(CommentQualifierAttributeType newVal) noexcept
try {
    SCOM_METHOD("CComCommentQualifier::put_CommentQualifierAttribute");
    m_pQualifier->setAttribute(static_cast<int32_t>(newVal));
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

STDMETHODIMP CComCommentQualifier::get_CommentQualifierAttribute(CommentQualifierAttributeType* commentQf) noexcept
try {
    SCOM_METHOD("CComCommentQualifier::get_CommentQualifierAttribute");
    SCOM_CHECK_OUT(commentQf, "cq");
    *commentQf = static_cast<CommentQualifierAttributeType>(m_pQualifier->getAttribute());
    SCOM_RETURN_VALUE(static_cast<int>(*commentQf));
}
SCOM_CATCH_ALL

STDMETHODIMP CComCommentQualifier::put_CommentQualifierValue(BSTR newVal) noexcept
try {
    SCOM_METHOD("CComCommentQualifier::put_CommentQualifierValue");
    m_pQualifier->setValue(SComBstrText(newVal));
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

STDMETHODIMP CComCommentQualifier::get_CommentQualifierValue(BSTR* value) noexcept
try {
    SCOM_METHOD("CComCommentQualifier::get_CommentQualifierValue");
    SCOM_CHECK_OUT(value, "value");
    SCOM_STORE_BSTR(value, m_pQualifier->getValue());
    SCOM_RETURN_VALUE(static_cast<const char16_t*>(*value));
}
SCOM_CATCH_ALL
