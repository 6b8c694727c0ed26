// The requests sent to the remote commentary service: one per operation, each
// written as one JSON text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/Comment.h"
#include "model/JsonSupport.h"
#include "platform/foundation/SIArray.h"
#include "platform/foundation/SString.h"

namespace lumocommentaryservice_nexa_api {

// Request kind numbers, written as "requestType" (the automation enumeration
// CommentRequestType has the same numbers).
namespace request_type {
constexpr int32_t kInvalid = 0;
constexpr int32_t kAdd = 1;
constexpr int32_t kGet = 2;
constexpr int32_t kModify = 3;
constexpr int32_t kDelete = 4;
constexpr int32_t kTestConnection = 5;  // no model request
constexpr int32_t kHide = 6;
constexpr int32_t kDuplicate = 7;
}  // namespace request_type

// The abstract request.  The order of the virtual operations is part of the
// interface: destructor, toJSON, getComment, getRequestType, setLogonToken,
// getLogonToken (then addJSONMembers and isValidComment in
// DefaultCommentRequest).
// Design decision: all five are pure here; every request is at least a
// DefaultCommentRequest, which implements them.
class CommentRequest {
public:
    virtual ~CommentRequest();
    // The request as one compact JSON text.
    virtual SWCharString toJSON() const = 0;
    // The request's own comment (not a copy; the request keeps it).
    virtual Comment* getComment() = 0;
    virtual int32_t getRequestType() const = 0;
    virtual void setLogonToken(SWCharString token) = 0;
    virtual SWCharString getLogonToken() const = 0;
};

// The common part of every request: logon token and comment.  As a request
// of its own it has kind 0 and is never valid.
class DefaultCommentRequest : public CommentRequest {
public:
    DefaultCommentRequest();
    explicit DefaultCommentRequest(Comment comment);
    ~DefaultCommentRequest() override;

    SWCharString toJSON() const override;
    Comment* getComment() override;
    int32_t getRequestType() const override;
    void setLogonToken(SWCharString token) override;
    SWCharString getLogonToken() const override;

    // Adds "requestType", "logonToken" and "comment" to a document whose
    // root is an object; the kinds with more to say add it after these.
    virtual void addJSONMembers(lumo_json::Document& document) const;
    // True when the request may be sent.  A kind's rule that fails writes one
    // level-0 trace line (area "LumoCommentaryService_Nexa_API").
    virtual bool isValidComment() const;

protected:
    const Comment& comment() const { return m_comment; }

private:
    SWCharString m_logonToken;
    Comment m_comment;
};

class AddCommentRequest : public DefaultCommentRequest {
public:
    AddCommentRequest();
    explicit AddCommentRequest(Comment comment);
    int32_t getRequestType() const override;
    bool isValidComment() const override;
};

// One sort parameter of a get request: the attribute (0 last-modified time,
// 1 creation time) and the order (0 ascending, 1 descending).
class SortParamRecord {
public:
    // Design decision: a record made without values starts at 0, the first
    // value of each enumeration.
    explicit SortParamRecord(int32_t attribute = 0, int32_t order = 0) : m_attribute(attribute), m_order(order) {}
    int32_t getAttribute() const { return m_attribute; }
    void setAttribute(int32_t value) { m_attribute = value; }
    int32_t getOrder() const { return m_order; }
    void setOrder(int32_t value) { m_order = value; }

private:
    int32_t m_attribute;
    int32_t m_order;
};

// One qualifier of a get request: the attribute (0 "top") and its value.
class CommentQualifierRecord {
public:
    explicit CommentQualifierRecord(int32_t attribute = 0, SWCharString value = SWCharString())
        : m_attribute(attribute), m_value(std::move(value))
    {
    }
    int32_t getAttribute() const { return m_attribute; }
    void setAttribute(int32_t value) { m_attribute = value; }
    SWCharString getValue() const { return m_value; }
    void setValue(SWCharString value) { m_value = std::move(value); }

private:
    int32_t m_attribute;
    SWCharString m_value;
};

// Design decision: the get request owns its sort parameters and qualifiers by
// value; appending copies the record, and the lists live and die with the
// request.
class GetCommentRequest : public DefaultCommentRequest {
public:
    GetCommentRequest();
    explicit GetCommentRequest(Comment comment);
    int32_t getRequestType() const override;
    // Adds "sortparams" and "qualifiers" (both always present, in list order).
    void addJSONMembers(lumo_json::Document& document) const override;
    bool isValidComment() const override;

    void appendSortParam(const SortParamRecord& record) { m_sortParamList.push_back(record); }
    void appendQualifier(const CommentQualifierRecord& record) { m_qualifierList.push_back(record); }
    const std::vector<SortParamRecord>& getSortParamList() const { return m_sortParamList; }
    const std::vector<CommentQualifierRecord>& getQualifierList() const { return m_qualifierList; }

private:
    std::vector<SortParamRecord> m_sortParamList;
    std::vector<CommentQualifierRecord> m_qualifierList;
};

class ModifyCommentRequest : public DefaultCommentRequest {
public:
    ModifyCommentRequest();
    explicit ModifyCommentRequest(Comment comment);
    int32_t getRequestType() const override;
    bool isValidComment() const override;
};

class DeleteCommentRequest : public DefaultCommentRequest {
public:
    DeleteCommentRequest();
    explicit DeleteCommentRequest(Comment comment);
    int32_t getRequestType() const override;
    bool isValidComment() const override;
};

class HideCommentRequest : public DefaultCommentRequest {
public:
    HideCommentRequest();
    // Copies the ids in order, then appends the comment's own commentId
    // unless it is -1 (without looking for it among the ids).
    HideCommentRequest(Comment comment, const SIntArray& ids);
    int32_t getRequestType() const override;
    // Adds "CommentIds" (always present, in list order).
    void addJSONMembers(lumo_json::Document& document) const override;
    bool isValidComment() const override;

    const SIntArray& getCommentIdList() const { return m_commentIdList; }

private:
    SIntArray m_commentIdList;
};

class DuplicateCommentRequest : public DefaultCommentRequest {
public:
    DuplicateCommentRequest();
    DuplicateCommentRequest(Comment comment, SWCharString targetDocCuid);
    int32_t getRequestType() const override;
    // Adds "targetDocCuid" (always present, also when empty).
    void addJSONMembers(lumo_json::Document& document) const override;
    bool isValidComment() const override;

    SWCharString getTargetDocCuid() const { return m_targetDocCuid; }
    void setTargetDocCuid(SWCharString value) { m_targetDocCuid = std::move(value); }

private:
    SWCharString m_targetDocCuid;
};

}  // namespace lumocommentaryservice_nexa_api
