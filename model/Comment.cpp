#include "model/Comment.h"

#include <array>
#include <string>

#include "platform/foundation/SDateTime.h"

namespace lumocommentaryservice_nexa_api {

using lumo_json::Allocator;
using lumo_json::Value;

struct Comment::JsonLayout {
    struct TextMember {
        const char16_t* key;
        SWCharString Comment::*field;
    };

    // The 16 string members in wire order; "commentId" goes after the first
    // three, and "hidden", "lastmodifiedtimestamp", "creationtimestamp" end
    // the object.
    static constexpr std::size_t kTextsBeforeId = 3;
    static constexpr TextMember kTexts[16] = {
        {u"sourceCUID", &Comment::m_sourceCUID},
        {u"ownerCUID", &Comment::m_ownerCUID},
        {u"text", &Comment::m_text},
        {u"logicalReportId", &Comment::m_logicalReportId},
        {u"contextCommon", &Comment::m_contextCommon},
        {u"appName", &Comment::m_appName},
        {u"appContext", &Comment::m_appContext},
        {u"appDatapath", &Comment::m_appDatapath},
        {u"connecXion", &Comment::m_connecXion},
        {u"optionKey1", &Comment::m_optionKey1},
        {u"optionKey2", &Comment::m_optionKey2},
        {u"optionKey3", &Comment::m_optionKey3},
        {u"optionKey4", &Comment::m_optionKey4},
        {u"userName", &Comment::m_userName},
        {u"lastModifiedUserCuid", &Comment::m_lastModifiedUserCuid},
        {u"lastModifiedUserName", &Comment::m_lastModifiedUserName},
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
    static const NameTable kNamesByLength;
    static int slotOf(const Value& name);

    static void writeText(Value& object, const char16_t* key, const SWCharString& text, Allocator& allocator);
    template <class Scalar>
    static void writeScalar(Value& object, const char16_t* key, Scalar scalar, Allocator& allocator);
    static void readSlot(Comment& comment, int slot, const Value& value);
};

constexpr Comment::JsonLayout::NameTable Comment::JsonLayout::kNamesByLength =
    Comment::JsonLayout::buildNameTable();

// Names of one length mostly differ at the end ("optionKey1" .. "optionKey4"),
// so compare from there; a plain loop beats a call of memcmp for so few units.
static bool sameName(const char16_t* a, const char16_t* b, std::size_t length)
{
    while (length > 0) {
        --length;
        if (a[length] != b[length]) return false;
    }
    return true;
}

// The slot of a member name, or -1 for a name the comment does not know.
int Comment::JsonLayout::slotOf(const Value& name)
{
    if (!name.IsString()) return -1;
    const std::size_t length = name.GetStringLength();
    if (length > kLongestName) return -1;
    const char16_t* text = name.GetString();
    const NamesOfLength& candidates = kNamesByLength[length];
    for (int i = 0; i < candidates.count; ++i)
        if (sameName(text, candidates.names[i].text, length)) return candidates.names[i].slot;
    return -1;
}

void Comment::JsonLayout::writeText(Value& object, const char16_t* key, const SWCharString& text,
                                    Allocator& allocator)
{
    // Only the empty text compares equal to "" ignoring case: a set field is
    // written, an empty one left out.
    if (text.compareNoCase(u"") == 0) return;
    Value value(text.str().data(), static_cast<rapidjson::SizeType>(text.length()), allocator);
    object.AddMember(Value(rapidjson::StringRef(key)), value, allocator);
}

template <class Scalar>
void Comment::JsonLayout::writeScalar(Value& object, const char16_t* key, Scalar scalar, Allocator& allocator)
{
    object.AddMember(Value(rapidjson::StringRef(key)), Value(scalar), allocator);
}

// Reading rules: null leaves the field as it is.  "hidden" becomes true only
// for the literal true and false for any other value.
// Design decision: every other member is read only when it has the type the
// writer produces; a string where a number belongs (or the reverse), a number
// with a fraction or exponent, a commentId outside 32 bits and a timestamp
// outside 64 bits count as absent and leave the field unchanged.
void Comment::JsonLayout::readSlot(Comment& comment, int slot, const Value& value)
{
    if (value.IsNull()) return;
    switch (slot) {
    case kCommentIdSlot:
        if (value.IsInt()) comment.m_commentId = value.GetInt();
        break;
    case kHiddenSlot: comment.m_hidden = value.IsTrue(); break;
    case kLastModifiedSlot:
        if (value.IsInt64()) comment.m_lastModifiedTimestamp = value.GetInt64();
        break;
    case kCreationSlot:
        if (value.IsInt64()) comment.m_creationTimestamp = value.GetInt64();
        break;
    default:
        // Assigned as a NUL-terminated wide string: an escaped U+0000 ends it.
        if (value.IsString()) (comment.*kTexts[slot].field).str().assign(value.GetString());
        break;
    }
}

Comment::Comment() = default;
Comment::~Comment() = default;

void Comment::toJSON(Value& object, Allocator& allocator) const
{
    using L = JsonLayout;
    if (!object.IsObject()) return;
    for (std::size_t i = 0; i < std::size(L::kTexts); ++i) {
        if (i == L::kTextsBeforeId && m_commentId != -1) L::writeScalar(object, L::kCommentId, m_commentId, allocator);
        L::writeText(object, L::kTexts[i].key, this->*L::kTexts[i].field, allocator);
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

// One pass over the members: each name is matched to its field, and only the
// first member of a name is read (later ones are skipped, as a look-up by
// name would never find them).
void Comment::fromJSON(const Value& object)
{
    if (!object.IsObject()) return;
    uint32_t seen = 0;
    for (auto member = object.MemberBegin(); member != object.MemberEnd(); ++member) {
        const int slot = JsonLayout::slotOf(member->name);
        if (slot < 0 || (seen & (1u << slot))) continue;
        seen |= 1u << slot;
        JsonLayout::readSlot(*this, slot, member->value);
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
