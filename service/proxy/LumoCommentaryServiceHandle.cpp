#include "service/proxy/LumoCommentaryServiceHandle.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "platform/framework/SCorbaSystemError.h"
#include "service/proxy/LumoCommentaryService_proxy.h"

namespace {

// UTF-16 code units go to the ORB one by one (a surrogate pair stays two
// units); the ORB's UTF-16 transmission code set carries them unchanged.
CORBA::WChar* toCorba(const std::u16string& text)
{
    CORBA::WChar* wide = CORBA::wstring_alloc(static_cast<CORBA::ULong>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<CORBA::WChar>(text[i]);
    wide[text.size()] = 0;
    return wide;
}

// The reply's units come back the same way.  A value above 0xFFFF (an ORB
// that handed over whole characters) is written as its surrogate pair, and a
// value beyond Unicode as U+FFFD, so no reply is ever cut or misread.
void widen(uint32_t unit, std::u16string& out)
{
    if (unit <= 0xFFFF) {
        out.push_back(static_cast<char16_t>(unit));
    } else if (unit <= 0x10FFFF) {
        const uint32_t v = unit - 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
        out.push_back(u'\uFFFD');
    }
}

void releaseCorba(void* buffer) { CORBA::wstring_free(static_cast<CORBA::WChar*>(buffer)); }
void releaseUnits(void* buffer) { delete[] static_cast<char16_t*>(buffer); }

// A reply in a buffer of its own, after its header.
ReplyText ownBuffer(const std::u16string& text)
{
    auto* buffer = new char16_t[ReplyText::kHeaderUnits + text.size() + 1];
    char16_t* units = buffer + ReplyText::kHeaderUnits;
    std::char_traits<char16_t>::copy(units, text.data(), text.size());
    units[text.size()] = 0;
    return ReplyText(buffer, &releaseUnits, units, text.size());
}

// Narrows elements into units; the bitwise or of the elements tells whether
// one of them was above 0xFFFF.
template <std::size_t kSize>
uint32_t narrowBlock(const CORBA::WChar* elements, char16_t* units)
{
    uint32_t high = 0;
    for (std::size_t j = 0; j < kSize; ++j) {
        high |= static_cast<uint32_t>(elements[j]);
        units[j] = static_cast<char16_t>(elements[j]);
    }
    return high;
}

uint32_t narrowBlock(const CORBA::WChar* elements, std::size_t size, char16_t* units)
{
    uint32_t high = 0;
    for (std::size_t j = 0; j < size; ++j) {
        high |= static_cast<uint32_t>(elements[j]);
        units[j] = static_cast<char16_t>(elements[j]);
    }
    return high;
}

// Narrows the ORB's reply (4 bytes an element) to UTF-16 code units (2 bytes)
// in its own buffer: element i becomes unit kHeaderUnits + i, at bytes
// [4 + 2i, 6 + 2i).  Elements go in blocks, each read whole into a buffer of
// the stack before it is written back: a block's units end no later than the
// next block's elements begin (4 + 2(i + k) <= 4(i + k) once i + k >= 2, and
// only the NUL element follows a single element).  The buffer then passes to
// the reply text.  A reply that cannot be narrowed in place (the empty one
// has no room for a header; an element above 0xFFFF needs two units) is
// copied instead, and the ORB's buffer stays with reply.
ReplyText narrowInPlace(CORBA::WString_var& reply)
{
    constexpr std::size_t kBlock = 256;
    CORBA::WChar* const wide = reply.inout();
    auto* const bytes = reinterpret_cast<unsigned char*>(wide);
    const std::size_t count = std::char_traits<CORBA::WChar>::length(wide);
    if (count == 0) return ownBuffer(std::u16string());
    char16_t block[kBlock];
    for (std::size_t i = 0; i < count; i += kBlock) {
        const std::size_t size = std::min(kBlock, count - i);
        // A whole block goes in a loop of fixed length, which the compiler
        // turns into vector instructions.
        const uint32_t high = size == kBlock ? narrowBlock<kBlock>(wide + i, block) : narrowBlock(wide + i, size, block);
        if (high > 0xFFFF) {
            // Units before i are narrowed; the elements from i on are intact.
            std::u16string text(reinterpret_cast<const char16_t*>(bytes) + ReplyText::kHeaderUnits, i);
            for (std::size_t rest = i; rest < count; ++rest) widen(static_cast<uint32_t>(wide[rest]), text);
            return ownBuffer(text);
        }
        std::memcpy(bytes + (ReplyText::kHeaderUnits + i) * sizeof(char16_t), block, size * sizeof(char16_t));
    }
    const char16_t nul = 0;
    std::memcpy(bytes + (ReplyText::kHeaderUnits + count) * sizeof nul, &nul, sizeof nul);
    return ReplyText(reply._retn(), &releaseCorba,
                     reinterpret_cast<char16_t*>(wide) + ReplyText::kHeaderUnits, count);
}

}  // namespace

LumoCommentaryServiceHandle::LumoCommentaryServiceHandle(LumoCommentaryServiceProxy* proxy) : m_proxy(proxy)
{
    if (m_proxy) m_proxy->addRef();
}

LumoCommentaryServiceHandle::LumoCommentaryServiceHandle(const LumoCommentaryServiceHandle& other)
    : LumoCommentaryServiceHandle(other.m_proxy)
{
}

LumoCommentaryServiceHandle::LumoCommentaryServiceHandle(LumoCommentaryServiceHandle&& other) noexcept
    : m_proxy(other.m_proxy)
{
    other.m_proxy = nullptr;
}

LumoCommentaryServiceHandle& LumoCommentaryServiceHandle::operator=(const LumoCommentaryServiceHandle& other)
{
    LumoCommentaryServiceHandle copy(other);
    std::swap(m_proxy, copy.m_proxy);
    return *this;
}

LumoCommentaryServiceHandle& LumoCommentaryServiceHandle::operator=(LumoCommentaryServiceHandle&& other) noexcept
{
    LumoCommentaryServiceHandle moved(std::move(other));
    std::swap(m_proxy, moved.m_proxy);
    return *this;
}

LumoCommentaryServiceHandle::~LumoCommentaryServiceHandle() { reset(); }

void LumoCommentaryServiceHandle::reset()
{
    LumoCommentaryServiceProxy* proxy = m_proxy;
    m_proxy = nullptr;
    if (proxy) proxy->release();
}

LumoCommentaryServiceHandle LumoCommentaryServiceHandle::createProxy(IManagedService* managedService)
{
    return LumoCommentaryServiceHandle(new LumoCommentaryServiceProxy(managedService));
}

SWCharString LumoCommentaryServiceHandle::execute(const SNexaString& request) const
{
    const ReplyText reply = executeInPlace(request);
    return SWCharString(reply.text(), reply.length());
}

ReplyText LumoCommentaryServiceHandle::executeInPlace(const SNexaString& request) const
{
    if (!m_proxy)
        throw SCorbaSystemError("IDL:omg.org/CORBA/NO_IMPLEMENT:1.0", "NO_IMPLEMENT", 0,
                                SCorbaSystemError::COMPLETED_NO);
    CORBA::WString_var wideRequest = toCorba(request.str());
    CORBA::WString_var reply;
    try {
        reply = m_proxy->execute(wideRequest.in());
    } catch (const CORBA::Exception& ex) {
        throw SCorbaSystemError::fromException(ex);
    }
    if (!reply.in()) return ownBuffer(std::u16string());
    return narrowInPlace(reply);
}

SWCharString LumoCommentaryServiceHandle::lastFailureText() const
{
    return m_proxy ? m_proxy->getLastFailureText() : SWCharString();
}
