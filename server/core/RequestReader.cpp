#include "server/core/RequestReader.h"

#include <iterator>
#include <string>
#include <string_view>

#include "model/JsonSupport.h"
#include "server/core/Utf16Text.h"

namespace lumo_server {
namespace {

using lumo_json::Value;

// A member name in both forms: UTF-16 for the lookup, ASCII for error texts.
struct Key {
    const char16_t* wide;
    const char* narrow;
    std::size_t length;
};
#define LUMO_KEY(name) Key{u##name, name, sizeof(name) - 1}

// Input stream over a counted text for RapidJSON; the end reads as U+0000.
// Raw U+0000 inside the text is rejected before parsing, so the parser can
// never stop early at one and accept a prefix.
class CountedStream {
public:
    using Ch = char16_t;
    CountedStream(const Ch* text, std::size_t length) : m_begin(text), m_cur(text), m_end(text + length) {}
    Ch Peek() const { return m_cur < m_end ? *m_cur : Ch(0); }
    Ch Take() { return m_cur < m_end ? *m_cur++ : Ch(0); }
    std::size_t Tell() const { return static_cast<std::size_t>(m_cur - m_begin); }
    // Only in-situ parsing writes to its input; this stream is read-only.
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    std::size_t PutEnd(Ch*) { return 0; }

private:
    const Ch* m_begin;
    const Ch* m_cur;
    const Ch* m_end;
};

struct ReadFailure {
    ServerError error;
};

[[noreturn]] void fail(ErrorKind kind, const std::string& detail = std::string())
{
    throw ReadFailure{ServerError::make(kind, detail)};
}

bool nameIs(const Value& name, const Key& key)
{
    return name.IsString() && name.GetStringLength() == key.length &&
           std::char_traits<char16_t>::compare(name.GetString(), key.wide, key.length) == 0;
}

std::string join(const std::string& prefix, const char* key)
{
    return prefix.empty() ? std::string(key) : prefix + "." + key;
}

std::string indexed(const std::string& path, std::size_t index)
{
    return path + "[" + std::to_string(index) + "]";
}

// RapidJSON refuses an escaped high surrogate that no escaped low surrogate
// follows, which would make the whole text malformed (101).  Such an escape is
// rewritten as that of a lone low surrogate (\uD8xx becomes \uDCxx), which
// the parser keeps as one code unit, so that the member holding it is refused
// as ill-formed text (106) like any other lone surrogate.
bool isEscapeIn(const std::u16string& text, std::size_t at, std::u16string_view secondDigits)
{
    return at + 5 < text.size() && text[at] == u'\\' && text[at + 1] == u'u' &&
           (text[at + 2] == u'D' || text[at + 2] == u'd') && secondDigits.find(text[at + 3]) != std::u16string_view::npos;
}

std::u16string withLoneHighSurrogateEscapesAsLow(const char16_t* text, std::size_t length)
{
    std::u16string copy(text, length);
    bool inString = false;
    for (std::size_t i = 0; i < copy.size(); ++i) {
        if (copy[i] == u'"') inString = !inString;
        if (!inString || copy[i] != u'\\') continue;
        if (isEscapeIn(copy, i, u"89abAB") && !isEscapeIn(copy, i + 6, u"cdefCDEF")) copy[i + 3] = u'C';
        ++i;  // the escaped character
    }
    return copy;
}

// The values of a list of keys (entries[i].key) among an object's members,
// found in one pass: a comment has twenty keys, and a scan of its members
// for each of them was a quarter of reading an add.  get(i) is the value of
// entries[i].key, or null when absent, and raises a key that occurs twice
// when it is asked for, so that errors come in the keys' order as they would
// with a scan per key.
template <class Entry, std::size_t N>
class MemberTable {
public:
    MemberTable(const Value& object, const Entry (&entries)[N]) : m_entries(entries)
    {
        for (auto m = object.MemberBegin(); m != object.MemberEnd(); ++m) {
            for (std::size_t i = 0; i < N; ++i) {
                if (!nameIs(m->name, entries[i].key)) continue;
                if (m_found[i])
                    m_duplicated[i] = true;
                else
                    m_found[i] = &m->value;
                break;
            }
        }
    }

    const Value* get(std::size_t i, const std::string& prefix) const
    {
        if (m_duplicated[i]) fail(ErrorKind::DuplicateMember, join(prefix, m_entries[i].key.narrow));
        return m_found[i];
    }

private:
    const Entry (&m_entries)[N];
    const Value* m_found[N] = {};
    bool m_duplicated[N] = {};
};

class Reader {
public:
    explicit Reader(const RequestLimits& limits) : m_limits(limits) {}

    // The member's value, or null when absent; a second occurrence is an error.
    const Value* find(const Value& object, Key key, const std::string& prefix) const
    {
        const Value* found = nullptr;
        for (auto m = object.MemberBegin(); m != object.MemberEnd(); ++m) {
            if (!nameIs(m->name, key)) continue;
            if (found) fail(ErrorKind::DuplicateMember, join(prefix, key.narrow));
            found = &m->value;
        }
        return found;
    }

