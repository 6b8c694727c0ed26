#include "model/ResponseReader.h"

#include <exception>
#include <limits>
#include <string_view>

namespace lumocommentaryservice_nexa_api {

namespace {

bool sameName(const char16_t* units, std::size_t length, std::u16string_view name)
{
    return length == name.size() && std::char_traits<char16_t>::compare(units, name.data(), length) == 0;
}

const Comment kDefaultComment;

bool isInt32(int64_t value)
{
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

}  // namespace

ResponseMembers ResponseReader::read(const char16_t* text, unsigned extras)
{
    ResponseMembers members;
    ResponseReader reader(members, extras, false);
    if (!lumo_json::read(text, reader)) members = ResponseMembers();
    return members;
}

int32_t ResponseReader::peekResponseType(const char16_t* text)
{
    ResponseMembers members;
    ResponseReader reader(members, kCommonOnly, true);
    lumo_json::read(text, reader);  // ends early, at the type
    return members.responseType;
}

void ResponseReader::restart()
{
    m_members = ResponseMembers();
    m_level = Level::kOutside;
    m_skipped = 0;
    m_pending = kNoMember;
    m_seen = 0;
    m_typeTaken = false;
    m_commentReader.reset();
    m_commentFailed = false;
}

// Runs a step of the current comment; a failed allocation drops the comment.
template <class Step>
void ResponseReader::inComment(Step step)
{
    if (m_commentFailed) return;
    try {
        step();
    } catch (const std::exception&) {
        m_commentFailed = true;
    }
}

// ---- Values

bool ResponseReader::Null()
{
    if (m_skipped > 0) return true;
    if (m_level == Level::kRoot) takePending();
    if (m_level == Level::kComment) inComment([&] { m_commentReader->null(); });
    return proceed();
}

bool ResponseReader::Bool(bool value)
{
    if (m_skipped > 0) return true;
    if (m_level == Level::kRoot) takePending();
    if (m_level == Level::kComment) inComment([&] { m_commentReader->boolean(value); });
    return proceed();
}

// A number beyond the signed 64-bit range is no integer to any member.
bool ResponseReader::Uint64(uint64_t value)
{
    return value <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) ? integer(static_cast<int64_t>(value))
                                                                                : other();
}

bool ResponseReader::integer(int64_t value)
{
    if (m_skipped > 0) return true;
    if (m_level == Level::kRoot) {
        const RootMember member = takePending();
        if (member == kStatusCodeMember && isInt32(value)) m_members.statusCode = static_cast<int32_t>(value);
        if (member == kResponseTypeMember && isInt32(value)) m_members.responseType = static_cast<int32_t>(value);
    }
    if (m_level == Level::kComment) inComment([&] { m_commentReader->integer(value); });
    return proceed();
}

bool ResponseReader::String(const Ch* units, rapidjson::SizeType length, bool)
{
    if (m_skipped > 0) return true;
    if (m_level == Level::kRoot) {
        const RootMember member = takePending();
        if (member == kDescriptionMember) m_members.description = lumo_json::fieldText(units, length);
        if (member == kErrorCodeMember) m_members.errorCode = lumo_json::fieldText(units, length);
    }
    if (m_level == Level::kComment) inComment([&] { m_commentReader->text(units, length); });
    return proceed();
}

bool ResponseReader::other()
{
    if (m_skipped > 0) return true;
    if (m_level == Level::kRoot) takePending();
    if (m_level == Level::kComment) inComment([&] { m_commentReader->other(); });
    return proceed();
}

// ---- Objects and arrays

bool ResponseReader::Key(const Ch* units, rapidjson::SizeType length, bool)
{
    if (m_skipped > 0) return true;
    if (m_level == Level::kRoot) {
        m_pending = rootMember(units, length);
        if (m_pending != kNoMember && (m_seen & (1u << m_pending))) m_pending = kNoMember;
        if (m_pending != kNoMember) m_seen |= 1u << m_pending;
    }
    if (m_level == Level::kComment) inComment([&] { m_commentReader->name(units, length); });
    return true;
}

bool ResponseReader::open(bool object)
{
    if (m_skipped > 0) {
        ++m_skipped;
        return true;
    }
    switch (m_level) {
    case Level::kOutside:
        if (object)
            m_level = Level::kRoot;
        else
            m_skipped = 1;  // a root array has no members
        break;
    case Level::kRoot:
        if (takePending() == kCommentsMember && !object)
            m_level = Level::kComments;
        else
            m_skipped = 1;
        break;
    case Level::kComments:
        if (object)
            beginComment();
        else
            m_skipped = 1;  // not an object: no comment
        break;
    case Level::kComment:
        inComment([&] { m_commentReader->other(); });
        m_skipped = 1;
        break;
    }
    return proceed();
}

bool ResponseReader::close()
{
    if (m_skipped > 0) {
        --m_skipped;
        return true;
    }
    switch (m_level) {
    case Level::kOutside: break;
    case Level::kRoot: m_level = Level::kOutside; break;
    case Level::kComments: m_level = Level::kRoot; break;
    case Level::kComment:
        endComment();
        m_level = Level::kComments;
        break;
    }
    return true;
}

ResponseReader::RootMember ResponseReader::rootMember(const Ch* units, std::size_t length) const
{
    if (sameName(units, length, u"statusCode")) return kStatusCodeMember;
    if (sameName(units, length, u"description")) return kDescriptionMember;
    if (sameName(units, length, u"responseType")) return kResponseTypeMember;
    if ((m_extras & kErrorCode) && sameName(units, length, u"errorCode")) return kErrorCodeMember;
    if ((m_extras & kComments) && sameName(units, length, u"comments")) return kCommentsMember;
    return kNoMember;
}

ResponseReader::RootMember ResponseReader::takePending()
{
    const RootMember member = m_pending;
    m_pending = kNoMember;
    if (member == kResponseTypeMember) m_typeTaken = true;
    return member;
}

// ---- Comments

void ResponseReader::beginComment()
{
    m_level = Level::kComment;
    // Copy-assigning keeps the buffer's capacity (an empty text never allocates).
    m_comment = kDefaultComment;
    m_commentReader.emplace(m_comment);
    m_commentFailed = false;
}

void ResponseReader::endComment()
{
    if (m_commentFailed) return;
    try {
        m_members.comments.push_back(std::make_shared<Comment>(m_comment));
    } catch (const std::exception&) {
        // The comment or the list could not grow: this element is skipped.
    }
}

}  // namespace lumocommentaryservice_nexa_api
