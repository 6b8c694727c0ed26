#include "com/CComComment.h"

#include "platform/foundation/SWCharStringConv.h"

static constexpr char kTraceArea[] = "CComComment";

CComComment::CComComment()
{
    SetObjectLocale(kDefaultObjectLocale);
    m_pComment = std::make_shared<Record>();
    LiveComments::Add(this);
}

CComComment::~CComComment() { LiveComments::Remove(this); }

HRESULT CComComment::AttachModel(std::shared_ptr<Record> record) noexcept
{
    if (!record) return E_POINTER;
    m_pComment = std::move(record);
    return S_OK;
}

// --- ISComment ------------------------------------------------------------

STDMETHODIMP CComComment::get_CommentId(LONG* cId) noexcept
try {
    SCOM_METHOD("CComCommentRequest::get_CommentId");
    SCOM_CHECK_OUT(cId, "cId");
    *cId = m_pComment->getCommentId();
    SCOM_RETURN_VALUE(static_cast<long>(*cId));
}
SCOM_CATCH_ALL

STDMETHODIMP CComComment::put_CommentId(LONG newVal) noexcept
try {
    SCOM_METHOD("CComCommentRequest::put_CommentId");
    m_pComment->setCommentId(newVal);
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

// The text properties: a put stores the BSTR's text (up to its first NUL, a
// null BSTR being empty); a get returns a new BSTR with a copy of the field.
#define COMMENT_TEXT_PROPERTY(Property, Field, pointerName)                                       \
    STDMETHODIMP CComComment::put_##Property(BSTR newVal) noexcept                                \
    try {                                                                                         \
        SCOM_METHOD("CComCommentRequest::put_" #Property);                                        \
        m_pComment->set##Field(SComBstrText(newVal));                                             \
        SCOM_RETURN_OK();                                                                         \
    }                                                                                             \
    SCOM_CATCH_ALL                                                                                \
    STDMETHODIMP CComComment::get_##Property(BSTR* pointerName) noexcept                          \
    try {                                                                                         \
        SCOM_METHOD("CComCommentRequest::get_" #Property);                                        \
        SCOM_CHECK_OUT(pointerName, #pointerName);                                                \
        SCOM_STORE_BSTR(pointerName, m_pComment->get##Field());                                   \
        SCOM_RETURN_VALUE(static_cast<const char16_t*>(*pointerName));                            \
    }                                                                                             \
    SCOM_CATCH_ALL

//                    property              model field           assertion name
COMMENT_TEXT_PROPERTY(SourceCUID,           SourceCUID,           srcCuid)
COMMENT_TEXT_PROPERTY(OwnerCUID,            OwnerCUID,            ownerCUID)
COMMENT_TEXT_PROPERTY(Text,                 Text,                 text)
COMMENT_TEXT_PROPERTY(UserName,             UserName,             userName)
COMMENT_TEXT_PROPERTY(LastModifiedUserCuid, LastModifiedUserCuid, cuid)
COMMENT_TEXT_PROPERTY(LastModifiedUserName, LastModifiedUserName, name)
COMMENT_TEXT_PROPERTY(ContextCommon,        ContextCommon,        ctxCommon)
COMMENT_TEXT_PROPERTY(AppName,              AppName,              appName)
COMMENT_TEXT_PROPERTY(AppContext,           AppContext,           appCtx)
COMMENT_TEXT_PROPERTY(AppDatapath,          AppDatapath,          path)
COMMENT_TEXT_PROPERTY(OptionKey1,           OptionKey1,           optKey)
COMMENT_TEXT_PROPERTY(OptionKey2,           OptionKey2,           optKey)
COMMENT_TEXT_PROPERTY(OptionKey3,           OptionKey3,           optKey)
COMMENT_TEXT_PROPERTY(OptionKey4,           OptionKey4,           optKey)
COMMENT_TEXT_PROPERTY(LogicalReportId,      LogicalReportId,      repId)

#undef COMMENT_TEXT_PROPERTY

// The timestamps as decimal text: a get renders the 64-bit count in radix 10
// ("-1" for no time); a put parses the text into a variable preset to -1 and
// stores it whatever the parse reported, so a text that is not a number
// stores -1.
#define COMMENT_TIMESTAMP_PROPERTY(Property, Field)                                               \
    STDMETHODIMP CComComment::put_##Property(BSTR newVal) noexcept                                \
    try {                                                                                         \
        SCOM_METHOD("CComCommentRequest::put_" #Property);                                        \
        int64_t count = -1;                                                                       \
        SWCharStringConv::FromString(newVal ? static_cast<const char16_t*>(newVal) : u"", count, 10); \
        m_pComment->set##Field(count);                                                            \
        SCOM_RETURN_OK();                                                                         \
    }                                                                                             \
    SCOM_CATCH_ALL                                                                                \
    STDMETHODIMP CComComment::get_##Property(BSTR* timestamp) noexcept                            \
    try {                                                                                         \
        SCOM_METHOD("CComCommentRequest::get_" #Property);                                        \
        SCOM_CHECK_OUT(timestamp, "timestamp");                                                   \
        SCOM_STORE_BSTR(timestamp, SWCharStringConv::ToString(m_pComment->get##Field(), 10));     \
        SCOM_RETURN_VALUE(static_cast<const char16_t*>(*timestamp));                              \
    }                                                                                             \
    SCOM_CATCH_ALL

COMMENT_TIMESTAMP_PROPERTY(CreationTimeStamp,     CreationTimestamp)
COMMENT_TIMESTAMP_PROPERTY(LastModifiedTimestamp, LastModifiedTimestamp)

#undef COMMENT_TIMESTAMP_PROPERTY

STDMETHODIMP CComComment::put_Hidden(VARIANT_BOOL newVal) noexcept
try {
    SCOM_METHOD("CComCommentRequest::put_Hidden");
    // Only VARIANT_TRUE (all 16 bits set) means hidden; 1 does not.
    m_pComment->setHidden(newVal == VARIANT_TRUE);
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

STDMETHODIMP CComComment::get_Hidden(VARIANT_BOOL* bHide) noexcept
try {
    SCOM_METHOD("CComCommentRequest::get_Hidden");
    SCOM_CHECK_OUT(bHide, "bHide");
    *bHide = m_pComment->getHidden() ? VARIANT_TRUE : VARIANT_FALSE;
    SCOM_RETURN_VALUE(static_cast<int>(*bHide));
}
SCOM_CATCH_ALL

STDMETHODIMP CComComment::ToJSON(BSTR* jsonString) noexcept
try {
    SCOM_METHOD("CComCommentRequest::ToJSON");
    SCOM_CHECK_OUT(jsonString, "jsonString");
    // {"comment":{...}}, written compactly.
    lumo_json::Document document;
    document.SetObject();
    m_pComment->addToDocument(document);
    SCOM_STORE_BSTR(jsonString, SWCharString(lumo_json::write(document)));
    SCOM_RETURN_VALUE(static_cast<const char16_t*>(*jsonString));
}
SCOM_CATCH_ALL

STDMETHODIMP CComComment::FromJSON(BSTR jsonString) noexcept
try {
    SCOM_METHOD("CComCommentRequest::FromJSON");
    // Members at the top level; absent members, text that does not parse and
    // a root that is not an object change nothing.
    m_pComment->fromJSON(SComBstrText(jsonString));
    SCOM_RETURN_OK();
}
SCOM_CATCH_ALL

STDMETHODIMP CComComment::get_CreationTimeStampAsString(BSTR* timestamp) noexcept
try {
    SCOM_METHOD("CComCommentRequest::get_CreationTimeStampAsString");
    SCOM_CHECK_OUT(timestamp, "timestamp");
    SCOM_STORE_BSTR(timestamp, Record::formatTimestamp(m_pComment->getCreationTimestamp()));
    SCOM_RETURN_VALUE(static_cast<const char16_t*>(*timestamp));
}
SCOM_CATCH_ALL

STDMETHODIMP CComComment::get_LastModifiedTimestampAsString(BSTR* timestamp) noexcept
try {
    SCOM_METHOD("CComCommentRequest::get_LastModifiedTimestampAsString");
    SCOM_CHECK_OUT(timestamp, "timestamp");
    SCOM_STORE_BSTR(timestamp, Record::formatTimestamp(m_pComment->getLastModifiedTimestamp()));
    SCOM_RETURN_VALUE(static_cast<const char16_t*>(*timestamp));
}
SCOM_CATCH_ALL
