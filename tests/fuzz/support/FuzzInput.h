// Turning fuzz bytes into the system's UTF-16 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/JsonSupport.h"

namespace lumo_fuzz {

// The bytes as UTF-16 code units, two bytes per unit, little-endian; an odd
// last byte is dropped.  Every unit value is possible, lone surrogates and
// NUL included.
inline std::u16string utf16Units(const uint8_t* data, std::size_t size)
{
    std::u16string text;
    text.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return text;
}

// Stops the run (libFuzzer then saves the input) when a check fails.
inline void require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// No RapidJSON assertion may ever fire: each one means that some code read a
// value without testing its type first.
inline void requireNoJsonAssertion()
{
    require(lumo_json::assertionCount() == 0, "a RapidJSON assertion fired");
}

}  // namespace lumo_fuzz
