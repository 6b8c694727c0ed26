// The answers of the remote commentary service, each read from one JSON text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/Comment.h"
#include "model/JsonSupport.h"
#include "model/ResponseReader.h"
#include "platform/foundation/SString.h"

namespace lumocommentaryservice_nexa_api {

// Response type numbers, read from "responseType" (the automation enumeration
// CommentResponseType has the same numbers).
namespace response_type {
constexpr int32_t kInvalid = 0;
constexpr int32_t kAddSuccess = 1;
constexpr int32_t kGetSuccess = 2;
constexpr int32_t kModifySuccess = 3;
constexpr int32_t kDeleteSuccess = 4;
constexpr int32_t kError = 5;
constexpr int32_t kTestConnectionSuccess = 6;  // no model response
constexpr int32_t kHideSuccess = 7;
constexpr int32_t kDuplicateSuccess = 8;
}  // namespace response_type

// The abstract response.  The order of the virtual operations is part of the
// interface: destructor, getStatusCode, getDescription, getResponseType, toJSON.
class CommentResponse {
public:
    virtual ~CommentResponse();
    virtual int32_t getStatusCode() const = 0;
    virtual SWCharString getDescription() const = 0;
    virtual int32_t getResponseType() const = 0;
    virtual SWCharString toJSON() const = 0;
};

// Status code, description and response type.
//
// Reading a text (NUL-terminated; null is no text, and an SWCharString gives
// its text): "statusCode" and "responseType" as 32-bit integers,
// "description" as a string; the first member of a name counts.  A text that
// does not parse, and a root that is not an object, leave every member absent.
// The text is read where it lies, never copied.
// Design decision: a member that is absent, null or of another JSON type (a
// string status, a number with a fraction or exponent, a number outside 32
// bits, a number description) counts as absent: 0 for the numbers, the empty
// text for the description.  The type comes from the text: a typed response
// does not force its own number.
class DefaultCommentResponse : public CommentResponse {
public:
    DefaultCommentResponse();
    DefaultCommentResponse(int32_t statusCode, SWCharString description, int32_t responseType);
    explicit DefaultCommentResponse(const char16_t* json);
    ~DefaultCommentResponse() override;

    int32_t getStatusCode() const override;
    SWCharString getDescription() const override;
    int32_t getResponseType() const override;
    // {"statusCode":…,"description":…,"responseType":…}, compact.
    SWCharString toJSON() const override;

protected:
    // Takes the common members of a text already read (ResponseReader).
    // Design decision: each text is read once, in one pass that also reads
    // the members of the subclass; reading is deterministic, so this reads the
    // same as reading the text again for those members.
    explicit DefaultCommentResponse(ResponseMembers& members);

private:
    int32_t m_statusCode = 0;
    SWCharString m_description;
    int32_t m_responseType = 0;
};

class SuccessResponse : public DefaultCommentResponse {
public:
    // Status 0, description "success" and the given type.
    explicit SuccessResponse(int32_t responseType);
    explicit SuccessResponse(const char16_t* json);

protected:
    explicit SuccessResponse(ResponseMembers& members);
};

class ErrorResponse : public DefaultCommentResponse {
public:
    // Type 5 and an empty error code.
    ErrorResponse(int32_t statusCode, SWCharString description);
    // Also reads "errorCode" as a string (absent, null or another type: empty).
    explicit ErrorResponse(const char16_t* json);

    SWCharString getErrorCode() const;

private:
    explicit ErrorResponse(ResponseMembers&& members);
    SWCharString m_errorCode;
};

class AddCommentSuccessResponse : public SuccessResponse {
public:
    AddCommentSuccessResponse();
    explicit AddCommentSuccessResponse(const char16_t* json);
};

// The comments of a get response, in the order of the "comments" array.
//
// Design decision (ownership): the response holds each comment through a
// std::shared_ptr.  The
// comment at an index is handed out as another shared pointer to the same
// record, so a change made through it changes the response's comment, and the
// comment stays alive for as long as anyone holds it, also after the response
// is gone.  A copy of the response shares its comments with the original.
//
// Reading: every element of "comments" that is an object becomes a comment
// filled by the rules of Comment::fromJSON (absent members keep the
// defaults), read straight from the text into its record (ResponseReader).
// Design decision: a "comments" member that is not an array gives no
// comments, and an element that is not an object is skipped like an element
// whose allocation fails.
class GetCommentSuccessResponse : public SuccessResponse {
public:
    explicit GetCommentSuccessResponse(const char16_t* json);

    // Always the empty text, whatever the response holds.
    SWCharString toJSON() const override;

    std::size_t getCommentCount() const { return m_comments.size(); }
    // The comment at a zero-based index; null for an index out of range (a
    // negative index converted to std::size_t is out of range too).
    std::shared_ptr<Comment> getComment(std::size_t index) const;
    const std::vector<std::shared_ptr<Comment>>& getComments() const { return m_comments; }

private:
    explicit GetCommentSuccessResponse(ResponseMembers&& members);

    std::vector<std::shared_ptr<Comment>> m_comments;
};

class ModifyCommentSuccessResponse : public SuccessResponse {
public:
    ModifyCommentSuccessResponse();
    explicit ModifyCommentSuccessResponse(const char16_t* json);
};

class DeleteCommentSuccessResponse : public SuccessResponse {
public:
    DeleteCommentSuccessResponse();
    explicit DeleteCommentSuccessResponse(const char16_t* json);
};

class HideCommentSuccessResponse : public SuccessResponse {
public:
    HideCommentSuccessResponse();
    explicit HideCommentSuccessResponse(const char16_t* json);
};

class DuplicateCommentSuccessResponse : public SuccessResponse {
public:
    DuplicateCommentSuccessResponse();
    explicit DuplicateCommentSuccessResponse(const char16_t* json);
};

}  // namespace lumocommentaryservice_nexa_api
