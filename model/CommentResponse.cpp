#include "model/CommentResponse.h"

#include <utility>

namespace lumocommentaryservice_nexa_api {

using lumo_json::Value;

CommentResponse::~CommentResponse() = default;

// ---- DefaultCommentResponse

DefaultCommentResponse::DefaultCommentResponse() = default;

DefaultCommentResponse::DefaultCommentResponse(int32_t statusCode, SWCharString description, int32_t responseType)
    : m_statusCode(statusCode), m_description(std::move(description)), m_responseType(responseType)
{
}

DefaultCommentResponse::DefaultCommentResponse(const char16_t* json)
{
    ResponseMembers members = ResponseReader::read(json, ResponseReader::kCommonOnly);
    m_statusCode = members.statusCode;
    m_description = SWCharString(std::move(members.description));
    m_responseType = members.responseType;
}

DefaultCommentResponse::DefaultCommentResponse(ResponseMembers& members)
    : m_statusCode(members.statusCode),
      m_description(std::move(members.description)),
      m_responseType(members.responseType)
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
SuccessResponse::SuccessResponse(const char16_t* json) : DefaultCommentResponse(json) {}
SuccessResponse::SuccessResponse(ResponseMembers& members) : DefaultCommentResponse(members) {}

ErrorResponse::ErrorResponse(int32_t statusCode, SWCharString description)
    : DefaultCommentResponse(statusCode, std::move(description), response_type::kError)
{
}

ErrorResponse::ErrorResponse(const char16_t* json)
    : ErrorResponse(ResponseReader::read(json, ResponseReader::kErrorCode))
{
}

ErrorResponse::ErrorResponse(ResponseMembers&& members)
    : DefaultCommentResponse(members), m_errorCode(std::move(members.errorCode))
{
}

SWCharString ErrorResponse::getErrorCode() const { return m_errorCode; }

// ---- GetCommentSuccessResponse

GetCommentSuccessResponse::GetCommentSuccessResponse(const char16_t* json)
    : GetCommentSuccessResponse(ResponseReader::read(json, ResponseReader::kComments))
{
}

GetCommentSuccessResponse::GetCommentSuccessResponse(ResponseMembers&& members)
    : SuccessResponse(members), m_comments(std::move(members.comments))
{
}

SWCharString GetCommentSuccessResponse::toJSON() const { return SWCharString(); }

std::shared_ptr<Comment> GetCommentSuccessResponse::getComment(std::size_t index) const
{
    return index < m_comments.size() ? m_comments[index] : nullptr;
}

// ---- The success responses without members of their own

AddCommentSuccessResponse::AddCommentSuccessResponse() : SuccessResponse(response_type::kAddSuccess) {}
AddCommentSuccessResponse::AddCommentSuccessResponse(const char16_t* json) : SuccessResponse(json) {}
ModifyCommentSuccessResponse::ModifyCommentSuccessResponse() : SuccessResponse(response_type::kModifySuccess) {}
ModifyCommentSuccessResponse::ModifyCommentSuccessResponse(const char16_t* json) : SuccessResponse(json) {}
DeleteCommentSuccessResponse::DeleteCommentSuccessResponse() : SuccessResponse(response_type::kDeleteSuccess) {}
DeleteCommentSuccessResponse::DeleteCommentSuccessResponse(const char16_t* json) : SuccessResponse(json) {}
HideCommentSuccessResponse::HideCommentSuccessResponse() : SuccessResponse(response_type::kHideSuccess) {}
HideCommentSuccessResponse::HideCommentSuccessResponse(const char16_t* json) : SuccessResponse(json) {}
DuplicateCommentSuccessResponse::DuplicateCommentSuccessResponse()
    : SuccessResponse(response_type::kDuplicateSuccess)
{
}
DuplicateCommentSuccessResponse::DuplicateCommentSuccessResponse(const char16_t* json) : SuccessResponse(json) {}

}  // namespace lumocommentaryservice_nexa_api
