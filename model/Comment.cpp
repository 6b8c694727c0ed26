#include "model/Comment.h"

#include <array>
#include <cstring>
#include <string>

#include "platform/foundation/SDateTime.h"

namespace lumocommentaryservice_nexa_api {

using lumo_json::Allocator;
using lumo_json::Value;

struct Comment::JsonLayout {
    struct TextMember {
        const char16_t* key;
        TextField field;
    };

    // The 16 string members in wire order (the order of TextField);
    // "commentId" goes after the first three, and "hidden",
    // "lastmodifiedtimestamp", "creationtimestamp" end the object.
    static constexpr std::size_t kTextsBeforeId = 3;
    static constexpr TextMember kTexts[kTextFieldCount] = {
        {u"sourceCUID", kSourceCUID},
        {u"ownerCUID", kOwnerCUID},
        {u"text", kText},
        {u"logicalReportId", kLogicalReportId},
        {u"contextCommon", kContextCommon},
        {u"appName", kAppName},
        {u"appContext", kAppContext},
        {u"appDatapath", kAppDatapath},
        {u"connecXion", kConnecXion},
        {u"optionKey1", kOptionKey1},
        {u"optionKey2", kOptionKey2},
        {u"optionKey3", kOptionKey3},
        {u"optionKey4", kOptionKey4},
        {u"userName", kUserName},
        {u"lastModifiedUserCuid", kLastModifiedUserCuid},
        {u"lastModifiedUserName", kLastModifiedUserName},
    };
    static constexpr const char16_t* kCommentId = u"commentId";
    static constexpr const char16_t* kHidden = u"hidden";
    static constexpr const char16_t* kLastModifiedTimestamp = u"lastmodifiedtimestamp";
    static constexpr const char16_t* kCreationTimestamp = u"creationtimestamp";

    // Every member name by slot: 0 .. 15 the texts, then the four others.
    enum Slot { kCommentIdSlot = 16, kHiddenSlot, kLastModifiedSlot, kCreationSlot, kSlotCount };

    // The names of each length with their slots, for matching a member's
    // name; built at compile time.
    static constexpr std::size_t kLongestName = 21;
    struct Name {
        int slot = 0;
        const char16_t* text = nullptr;
    };
    struct NamesOfLength {
        int count = 0;
        Name names[8] = {};
    };
    using NameTable = std::array<NamesOfLength, kLongestName + 1>;
    static constexpr const char16_t* nameOf(int slot)
    {
        switch (slot) {
        case kCommentIdSlot: return kCommentId;
        case kHiddenSlot: return kHidden;
        case kLastModifiedSlot: return kLastModifiedTimestamp;
        case kCreationSlot: return kCreationTimestamp;
        default: return kTexts[slot].key;
        }
    }
    static constexpr NameTable buildNameTable()
    {
        NameTable table{};
        for (int slot = 0; slot < kSlotCount; ++slot) {
            NamesOfLength& ofLength = table[std::char_traits<char16_t>::length(nameOf(slot))];
            ofLength.names[ofLength.count++] = Name{slot, nameOf(slot)};
        }
        return table;
    }
    // True when the names of each length differ in their last unit.
    static constexpr bool lastUnitsDiffer(const NameTable& table)
    {
        for (const NamesOfLength& ofLength : table)
            for (int i = 0; i < ofLength.count; ++i)
                for (int j = i + 1; j < ofLength.count; ++j) {
                    const std::size_t last = std::char_traits<char16_t>::length(ofLength.names[i].text) - 1;
                    if (ofLength.names[i].text[last] == ofLength.names[j].text[last]) return false;
                }
        return true;
    }
    static const NameTable kNamesByLength;
    static int slotOf(const char16_t* text, std::size_t length);

