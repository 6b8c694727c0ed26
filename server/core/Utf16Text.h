// Checks and conversions of UTF-16 text at the server's edges.
#pragma once

#include <cstddef>
#include <string>

namespace lumo_server {

// True when the text is well-formed UTF-16 (every surrogate paired) and holds
// no U+0000.  Stored text must be both: SQL text columns cannot carry U+0000
// and a lone surrogate cannot be stored as UTF-8 without loss.
bool isStorableUtf16(const char16_t* text, std::size_t length);

// Lossless for storable text.
std::string utf16ToUtf8(const std::u16string& text);
std::u16string utf8ToUtf16(const std::string& text);

}  // namespace lumo_server
