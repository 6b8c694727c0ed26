#include "service/proxy/LumoCommentaryServiceHandle.h"

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
SWCharString fromCorba(const CORBA::WChar* wide)
{
    if (!wide) return SWCharString();
    std::size_t length = 0;
    while (wide[length]) ++length;
    std::u16string text;
    text.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const uint32_t unit = static_cast<uint32_t>(wide[i]);
        if (unit <= 0xFFFF) {
            text.push_back(static_cast<char16_t>(unit));
        } else if (unit <= 0x10FFFF) {
            const uint32_t v = unit - 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            text.push_back(u'\uFFFD');
        }
    }
    return SWCharString(std::move(text));
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
    if (!m_proxy)
        throw SCorbaSystemError("IDL:omg.org/CORBA/NO_IMPLEMENT:1.0", "NO_IMPLEMENT", 0,
                                SCorbaSystemError::COMPLETED_NO);
    CORBA::WString_var wideRequest = toCorba(request.str());
    try {
        CORBA::WString_var reply = m_proxy->execute(wideRequest.in());
        return fromCorba(reply.in());
    } catch (const CORBA::Exception& ex) {
        throw SCorbaSystemError::fromException(ex);
    }
}

SWCharString LumoCommentaryServiceHandle::lastFailureText() const
{
    return m_proxy ? m_proxy->getLastFailureText() : SWCharString();
}
