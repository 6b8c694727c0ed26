// The model record of one comment attached to a report document, and its
// JSON object form.
#pragma once

#include <cstdint>
#include <utility>

#include "model/JsonSupport.h"
#include "platform/foundation/SString.h"

namespace lumocommentaryservice_nexa_api {

// One comment.  Strings are held by value; an empty string means "not set",
// a commentId of -1 "no number yet", a timestamp of -1 "no time".
// Design decision: timestamps count milliseconds since 1970-01-01 00:00:00
// UTC, the unit of the foundation's STimeSpan, so they pass into it unscaled.
class Comment {
public:
    Comment();
    Comment(const Comment&) = default;
    Comment& operator=(const Comment&) = default;
    Comment(Comment&&) = default;
    Comment& operator=(Comment&&) = default;
    virtual ~Comment();

    int32_t getCommentId() const { return m_commentId; }
    void setCommentId(int32_t value) { m_commentId = value; }
    SWCharString getSourceCUID() const { return m_sourceCUID; }
    void setSourceCUID(SWCharString value) { m_sourceCUID = std::move(value); }
    SWCharString getOwnerCUID() const { return m_ownerCUID; }
    void setOwnerCUID(SWCharString value) { m_ownerCUID = std::move(value); }
    SWCharString getText() const { return m_text; }
    void setText(SWCharString value) { m_text = std::move(value); }
    SWCharString getUserName() const { return m_userName; }
    void setUserName(SWCharString value) { m_userName = std::move(value); }
    SWCharString getLastModifiedUserCuid() const { return m_lastModifiedUserCuid; }
    void setLastModifiedUserCuid(SWCharString value) { m_lastModifiedUserCuid = std::move(value); }
    SWCharString getLastModifiedUserName() const { return m_lastModifiedUserName; }
    void setLastModifiedUserName(SWCharString value) { m_lastModifiedUserName = std::move(value); }
    int64_t getCreationTimestamp() const { return m_creationTimestamp; }
    void setCreationTimestamp(int64_t value) { m_creationTimestamp = value; }
    int64_t getLastModifiedTimestamp() const { return m_lastModifiedTimestamp; }
    void setLastModifiedTimestamp(int64_t value) { m_lastModifiedTimestamp = value; }
    SWCharString getLogicalReportId() const { return m_logicalReportId; }
    void setLogicalReportId(SWCharString value) { m_logicalReportId = std::move(value); }
    SWCharString getContextCommon() const { return m_contextCommon; }
    void setContextCommon(SWCharString value) { m_contextCommon = std::move(value); }
    SWCharString getAppName() const { return m_appName; }
    void setAppName(SWCharString value) { m_appName = std::move(value); }
    SWCharString getAppContext() const { return m_appContext; }
    void setAppContext(SWCharString value) { m_appContext = std::move(value); }
    SWCharString getAppDatapath() const { return m_appDatapath; }
    void setAppDatapath(SWCharString value) { m_appDatapath = std::move(value); }
    SWCharString getOptionKey1() const { return m_optionKey1; }
    void setOptionKey1(SWCharString value) { m_optionKey1 = std::move(value); }
    SWCharString getOptionKey2() const { return m_optionKey2; }
    void setOptionKey2(SWCharString value) { m_optionKey2 = std::move(value); }
    SWCharString getOptionKey3() const { return m_optionKey3; }
    void setOptionKey3(SWCharString value) { m_optionKey3 = std::move(value); }
    SWCharString getOptionKey4() const { return m_optionKey4; }
    void setOptionKey4(SWCharString value) { m_optionKey4 = std::move(value); }
    SWCharString getConnecXion() const { return m_connecXion; }
    void setConnecXion(SWCharString value) { m_connecXion = std::move(value); }
    bool getHidden() const { return m_hidden; }
    void setHidden(bool value) { m_hidden = value; }

    // Adds the comment's members to an object value, in the wire order:
    // the set strings and commentId (when not -1), then "hidden",
    // "lastmodifiedtimestamp" and "creationtimestamp" always.  Strings are
    // copied into the allocator's memory.  A value that is not an object is
    // left alone.
    void toJSON(lumo_json::Value& object, lumo_json::Allocator& allocator) const;

    // Adds the comment as the member "comment" of a document whose root is
    // an object (a document with any other root is left alone).
    void addToDocument(lumo_json::Document& document) const;

    // Overwrites the fields whose members are present in the object, the
    // first occurrence of a name counting; absent and null members leave
    // their fields alone (details in Comment.cpp).  Anything but an object
    // changes nothing.
    void fromJSON(const lumo_json::Value& object);

    // Parses the text and reads its root object as above.  Text that does
    // not parse, or whose root is not an object, changes nothing.
    void fromJSON(const SWCharString& json);

    // The count rendered as "MMM dd yyyy HH:mm:ss" in UTC, the count taken as
    // milliseconds from 1970-01-01 00:00:00 UTC, unscaled and unchecked
    // (-1 renders as "Dec 31 1969 23:59:59").
    static SWCharString formatTimestamp(int64_t timestamp);

private:
    // The member names, their order and the field behind each (Comment.cpp).
    struct JsonLayout;

    int32_t m_commentId = -1;
    SWCharString m_sourceCUID;
    SWCharString m_ownerCUID;
    SWCharString m_text;
    SWCharString m_userName;
    SWCharString m_lastModifiedUserCuid;
    SWCharString m_lastModifiedUserName;
    int64_t m_creationTimestamp = -1;
    int64_t m_lastModifiedTimestamp = -1;
    SWCharString m_logicalReportId;
    SWCharString m_contextCommon;
    SWCharString m_appName;
    SWCharString m_appContext;
    SWCharString m_appDatapath;
    SWCharString m_optionKey1;
    SWCharString m_optionKey2;
    SWCharString m_optionKey3;
    SWCharString m_optionKey4;
    SWCharString m_connecXion;
    bool m_hidden = false;
};

}  // namespace lumocommentaryservice_nexa_api
