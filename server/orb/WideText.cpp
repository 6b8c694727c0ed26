#include "server/orb/WideText.h"

namespace lumo_server {

bool corbaWideToUtf16(const CORBA::WChar* text, std::u16string& out)
{
    out.clear();
    if (!text) return true;
    std::size_t length = 0;
    while (text[length]) ++length;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const auto unit = static_cast<unsigned long>(text[i]);
        if (unit > 0xFFFF) return false;
        out.push_back(static_cast<char16_t>(unit));
    }
    return true;
}

CORBA::WChar* utf16ToCorbaWide(const std::u16string& text)
{
    CORBA::WChar* out = CORBA::wstring_alloc(static_cast<CORBA::ULong>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) out[i] = static_cast<CORBA::WChar>(text[i]);
    out[text.size()] = 0;
    return out;
}

}  // namespace lumo_server
