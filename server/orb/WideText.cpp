#include "server/orb/WideText.h"

#include <cstdint>
#include <cwchar>

namespace lumo_server {

namespace {

// Loops in blocks of a fixed count: the compiler turns a block into vector
// instructions at -O2, which it does not do for a loop of unknown length.
constexpr std::size_t kBlock = 8;

}  // namespace

bool corbaWideToUtf16(const CORBA::WChar* text, std::u16string& out)
{
    out.clear();
    if (!text) return true;
    const std::size_t length = std::wcslen(text);
    out.resize(length);
    char16_t* to = out.data();
    // Converts and checks in one pass.
    uint32_t above = 0;
    const auto convert = [&](std::size_t at) {
        const auto unit = static_cast<uint32_t>(text[at]);
        above |= unit & 0xFFFF0000u;
        to[at] = static_cast<char16_t>(unit);
    };
    std::size_t i = 0;
    for (; i + kBlock <= length; i += kBlock)
        for (std::size_t k = 0; k < kBlock; ++k) convert(i + k);
    for (; i < length; ++i) convert(i);
    if (above == 0) return true;
    out.clear();
    return false;
}

CORBA::WChar* utf16ToCorbaWide(const std::u16string& text)
{
    const std::size_t length = text.size();
    CORBA::WChar* out = CORBA::wstring_alloc(static_cast<CORBA::ULong>(length));
    const char16_t* from = text.data();
    std::size_t i = 0;
    for (; i + kBlock <= length; i += kBlock)
        for (std::size_t k = 0; k < kBlock; ++k) out[i + k] = static_cast<CORBA::WChar>(from[i + k]);
    for (; i < length; ++i) out[i] = static_cast<CORBA::WChar>(from[i]);
    out[length] = 0;
    return out;
}

}  // namespace lumo_server
