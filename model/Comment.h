// The model record of one comment attached to a report document, and its
// JSON object form.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/JsonSupport.h"
#include "platform/foundation/SString.h"

namespace lumocommentaryservice_nexa_api {

// One comment.  Texts are held by value; an empty text means "not set",
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
    SWCharString getSourceCUID() const { return textField(kSourceCUID); }
    void setSourceCUID(SWCharString value) { setTextField(kSourceCUID, value.str()); }
    SWCharString getOwnerCUID() const { return textField(kOwnerCUID); }
    void setOwnerCUID(SWCharString value) { setTextField(kOwnerCUID, value.str()); }
    SWCharString getText() const { return textField(kText); }
    void setText(SWCharString value) { setTextField(kText, value.str()); }
    SWCharString getUserName() const { return textField(kUserName); }
    void setUserName(SWCharString value) { setTextField(kUserName, value.str()); }
    SWCharString getLastModifiedUserCuid() const { return textField(kLastModifiedUserCuid); }
    void setLastModifiedUserCuid(SWCharString value) { setTextField(kLastModifiedUserCuid, value.str()); }
    SWCharString getLastModifiedUserName() const { return textField(kLastModifiedUserName); }
    void setLastModifiedUserName(SWCharString value) { setTextField(kLastModifiedUserName, value.str()); }
    int64_t getCreationTimestamp() const { return m_creationTimestamp; }
    void setCreationTimestamp(int64_t value) { m_creationTimestamp = value; }
    int64_t getLastModifiedTimestamp() const { return m_lastModifiedTimestamp; }
    void setLastModifiedTimestamp(int64_t value) { m_lastModifiedTimestamp = value; }
    SWCharString getLogicalReportId() const { return textField(kLogicalReportId); }
    void setLogicalReportId(SWCharString value) { setTextField(kLogicalReportId, value.str()); }
    SWCharString getContextCommon() const { return textField(kContextCommon); }
    void setContextCommon(SWCharString value) { setTextField(kContextCommon, value.str()); }
    SWCharString getAppName() const { return textField(kAppName); }
    void setAppName(SWCharString value) { setTextField(kAppName, value.str()); }
    SWCharString getAppContext() const { return textField(kAppContext); }
    void setAppContext(SWCharString value) { setTextField(kAppContext, value.str()); }
    SWCharString getAppDatapath() const { return textField(kAppDatapath); }
    void setAppDatapath(SWCharString value) { setTextField(kAppDatapath, value.str()); }
    SWCharString getOptionKey1() const { return textField(kOptionKey1); }
    void setOptionKey1(SWCharString value) { setTextField(kOptionKey1, value.str()); }
    SWCharString getOptionKey2() const { return textField(kOptionKey2); }
    void setOptionKey2(SWCharString value) { setTextField(kOptionKey2, value.str()); }
    SWCharString getOptionKey3() const { return textField(kOptionKey3); }
    void setOptionKey3(SWCharString value) { setTextField(kOptionKey3, value.str()); }
    SWCharString getOptionKey4() const { return textField(kOptionKey4); }
    void setOptionKey4(SWCharString value) { setTextField(kOptionKey4, value.str()); }
    SWCharString getConnecXion() const { return textField(kConnecXion); }
    void setConnecXion(SWCharString value) { setTextField(kConnecXion, value.str()); }
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

    // Reads the members of one JSON object into a comment as a streaming
    // reader meets them, by the rules of fromJSON: name() picks the field of
    // the next member (only the first member of a name is read), then exactly
    // one value call reads that member's value.  fromJSON reads through it
    // too, so documents and streams read alike.
    class MemberReader {
    public:
        explicit MemberReader(Comment& comment) : m_comment(comment) {}
        void name(const char16_t* text, std::size_t length);
        void null() {}
        void boolean(bool value);
        // A number without fraction or exponent inside the signed 64-bit range.
        void integer(int64_t value);
        // May throw std::bad_alloc; the comment then holds what it held before.
        void text(const char16_t* units, std::size_t length);
        // Any other value: another number, an object or an array.
        void other();

    private:
        Comment& m_comment;
        uint32_t m_seen = 0;
        int m_slot = -1;
    };

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

    // The 16 texts, in wire order.
    enum TextField {
        kSourceCUID, kOwnerCUID, kText, kLogicalReportId, kContextCommon, kAppName, kAppContext, kAppDatapath,
        kConnecXion, kOptionKey1, kOptionKey2, kOptionKey3, kOptionKey4, kUserName, kLastModifiedUserCuid,
        kLastModifiedUserName, kTextFieldCount
    };
    std::u16string_view textView(TextField field) const;
    SWCharString textField(TextField field) const { return SWCharString(std::u16string(textView(field))); }
    // May throw std::bad_alloc, and then changes nothing.
    void setTextField(TextField field, std::u16string_view text);

    std::size_t textEnd(std::size_t field) const { return field < m_endsKept ? m_textEnds[field] : m_texts.size(); }

    // Design decision: the texts lie one after the other in one buffer, so
    // that a comment costs one allocation for all of its texts.  Reading a
    // get response of thousands of comments otherwise spends more time
    // allocating and freeing sixteen strings per comment than parsing the
    // text.  m_textEnds[i] is where text i ends, kept for the first
    // m_endsKept fields; the texts after those are empty, so that filling
    // the fields in wire order only ever appends.
    std::u16string m_texts;
    std::array<std::size_t, kTextFieldCount> m_textEnds{};
    std::size_t m_endsKept = 0;
    int32_t m_commentId = -1;
    int64_t m_creationTimestamp = -1;
    int64_t m_lastModifiedTimestamp = -1;
    bool m_hidden = false;
};

}  // namespace lumocommentaryservice_nexa_api
