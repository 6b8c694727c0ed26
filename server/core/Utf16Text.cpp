#include "server/core/Utf16Text.h"

#include "platform/foundation/SString.h"
#include "platform/foundation/SUnitBlocks.h"

namespace lumo_server {

namespace {

using lumo_detail::kUnitBlock;

bool hasNulOrSurrogate(const char16_t* block)
{
    unsigned found = 0;
    for (std::size_t k = 0; k < kUnitBlock; ++k) found |= (block[k] == 0) | ((block[k] & 0xF800) == 0xD800);
    return found != 0;
}

}  // namespace

bool isStorableUtf16(const char16_t* text, std::size_t length)
{
    if (!text) return length == 0;
    for (std::size_t i = 0; i < length; ++i) {
        while (i + kUnitBlock <= length && !hasNulOrSurrogate(text + i)) i += kUnitBlock;
        if (i == length) break;
        const char16_t unit = text[i];
        if (unit == 0) return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 >= length || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

std::string utf16ToUtf8(const std::u16string& text) { return lumoUtf16ToUtf8(text); }

std::u16string utf8ToUtf16(const std::string& text) { return lumoUtf8ToUtf16(text); }

}  // namespace lumo_server
