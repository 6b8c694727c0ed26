#include "server/orb/WideText.h"

#include <cstdint>
#include <cwchar>

#include "platform/foundation/SUnitBlocks.h"

namespace lumo_server {

bool corbaWideToUtf16(const CORBA::WChar* text, std::u16string& out)
{
    out.clear();
    if (!text) return true;
    const std::size_t length = std::wcslen(text);
    out.resize(length);
    char16_t* to = out.data();
    // Converts and checks in one pass.
    uint32_t above = 0;
    lumo_detail::forEachUnitInBlocks(length, [&](std::size_t i) {
        const auto unit = static_cast<uint32_t>(text[i]);
        above |= unit & 0xFFFF0000u;
        to[i] = static_cast<char16_t>(unit);
    });
    if (above == 0) return true;
    out.clear();
    return false;
}

CORBA::WChar* utf16ToCorbaWide(const std::u16string& text)
{
    const std::size_t length = text.size();
    CORBA::WChar* out = CORBA::wstring_alloc(static_cast<CORBA::ULong>(length));
    const char16_t* from = text.data();
    lumo_detail::forEachUnitInBlocks(length, [&](std::size_t i) { out[i] = static_cast<CORBA::WChar>(from[i]); });
    out[length] = 0;
    return out;
}

}  // namespace lumo_server
