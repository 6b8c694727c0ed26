// Reads a response text in one pass straight into its members and comment
// records: RapidJSON's reader hands each value to this reader as it meets it
// (lumo_json::read), and no document is built.
//
// The rules are those of a look-up in a parsed document:
// - a text that does not parse gives the members of no text at all (status 0,
//   type 0, empty texts, no comments), never what was read before the fault;
// - only a root object has members; the first member of a name counts, also
//   when its value has the wrong type;
// - "statusCode" and "responseType" are read when they are integers inside
//   32 bits, "description" and "errorCode" when they are strings; anything
//   else counts as absent;
// - "comments" is read when it is an array; each element that is an object
//   becomes a comment (Comment::MemberReader), other elements are skipped, as
//   is an element whose comment cannot be allocated;
// - nesting costs no stack: values below what is read are only counted, and
//   deeply nested text is read iteratively (lumo_json::read).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Comment.h"
#include "model/JsonSupport.h"

namespace lumocommentaryservice_nexa_api {

// What a response text holds.
struct ResponseMembers {
    int32_t statusCode = 0;
    std::u16string description;
    int32_t responseType = 0;
    std::u16string errorCode;
    std::vector<std::shared_ptr<Comment>> comments;
};

class ResponseReader {
public:
    // Members read besides the three every response has.
    enum Extras : unsigned { kCommonOnly = 0, kErrorCode = 1u << 0, kComments = 1u << 1 };

    // The members of a NUL-terminated text (null: no text).
    static ResponseMembers read(const char16_t* text, unsigned extras);

    // The response type of a text, read only as far as its first root
    // "responseType" member: read(text, ...).responseType for every text that
    // parses.  A text that stops parsing after that member reads as type 0
    // in full, which only a full reading finds out.
    static int32_t peekResponseType(const char16_t* text);

    // Forgets everything read, for a second reading of the text from its start
    // (lumo_json::read).
    void restart();

    // RapidJSON's handler interface, called by the reader.
    using Ch = char16_t;
    bool Null();
    bool Bool(bool value);
    bool Int(int value) { return integer(value); }
    bool Uint(unsigned value) { return integer(value); }
    bool Int64(int64_t value) { return integer(value); }
    bool Uint64(uint64_t value);
    bool Double(double) { return other(); }
    bool RawNumber(const Ch*, rapidjson::SizeType, bool) { return other(); }
    bool String(const Ch* units, rapidjson::SizeType length, bool copy);
    bool StartObject() { return open(true); }
    bool Key(const Ch* units, rapidjson::SizeType length, bool copy);
    bool EndObject(rapidjson::SizeType) { return close(); }
    bool StartArray() { return open(false); }
    bool EndArray(rapidjson::SizeType) { return close(); }

private:
    // Where the next value goes.
    enum class Level { kOutside, kRoot, kComments, kComment };
    enum RootMember { kNoMember = -1, kStatusCodeMember, kDescriptionMember, kResponseTypeMember, kErrorCodeMember, kCommentsMember };

    ResponseReader(ResponseMembers& members, unsigned extras, bool toTypeOnly)
        : m_members(members), m_extras(extras), m_toTypeOnly(toTypeOnly)
    {
    }

    // False (the reading ends) once the type is read, when only it is wanted.
    bool proceed() const { return !(m_toTypeOnly && m_typeTaken); }
    bool integer(int64_t value);
    bool other();
    bool open(bool object);
    bool close();
    RootMember rootMember(const Ch* units, std::size_t length) const;
    // The root member whose value comes next (kNoMember once taken).
    RootMember takePending();
    void beginComment();
    void endComment();
    template <class Step>
    void inComment(Step step);

    ResponseMembers& m_members;
    const unsigned m_extras;
    const bool m_toTypeOnly;
    bool m_typeTaken = false;
    Level m_level = Level::kOutside;
    std::size_t m_skipped = 0;  // open containers below what is read
    RootMember m_pending = kNoMember;
    uint32_t m_seen = 0;  // root members met, by RootMember bit
    // The element being read goes into this one comment, whose buffer is
    // reused, and is copied out at its end: one allocation for its texts.
    Comment m_comment;
    std::optional<Comment::MemberReader> m_commentReader;
    bool m_commentFailed = false;
};

}  // namespace lumocommentaryservice_nexa_api
