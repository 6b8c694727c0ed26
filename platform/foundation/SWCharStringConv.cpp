#include "SWCharStringConv.h"

#include <limits>

namespace {

int digitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'z') return c - u'a' + 10;
    if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
    return 99;
}

}  // namespace

SWCharString SWCharStringConv::ToString(const void* pointer)
{
    if (!pointer) return SWCharString();
    static const char16_t hex[] = u"0123456789ABCDEF";
    auto bits = reinterpret_cast<std::uintptr_t>(pointer);
    char16_t text[2 + 16 + 1] = u"0x";
    for (int i = 17; i >= 2; --i) {
        text[i] = hex[bits & 0xF];
        bits >>= 4;
    }
    text[18] = 0;
    return SWCharString(text);
}

SWCharString SWCharStringConv::ToString(int64_t value, int radix)
{
    if (radix < 2 || radix > 36) radix = 10;
    static const char16_t digits[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    // Work on the magnitude as unsigned so that INT64_MIN has one.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char16_t buffer[66];
    int pos = 65;
    buffer[pos] = 0;
    do {
        buffer[--pos] = digits[magnitude % static_cast<uint64_t>(radix)];
        magnitude /= static_cast<uint64_t>(radix);
    } while (magnitude != 0);
    if (value < 0) buffer[--pos] = u'-';
    return SWCharString(buffer + pos);
}

bool SWCharStringConv::FromString(const char16_t* text, int64_t& value, int radix)
{
    if (!text || radix < 2 || radix > 36) return false;
    const char16_t* p = text;
    bool negative = false;
    if (*p == u'-' || *p == u'+') negative = *p++ == u'-';
    if (*p == 0) return false;
    // Accumulate the magnitude and check against the limit of the sign.
    const uint64_t limit = negative ? static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1
                                    : static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    uint64_t magnitude = 0;
    for (; *p; ++p) {
        const int d = digitValue(*p);
        if (d >= radix) return false;
        if (magnitude > (limit - static_cast<uint64_t>(d)) / static_cast<uint64_t>(radix)) return false;
        magnitude = magnitude * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
    }
    value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}
