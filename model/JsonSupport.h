// The one way into RapidJSON for the whole project.
//
// RapidJSON's assertions are routed (see cmake/LumoCommon.cmake) to
// LUMO_JSON_ASSERT, defined here: a failed assertion is counted and traced at
// level 0, and never aborts the process.  Code that reads JSON looks members
// up and tests their types before reading them, so in a correct program the
// count stays 0; tests and fuzzers check that it does.
#pragma once

#include <cstdint>
#include <string>

namespace lumo_json {
void assertionFailed(const char* expression, const char* file, int line);
uint64_t assertionCount();
}  // namespace lumo_json

#define LUMO_JSON_ASSERT(x) ((x) ? (void)0 : ::lumo_json::assertionFailed(#x, __FILE__, __LINE__))

#include <rapidjson/document.h>
#include <rapidjson/encodings.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace lumo_json {

// UTF-16 JSON over char16_t, the system's wire form.  It is RapidJSON's UTF16
// with one difference (a design decision): a code point that is itself a surrogate (only an
// escaped lone low surrogate, "\uDC00", produces one) is stored as that one
// code unit instead of tripping RapidJSON's assertion.  That is what happens
// anyway to a lone surrogate written unescaped, so every code unit of a text
// survives reading and writing unchanged.
struct Encoding : rapidjson::UTF16<char16_t> {
    template <typename OutputStream>
    static void Encode(OutputStream& os, unsigned codepoint)
    {
        if (codepoint <= 0xFFFF)
            os.Put(static_cast<char16_t>(codepoint));
        else
            rapidjson::UTF16<char16_t>::Encode(os, codepoint);
    }

    template <typename OutputStream>
    static void EncodeUnsafe(OutputStream& os, unsigned codepoint)
    {
        if (codepoint <= 0xFFFF)
            rapidjson::PutUnsafe(os, static_cast<char16_t>(codepoint));
        else
            rapidjson::UTF16<char16_t>::EncodeUnsafe(os, codepoint);
    }
};

using Document = rapidjson::GenericDocument<Encoding>;
using Value = rapidjson::GenericValue<Encoding>;
using Allocator = Document::AllocatorType;
using StringBuffer = rapidjson::GenericStringBuffer<Encoding>;
using Writer = rapidjson::Writer<StringBuffer, Encoding, Encoding>;

// Parses a NUL-terminated UTF-16 text into a fresh document.  The iterative
// parser is used, so deeply nested input cannot exhaust the stack, and the
// document's memory-pool allocator frees its values without recursion.  Text
// that does not parse (or a null pointer) gives a null root; the parser's
// error state is not meant to be consulted.
// Design decision: an embedded NUL code unit ends the text, as it ends every
// wide string the system passes around.
Document parse(const char16_t* text);

// The value as compact JSON text (no whitespace between tokens).  Strings are
// written code unit for code unit; only the quote, the backslash and control
// characters are escaped.
std::u16string write(const Value& value);

// The first member of that name, or null when the value is not an object or
// has no such member.
const Value* findMember(const Value& object, const char16_t* name);

// Typed reads of a member.  Each returns true and stores the value only when
// the member exists and has exactly the expected JSON type: an integer
// without fraction or exponent inside the type's range, or a string.  An
// absent member, null and any other type return false and leave out alone.
// A string is taken as a NUL-terminated wide string: an escaped "\u0000"
// ends it, and what follows is dropped.
bool getInt32(const Value& object, const char16_t* name, int32_t& out);
bool getInt64(const Value& object, const char16_t* name, int64_t& out);
bool getString(const Value& object, const char16_t* name, std::u16string& out);

}  // namespace lumo_json
