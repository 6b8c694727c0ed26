#include "model/CommentResponse.h"

#include <exception>

namespace lumocommentaryservice_nexa_api {

namespace {

using lumo_json::Value;

int32_t readInt32(const Value& root, const char16_t* name)
{
    int32_t value = 0;
    lumo_json::getInt32(root, name, value);
    return value;
}

SWCharString readString(const Value& root, const char16_t* name)
{
    std::u16string text;
    lumo_json::getString(root, name, text);
    return SWCharString(std::move(text));
}

}  // namespace

CommentResponse::~CommentResponse() = default;

// ---- DefaultCommentResponse

DefaultCommentResponse::DefaultCommentResponse() = default;

DefaultCommentResponse::DefaultCommentResponse(int32_t statusCode, SWCharString description, int32_t responseType)
    : m_statusCode(statusCode), m_description(std::move(description)), m_responseType(responseType)
{
}

DefaultCommentResponse::DefaultCommentResponse(const SWCharString& json)
    : DefaultCommentResponse(static_cast<const Value&>(lumo_json::parse(json.c_str())))
{
}

DefaultCommentResponse::DefaultCommentResponse(const Value& root)
    : m_statusCode(readInt32(root, u"statusCode")),
      m_description(readString(root, u"description")),
      m_responseType(readInt32(root, u"responseType"))
{
}

DefaultCommentResponse::~DefaultCommentResponse() = default;

int32_t DefaultCommentResponse::getStatusCode() const { return m_statusCode; }
SWCharString DefaultCommentResponse::getDescription() const { return m_description; }
int32_t DefaultCommentResponse::getResponseType() const { return m_responseType; }

SWCharString DefaultCommentResponse::toJSON() const
{
    lumo_json::Document document;
    document.SetObject();
    lumo_json::Allocator& allocator = document.GetAllocator();
    const std::u16string& description = m_description.str();
    document.AddMember(Value(rapidjson::StringRef(u"statusCode")), Value(m_statusCode), allocator);
    document.AddMember(Value(rapidjson::StringRef(u"description")),
                       Value(description.data(), static_cast<rapidjson::SizeType>(description.size()), allocator),
                       allocator);
    document.AddMember(Value(rapidjson::StringRef(u"responseType")), Value(m_responseType), allocator);
    return SWCharString(lumo_json::write(document));
}

// ---- SuccessResponse and ErrorResponse

SuccessResponse::SuccessResponse(int32_t responseType) : DefaultCommentResponse(0, u"success", responseType) {}
SuccessResponse::SuccessResponse(const SWCharString& json) : DefaultCommentResponse(json) {}
SuccessResponse::SuccessResponse(const Value& root) : DefaultCommentResponse(root) {}

ErrorResponse::ErrorResponse(int32_t statusCode, SWCharString description)
    : DefaultCommentResponse(statusCode, std::move(description), response_type::kError)
{
}

ErrorResponse::ErrorResponse(const SWCharString& json) : ErrorResponse(lumo_json::parse(json.c_str())) {}

ErrorResponse::ErrorResponse(const lumo_json::Document& document)
    : DefaultCommentResponse(static_cast<const Value&>(document)), m_errorCode(readString(document, u"errorCode"))
{
}

SWCharString ErrorResponse::getErrorCode() const { return m_errorCode; }

// ---- GetCommentSuccessResponse

GetCommentSuccessResponse::GetCommentSuccessResponse(const SWCharString& json)
    : GetCommentSuccessResponse(lumo_json::parse(json.c_str()))
{
}

GetCommentSuccessResponse::GetCommentSuccessResponse(const lumo_json::Document& document)
    : SuccessResponse(static_cast<const Value&>(document))
{
    readComments(document);
}

void GetCommentSuccessResponse::readComments(const Value& root)
{
    const Value* comments = lumo_json::findMember(root, u"comments");
    if (!comments || !comments->IsArray()) return;
    try {
        m_comments.reserve(comments->Size());
    } catch (const std::exception&) {
        // Not fatal: the list then grows element by element.
    }
    for (const Value& element : comments->GetArray()) {
        if (!element.IsObject()) continue;
        // An element that cannot be made into a comment (out of memory) is
        // skipped; the others stay.
        try {
            auto comment = std::make_shared<Comment>();
            comment->fromJSON(element);
            m_comments.push_back(std::move(comment));
        } catch (const std::exception&) {
        }
    }
}

SWCharString GetCommentSuccessResponse::toJSON() const { return SWCharString(); }

std::shared_ptr<Comment> GetCommentSuccessResponse::getComment(std::size_t index) const
{
    return index < m_comments.size() ? m_comments[index] : nullptr;
}

// ---- The success responses without members of their own

AddCommentSuccessResponse::AddCommentSuccessResponse() : SuccessResponse(response_type::kAddSuccess) {}
AddCommentSuccessResponse::AddCommentSuccessResponse(const SWCharString& json) : SuccessResponse(json) {}
ModifyCommentSuccessResponse::ModifyCommentSuccessResponse() : SuccessResponse(response_type::kModifySuccess) {}
ModifyCommentSuccessResponse::ModifyCommentSuccessResponse(const SWCharString& json) : SuccessResponse(json) {}
DeleteCommentSuccessResponse::DeleteCommentSuccessResponse() : SuccessResponse(response_type::kDeleteSuccess) {}
DeleteCommentSuccessResponse::DeleteCommentSuccessResponse(const SWCharString& json) : SuccessResponse(json) {}
HideCommentSuccessResponse::HideCommentSuccessResponse() : SuccessResponse(response_type::kHideSuccess) {}
HideCommentSuccessResponse::HideCommentSuccessResponse(const SWCharString& json) : SuccessResponse(json) {}
DuplicateCommentSuccessResponse::DuplicateCommentSuccessResponse()
    : SuccessResponse(response_type::kDuplicateSuccess)
{
}
DuplicateCommentSuccessResponse::DuplicateCommentSuccessResponse(const SWCharString& json) : SuccessResponse(json) {}

}  // namespace lumocommentaryservice_nexa_api
