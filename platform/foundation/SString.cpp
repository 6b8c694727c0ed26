#include "SString.h"
#include "SUnitBlocks.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

bool isHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The end of the run of ASCII units that starts at from.
std::size_t asciiRunEnd(const std::u16string& text, std::size_t from)
{
    const char16_t* t = text.data();
    std::size_t i = from;
    for (; i + lumo_detail::kUnitBlock <= text.size(); i += lumo_detail::kUnitBlock) {
        char16_t any = 0;
        for (std::size_t k = 0; k < lumo_detail::kUnitBlock; ++k) any |= t[i + k];
        if (any >= 0x80) break;
    }
    while (i < text.size() && t[i] < 0x80) ++i;
    return i;
}

// Appends text[from, to), all ASCII, a byte each.
void appendAscii(std::string& out, const std::u16string& text, std::size_t from, std::size_t to)
{
    const std::size_t at = out.size();
    out.resize(at + (to - from));
    char* p = &out[at];
    const char16_t* t = text.data() + from;
    lumo_detail::forEachUnitInBlocks(to - from, [&](std::size_t i) { p[i] = static_cast<char>(t[i]); });
}

}  // namespace

std::string lumoUtf16ToUtf8(const std::u16string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Runs of ASCII, most of any text here, go over without per-byte appends.
        const std::size_t run = asciiRunEnd(text, i);
        if (run > i) {
            appendAscii(out, text, i, run);
            if (run == text.size()) break;
            i = run;
        }
        char32_t u = text[i];
        if (isHighSurrogate(u) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            u = 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
            u = kReplacement;
        }
        appendUtf8(out, u);
    }
    return out;
}

std::u16string lumoUtf8ToUtf16(const std::string& text)
{
    std::u16string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char lead = p[i];
        int extra = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07, minimum = 0x10000;
        } else {
            appendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        std::size_t j = 1;
        for (; j <= static_cast<std::size_t>(extra); ++j) {
            if (i + j >= n || (p[i + j] & 0xC0) != 0x80) break;
            cp = (cp << 6) | (p[i + j] & 0x3F);
        }
        if (j <= static_cast<std::size_t>(extra) || cp < minimum || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            appendUtf16(out, kReplacement);
            i += j;
            continue;
        }
        appendUtf16(out, cp);
        i += j;
    }
    return out;
}

SWCharString SWCharString::fromUtf8(const std::string& utf8)
{
    return SWCharString(lumoUtf8ToUtf16(utf8));
}

std::string SWCharString::toUtf8() const
{
    return lumoUtf16ToUtf8(str());
}