    const Value& require(const Value& object, Key key, const std::string& prefix) const
    {
        const Value* value = find(object, key, prefix);
        if (!value) fail(ErrorKind::MissingMember, join(prefix, key.narrow));
        return *value;
    }

    static int32_t readInt(const Value& value, const std::string& path)
    {
        if (!value.IsInt()) fail(ErrorKind::WrongType, path);
        return value.GetInt();
    }

    static int64_t readInt64(const Value& value, const std::string& path)
    {
        if (!value.IsInt64()) fail(ErrorKind::WrongType, path);
        return value.GetInt64();
    }

    static bool readBool(const Value& value, const std::string& path)
    {
        if (!value.IsBool()) fail(ErrorKind::WrongType, path);
        return value.GetBool();
    }

    SWCharString readString(const Value& value, const std::string& path) const
    {
        if (!value.IsString()) fail(ErrorKind::WrongType, path);
        const std::size_t length = value.GetStringLength();
        if (length > m_limits.maxFieldChars)
            fail(ErrorKind::MemberTooLarge, path + ", limit " + std::to_string(m_limits.maxFieldChars) + " code units");
        if (!isStorableUtf16(value.GetString(), length)) fail(ErrorKind::IllFormedText, path);
        return SWCharString(value.GetString(), length);
    }

    // readString for the member key of the object at prefix, whose path is
    // only spelled out for an error.
    SWCharString readMemberString(const Value& value, const std::string& prefix, const Key& key) const
    {
        if (!value.IsString() || value.GetStringLength() > m_limits.maxFieldChars ||
            !isStorableUtf16(value.GetString(), value.GetStringLength()))
            return readString(value, join(prefix, key.narrow));  // raises
        return SWCharString(value.GetString(), value.GetStringLength());
    }

    void readComment(const Value& object, CommentRecord& comment) const
    {
        static const std::string prefix = "comment";
        struct Member {
            Key key;
            SWCharString CommentRecord::*text;  // null: not a text (the last four)
        };
        static const Member members[] = {
            {LUMO_KEY("sourceCUID"), &CommentRecord::sourceCUID},
            {LUMO_KEY("ownerCUID"), &CommentRecord::ownerCUID},
            {LUMO_KEY("text"), &CommentRecord::text},
            {LUMO_KEY("logicalReportId"), &CommentRecord::logicalReportId},
            {LUMO_KEY("contextCommon"), &CommentRecord::contextCommon},
            {LUMO_KEY("appName"), &CommentRecord::appName},
            {LUMO_KEY("appContext"), &CommentRecord::appContext},
            {LUMO_KEY("appDatapath"), &CommentRecord::appDatapath},
            {LUMO_KEY("connecXion"), &CommentRecord::connecXion},
            {LUMO_KEY("optionKey1"), &CommentRecord::optionKey1},
            {LUMO_KEY("optionKey2"), &CommentRecord::optionKey2},
            {LUMO_KEY("optionKey3"), &CommentRecord::optionKey3},
            {LUMO_KEY("optionKey4"), &CommentRecord::optionKey4},
            {LUMO_KEY("userName"), &CommentRecord::userName},
            {LUMO_KEY("lastModifiedUserCuid"), &CommentRecord::lastModifiedUserCuid},
            {LUMO_KEY("lastModifiedUserName"), &CommentRecord::lastModifiedUserName},
            {LUMO_KEY("commentId"), nullptr},
            {LUMO_KEY("hidden"), nullptr},
            {LUMO_KEY("lastmodifiedtimestamp"), nullptr},
            {LUMO_KEY("creationtimestamp"), nullptr},
        };
        constexpr std::size_t kTexts = std::size(members) - 4;
        const MemberTable<Member, std::size(members)> found(object, members);
        for (std::size_t i = 0; i < kTexts; ++i) {
            if (const Value* value = found.get(i, prefix))
                comment.*members[i].text = readMemberString(*value, prefix, members[i].key);
        }
        if (const Value* value = found.get(kTexts, prefix)) comment.commentId = readInt(*value, "comment.commentId");
        if (const Value* value = found.get(kTexts + 1, prefix)) comment.hidden = readBool(*value, "comment.hidden");
        if (const Value* value = found.get(kTexts + 2, prefix))
            comment.lastModifiedTimestamp = readInt64(*value, "comment.lastmodifiedtimestamp");
        if (const Value* value = found.get(kTexts + 3, prefix))
            comment.creationTimestamp = readInt64(*value, "comment.creationtimestamp");
    }

    void readSortParams(const Value& array, std::vector<SortParam>& out) const
    {
        if (!array.IsArray()) fail(ErrorKind::WrongType, "sortparams");
        for (rapidjson::SizeType i = 0; i < array.Size(); ++i) {
            const std::string path = indexed("sortparams", i);
            const Value& element = array[i];
            if (!element.IsObject()) fail(ErrorKind::WrongType, path);
            SortParam param;
            param.attribute = readInt(require(element, LUMO_KEY("sortattribute"), path), path + ".sortattribute");
            param.order = readInt(require(element, LUMO_KEY("sortorder"), path), path + ".sortorder");
            out.push_back(param);
        }
    }

