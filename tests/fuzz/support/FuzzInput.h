#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/JsonSupport.h"

namespace lumo_fuzz {

// The bytes as little-endian UTF-16 code units (an odd last byte is dropped).
inline std::u16string utf16Units(const uint8_t* data, std::size_t size)
{
    std::u16string text;
    text.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return text;
}

inline void require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// A RapidJSON assertion means some code read a value without testing its type.
inline void requireNoJsonAssertion()
{
    require(lumo_json::assertionCount() == 0, "a RapidJSON assertion fired");
}

}  // namespace lumo_fuzz
