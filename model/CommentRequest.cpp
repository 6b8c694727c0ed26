#include "model/CommentRequest.h"

#include "platform/foundation/STrace.h"

namespace lumocommentaryservice_nexa_api {

namespace {

using lumo_json::Allocator;
using lumo_json::Document;
using lumo_json::Value;

// The trace area of the model's validation lines.
constexpr const char* kTraceArea = "LumoCommentaryService_Nexa_API";

bool failValidation(const char* message)
{
    S_TRACE_ERROR(kTraceArea, 0, message);
    return false;
}

Value text(const SWCharString& s, Allocator& allocator)
{
    return Value(s.str().data(), static_cast<rapidjson::SizeType>(s.length()), allocator);
}

Value key(const char16_t* name) { return Value(rapidjson::StringRef(name)); }

Value sortParamObject(const SortParamRecord& record, Allocator& allocator)
{
    Value object(rapidjson::kObjectType);
    object.AddMember(key(u"sortattribute"), Value(record.getAttribute()), allocator);
    object.AddMember(key(u"sortorder"), Value(record.getOrder()), allocator);
    return object;
}

Value qualifierObject(const CommentQualifierRecord& record, Allocator& allocator)
{
    Value object(rapidjson::kObjectType);
    object.AddMember(key(u"qualifierattribute"), Value(record.getAttribute()), allocator);
    object.AddMember(key(u"qualifiervalue"), text(record.getValue(), allocator), allocator);
    return object;
}

// The comment fields whose being set gives a modify request something to change.
bool hasModifiableContent(const Comment& c)
{
    const SWCharString fields[] = {c.getText(),       c.getLogicalReportId(), c.getContextCommon(), c.getAppName(),
                                   c.getAppContext(), c.getAppDatapath(),     c.getOptionKey1(),    c.getOptionKey2(),
                                   c.getOptionKey3(), c.getOptionKey4()};
    for (const SWCharString& field : fields)
        if (!field.isEmpty()) return true;
    return false;
}

}  // namespace

CommentRequest::~CommentRequest() = default;

// ---- DefaultCommentRequest

DefaultCommentRequest::DefaultCommentRequest() = default;
DefaultCommentRequest::DefaultCommentRequest(Comment comment) : m_comment(std::move(comment)) {}
DefaultCommentRequest::~DefaultCommentRequest() = default;

SWCharString DefaultCommentRequest::toJSON() const
{
    Document document;
    document.SetObject();
    addJSONMembers(document);
    return SWCharString(lumo_json::write(document));
}

Comment* DefaultCommentRequest::getComment() { return &m_comment; }
int32_t DefaultCommentRequest::getRequestType() const { return request_type::kInvalid; }
void DefaultCommentRequest::setLogonToken(SWCharString token) { m_logonToken = std::move(token); }
SWCharString DefaultCommentRequest::getLogonToken() const { return m_logonToken; }

void DefaultCommentRequest::addJSONMembers(Document& document) const
{
    if (!document.IsObject()) return;
    Allocator& allocator = document.GetAllocator();
    document.AddMember(key(u"requestType"), Value(getRequestType()), allocator);
    document.AddMember(key(u"logonToken"), text(getLogonToken(), allocator), allocator);
    m_comment.addToDocument(document);
}

bool DefaultCommentRequest::isValidComment() const { return false; }

// ---- AddCommentRequest

AddCommentRequest::AddCommentRequest() = default;
AddCommentRequest::AddCommentRequest(Comment comment) : DefaultCommentRequest(std::move(comment)) {}
int32_t AddCommentRequest::getRequestType() const { return request_type::kAdd; }

bool AddCommentRequest::isValidComment() const
{
    if (comment().getText().isEmpty() || comment().getSourceCUID().isEmpty())
        return failValidation("AddCommentRequest::isValidComment: Comment Text and Source ID cannot be null");
    return true;
}

// ---- GetCommentRequest

GetCommentRequest::GetCommentRequest() = default;
GetCommentRequest::GetCommentRequest(Comment comment) : DefaultCommentRequest(std::move(comment)) {}
int32_t GetCommentRequest::getRequestType() const { return request_type::kGet; }

void GetCommentRequest::addJSONMembers(Document& document) const
{
    if (!document.IsObject()) return;
    DefaultCommentRequest::addJSONMembers(document);
    Allocator& allocator = document.GetAllocator();
    Value sortParams(rapidjson::kArrayType);
    for (const SortParamRecord& record : m_sortParamList)
        sortParams.PushBack(sortParamObject(record, allocator), allocator);
    Value qualifiers(rapidjson::kArrayType);
    for (const CommentQualifierRecord& record : m_qualifierList)
        qualifiers.PushBack(qualifierObject(record, allocator), allocator);
    document.AddMember(key(u"sortparams"), sortParams, allocator);
    document.AddMember(key(u"qualifiers"), qualifiers, allocator);
}

bool GetCommentRequest::isValidComment() const
{
    if (comment().getSourceCUID().isEmpty())
        return failValidation("GetCommentRequest::isValidComment: Source ID cannot be null");
    return true;
}

// ---- ModifyCommentRequest

ModifyCommentRequest::ModifyCommentRequest() = default;
ModifyCommentRequest::ModifyCommentRequest(Comment comment) : DefaultCommentRequest(std::move(comment)) {}
int32_t ModifyCommentRequest::getRequestType() const { return request_type::kModify; }

bool ModifyCommentRequest::isValidComment() const
{
    if (comment().getSourceCUID().isEmpty() || comment().getCommentId() == -1 || !hasModifiableContent(comment()))
        return failValidation(
            "ModifyCommentRequest::isValidComment: Comment ID cannot be invalid and Source ID cannot be null");
    return true;
}

// ---- DeleteCommentRequest

DeleteCommentRequest::DeleteCommentRequest() = default;
DeleteCommentRequest::DeleteCommentRequest(Comment comment) : DefaultCommentRequest(std::move(comment)) {}
int32_t DeleteCommentRequest::getRequestType() const { return request_type::kDelete; }

bool DeleteCommentRequest::isValidComment() const
{
    if (comment().getCommentId() == -1 || comment().getSourceCUID().isEmpty())
        return failValidation(
            "DeleteCommentRequest::isValidComment: Comment ID cannot be invalid and Source ID cannot be null");
    return true;
}

// ---- HideCommentRequest

HideCommentRequest::HideCommentRequest() = default;

HideCommentRequest::HideCommentRequest(Comment comment, const SIntArray& ids)
    : DefaultCommentRequest(std::move(comment)), m_commentIdList(ids)
{
    const int32_t ownId = this->comment().getCommentId();
    if (ownId != -1) m_commentIdList.append(ownId);
}

int32_t HideCommentRequest::getRequestType() const { return request_type::kHide; }

void HideCommentRequest::addJSONMembers(Document& document) const
{
    if (!document.IsObject()) return;
    DefaultCommentRequest::addJSONMembers(document);
    Allocator& allocator = document.GetAllocator();
    Value ids(rapidjson::kArrayType);
    for (const int32_t id : m_commentIdList) ids.PushBack(Value(id), allocator);
    document.AddMember(key(u"CommentIds"), ids, allocator);
}

bool HideCommentRequest::isValidComment() const
{
    if (comment().getSourceCUID().isEmpty())
        return failValidation("HideCommentRequest::isValidComment: Source ID cannot be null");
    return true;
}

// ---- DuplicateCommentRequest

DuplicateCommentRequest::DuplicateCommentRequest() = default;

DuplicateCommentRequest::DuplicateCommentRequest(Comment comment, SWCharString targetDocCuid)
    : DefaultCommentRequest(std::move(comment)), m_targetDocCuid(std::move(targetDocCuid))
{
}

int32_t DuplicateCommentRequest::getRequestType() const { return request_type::kDuplicate; }

void DuplicateCommentRequest::addJSONMembers(Document& document) const
{
    if (!document.IsObject()) return;
    DefaultCommentRequest::addJSONMembers(document);
    Allocator& allocator = document.GetAllocator();
    document.AddMember(key(u"targetDocCuid"), text(m_targetDocCuid, allocator), allocator);
}

bool DuplicateCommentRequest::isValidComment() const
{
    if (comment().getSourceCUID().isEmpty() || m_targetDocCuid.isEmpty())
        return failValidation("DuplicateCommentRequest::isValidComment: Source ID or targetDocCUID cannot be null");
    return true;
}

}  // namespace lumocommentaryservice_nexa_api