    void readQualifiers(const Value& array, std::vector<Qualifier>& out) const
    {
        if (!array.IsArray()) fail(ErrorKind::WrongType, "qualifiers");
        for (rapidjson::SizeType i = 0; i < array.Size(); ++i) {
            const std::string path = indexed("qualifiers", i);
            const Value& element = array[i];
            if (!element.IsObject()) fail(ErrorKind::WrongType, path);
            Qualifier qualifier;
            qualifier.attribute =
                readInt(require(element, LUMO_KEY("qualifierattribute"), path), path + ".qualifierattribute");
            qualifier.value =
                readString(require(element, LUMO_KEY("qualifiervalue"), path), path + ".qualifiervalue");
            out.push_back(qualifier);
        }
    }

    static void readCommentIds(const Value& array, std::vector<int32_t>& out)
    {
        if (!array.IsArray()) fail(ErrorKind::WrongType, "CommentIds");
        out.reserve(array.Size());
        for (rapidjson::SizeType i = 0; i < array.Size(); ++i)
            out.push_back(readInt(array[i], indexed("CommentIds", i)));
    }

    void readRoot(const Value& root, ReadResult& result) const
    {
        CommentaryRequest& request = result.request;
        request.requestType = readInt(require(root, LUMO_KEY("requestType"), ""), "requestType");
        result.requestType = request.requestType;
        if (successResponseType(request.requestType) == 0)
            fail(ErrorKind::UnknownRequestType, std::to_string(request.requestType));

        // Design decision: an absent "logonToken" is read as an absent token, so
        // that it is answered like an empty one (401 "Logon token missing")
        // rather than as a malformed request.  A test-connection request needs
        // neither a token nor a comment (it proves that the server answers);
        // members it carries anyway are still checked.
        const bool testConnection = request.requestType == kTestConnectionRequest;
        if (const Value* token = find(root, LUMO_KEY("logonToken"), "")) {
            request.logonToken = readString(*token, "logonToken");
            request.hasLogonToken = true;
        }
        const Value* comment =
            testConnection ? find(root, LUMO_KEY("comment"), "") : &require(root, LUMO_KEY("comment"), "");
        if (comment) {
            if (!comment->IsObject()) fail(ErrorKind::WrongType, "comment");
            readComment(*comment, request.comment);
        }

        switch (request.requestType) {
        case kGetRequest:
            readSortParams(require(root, LUMO_KEY("sortparams"), ""), request.sortParams);
            readQualifiers(require(root, LUMO_KEY("qualifiers"), ""), request.qualifiers);
            break;
        case kHideRequest:
            readCommentIds(require(root, LUMO_KEY("CommentIds"), ""), request.commentIds);
            break;
        case kDuplicateRequest:
            request.targetDocCuid = readString(require(root, LUMO_KEY("targetDocCuid"), ""), "targetDocCuid");
            break;
        default:
            break;
        }
    }

private:
    const RequestLimits& m_limits;
};

// Parses one JSON object of at most `limits.maxRequestChars` code units and
// hands it to readObject, catching what the reader refuses.
template <class ReadObject>
ReadResult readTopObject(const char16_t* text, std::size_t length, const RequestLimits& limits,
                         const ReadObject& readObject)
{
    ReadResult result;
    try {
        if (length > limits.maxRequestChars)
            fail(ErrorKind::RequestTooLarge,
                 std::to_string(length) + " code units, limit " + std::to_string(limits.maxRequestChars));
        if (!text || length == 0) fail(ErrorKind::NotJsonObject);
        for (std::size_t i = 0; i < length; ++i)
            if (text[i] == 0) fail(ErrorKind::NotJsonObject);

        // Iterative parsing: nesting depth costs heap, never stack.
        lumo_json::Document document;
        CountedStream stream(text, length);
        document.ParseStream<rapidjson::kParseIterativeFlag>(stream);
        if (document.GetParseError() == rapidjson::kParseErrorStringUnicodeSurrogateInvalid) {
            const std::u16string rewritten = withLoneHighSurrogateEscapesAsLow(text, length);
            CountedStream again(rewritten.data(), rewritten.size());
            document.ParseStream<rapidjson::kParseIterativeFlag>(again);
        }
        if (document.HasParseError() || !document.IsObject()) fail(ErrorKind::NotJsonObject);

        readObject(Reader(limits), document, result);
        result.ok = true;
    } catch (const ReadFailure& failure) {
        result.ok = false;
        result.error = failure.error;
        result.request = CommentaryRequest();
    }
    return result;
}

}  // namespace

ReadResult RequestReader::read(const char16_t* text, std::size_t length) const
{
    return readTopObject(text, length, m_limits,
                         [](const Reader& reader, const Value& root, ReadResult& result) { reader.readRoot(root, result); });
}

ReadResult RequestReader::readComment(const std::u16string& text) const
{
    return readTopObject(text.data(), text.size(), m_limits, [](const Reader& reader, const Value& root, ReadResult& result) {
        reader.readComment(root, result.request.comment);
    });
}

}  // namespace lumo_server
