// Text conversions of numbers and addresses.
#pragma once

#include <cstdint>

#include "SString.h"

class SWCharStringConv {
public:
    // An address as "0x" and sixteen upper-case hexadecimal digits; the empty
    // text for a null pointer.
    static SWCharString ToString(const void* pointer);

    // A 64-bit integer in the radix (2 to 36; anything else renders as 10),
    // digits above 9 in upper case, a negative value with a leading '-'.
    static SWCharString ToString(int64_t value, int radix);

    // Parses the whole text as an integer in the radix: an optional sign, then
    // at least one digit, nothing else (no blanks).  Returns false, leaving
    // value unchanged, for anything else, including a value outside 64 bits.
    static bool FromString(const char16_t* text, int64_t& value, int radix);
};
