#include "server/orb/WideText.h"

#include <cstdint>

namespace lumo_server {

bool corbaWideToUtf16(const CORBA::WChar* text, std::u16string& out)
{
    out.clear();
    if (!text) return true;
    std::size_t length = 0;
    while (text[length]) ++length;
    out.resize(length);
    // One pass that converts and checks at once (the compiler vectorizes it).
    uint32_t above = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const auto unit = static_cast<uint32_t>(text[i]);
        above |= unit & 0xFFFF0000u;
        out[i] = static_cast<char16_t>(unit);
    }
    if (above == 0) return true;
    out.clear();
    return false;
}

CORBA::WChar* utf16ToCorbaWide(const std::u16string& text)
{
    CORBA::WChar* out = CORBA::wstring_alloc(static_cast<CORBA::ULong>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) out[i] = static_cast<CORBA::WChar>(text[i]);
    out[text.size()] = 0;
    return out;
}

}  // namespace lumo_server