    static void writeText(Value& object, const char16_t* key, std::u16string_view text, Allocator& allocator);
    template <class Scalar>
    static void writeScalar(Value& object, const char16_t* key, Scalar scalar, Allocator& allocator);
    static void readValue(MemberReader& reader, const Value& value);
};

constexpr Comment::JsonLayout::NameTable Comment::JsonLayout::kNamesByLength =
    Comment::JsonLayout::buildNameTable();


// The slot of a member name, or -1 for a name the comment does not know.
// Names of one length differ in their last unit ("optionKey1" .. "optionKey4",
// "lastModifiedUserCuid" and "lastModifiedUserName"), so that unit picks the
// one candidate, and one comparison of the whole name confirms it.
int Comment::JsonLayout::slotOf(const char16_t* text, std::size_t length)
{
    static_assert(lastUnitsDiffer(kNamesByLength), "two names of one length end alike");
    if (length == 0 || length > kLongestName) return -1;
    const NamesOfLength& candidates = kNamesByLength[length];
    for (int i = 0; i < candidates.count; ++i) {
        const Name& candidate = candidates.names[i];
        if (candidate.text[length - 1] != text[length - 1]) continue;
        for (std::size_t unit = 0; unit + 1 < length; ++unit)
            if (candidate.text[unit] != text[unit]) return -1;
        return candidate.slot;
    }
    return -1;
}

void Comment::JsonLayout::writeText(Value& object, const char16_t* key, std::u16string_view text,
                                    Allocator& allocator)
{
    // A set field is written, an empty one left out.
    if (text.empty()) return;
    Value value(text.data(), static_cast<rapidjson::SizeType>(text.size()), allocator);
    object.AddMember(Value(rapidjson::StringRef(key)), value, allocator);
}

template <class Scalar>
void Comment::JsonLayout::writeScalar(Value& object, const char16_t* key, Scalar scalar, Allocator& allocator)
{
    object.AddMember(Value(rapidjson::StringRef(key)), Value(scalar), allocator);
}

// A value of a document, handed to the reader by its JSON type.
void Comment::JsonLayout::readValue(MemberReader& reader, const Value& value)
{
    if (value.IsNull())
        reader.null();
    else if (value.IsBool())
        reader.boolean(value.IsTrue());
    else if (value.IsInt64())
        reader.integer(value.GetInt64());
    else if (value.IsString())
        reader.text(value.GetString(), value.GetStringLength());
    else
        reader.other();
}

// ---- Reading rules
//
// null leaves the field as it is.  "hidden" becomes true only for the literal
// true and false for any other value.
// Design decision: every other member is read only when it has the type the
// writer produces; a string where a number belongs (or the reverse), a number
// with a fraction or exponent, a commentId outside 32 bits and a timestamp
// outside 64 bits count as absent and leave the field unchanged.

void Comment::MemberReader::name(const char16_t* text, std::size_t length)
{
    m_slot = JsonLayout::slotOf(text, length);
    if (m_slot < 0) return;
    if (m_seen & (1u << m_slot)) {
        m_slot = -1;  // a later member of a name already read, never found by a look-up
        return;
    }
    m_seen |= 1u << m_slot;
}

void Comment::MemberReader::boolean(bool value)
{
    if (m_slot == JsonLayout::kHiddenSlot) m_comment.m_hidden = value;
}

void Comment::MemberReader::integer(int64_t value)
{
    switch (m_slot) {
    case JsonLayout::kCommentIdSlot:
        if (value >= INT32_MIN && value <= INT32_MAX) m_comment.m_commentId = static_cast<int32_t>(value);
        break;
    case JsonLayout::kLastModifiedSlot: m_comment.m_lastModifiedTimestamp = value; break;
    case JsonLayout::kCreationSlot: m_comment.m_creationTimestamp = value; break;
    default: other(); break;
    }
}

void Comment::MemberReader::text(const char16_t* units, std::size_t length)
{
    if (m_slot >= 0 && m_slot < JsonLayout::kCommentIdSlot)
        m_comment.setTextField(JsonLayout::kTexts[m_slot].field, lumo_json::fieldText(units, length));
    else
        other();
}

void Comment::MemberReader::other()
{
    if (m_slot == JsonLayout::kHiddenSlot) m_comment.m_hidden = false;
}

Comment::Comment() = default;
Comment::~Comment() = default;

std::u16string_view Comment::textView(TextField field) const
{
    const std::size_t begin = field == 0 ? 0 : textEnd(field - 1);
    return std::u16string_view(m_texts).substr(begin, textEnd(field) - begin);
}

void Comment::setTextField(TextField field, std::u16string_view text)
{
    if (field >= m_endsKept) {
        // An empty field after the last kept end: the text goes at the end.
        if (text.empty()) return;
        m_texts.append(text.data(), text.size());
        for (std::size_t i = m_endsKept; i < field; ++i) m_textEnds[i] = m_texts.size() - text.size();
        m_textEnds[field] = m_texts.size();
        m_endsKept = field + 1;
        return;
    }
    const std::size_t begin = field == 0 ? 0 : m_textEnds[field - 1];
    const std::size_t oldLength = m_textEnds[field] - begin;
    m_texts.replace(begin, oldLength, text.data(), text.size());
    for (std::size_t i = field; i < m_endsKept; ++i) m_textEnds[i] = m_textEnds[i] - oldLength + text.size();
}

void Comment::toJSON(Value& object, Allocator& allocator) const
{
    using L = JsonLayout;
    if (!object.IsObject()) return;
    for (std::size_t i = 0; i < std::size(L::kTexts); ++i) {
        if (i == L::kTextsBeforeId && m_commentId != -1) L::writeScalar(object, L::kCommentId, m_commentId, allocator);
        L::writeText(object, L::kTexts[i].key, textView(L::kTexts[i].field), allocator);
    }
    L::writeScalar(object, L::kHidden, m_hidden, allocator);
    L::writeScalar(object, L::kLastModifiedTimestamp, m_lastModifiedTimestamp, allocator);
    L::writeScalar(object, L::kCreationTimestamp, m_creationTimestamp, allocator);
}

void Comment::addToDocument(lumo_json::Document& document) const
{
    if (!document.IsObject()) return;
    Allocator& allocator = document.GetAllocator();
    Value object(rapidjson::kObjectType);
    toJSON(object, allocator);
    document.AddMember(Value(rapidjson::StringRef(u"comment")), object, allocator);
}

// One pass over the members, each read by the member reader.
void Comment::fromJSON(const Value& object)
{
    if (!object.IsObject()) return;
    MemberReader reader(*this);
    for (auto member = object.MemberBegin(); member != object.MemberEnd(); ++member) {
        if (!member->name.IsString()) continue;
        reader.name(member->name.GetString(), member->name.GetStringLength());
        JsonLayout::readValue(reader, member->value);
    }
}

void Comment::fromJSON(const SWCharString& json)
{
    const lumo_json::Document document = lumo_json::parse(json.c_str());
    fromJSON(static_cast<const Value&>(document));
}

SWCharString Comment::formatTimestamp(int64_t timestamp)
{
    const SDateTime epoch(1970, 1, 1, 0, 0, 0, 0, STimeZone::TZ_UTC);
    return (epoch + STimeSpan(timestamp)).Format(u"MMM dd yyyy HH:mm:ss", STimeZone::TZ_UTC);
}

}  // namespace lumocommentaryservice_nexa_api
