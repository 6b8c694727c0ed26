// The one way into RapidJSON for the whole project.
//
// RapidJSON's assertions are routed (see cmake/LumoCommon.cmake) to
// LUMO_JSON_ASSERT, defined here: a failed assertion is counted and traced at
// level 0, and never aborts the process.  Code that reads JSON looks members
// up and tests their types before reading them, so in a correct program the
// count stays 0; tests and fuzzers check that it does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace lumo_json {
void assertionFailed(const char* expression, const char* file, int line);
uint64_t assertionCount();
}  // namespace lumo_json

#define LUMO_JSON_ASSERT(x) ((x) ? (void)0 : ::lumo_json::assertionFailed(#x, __FILE__, __LINE__))

#include <rapidjson/document.h>
#include <rapidjson/encodings.h>
#include <rapidjson/reader.h>
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

// A SAX handler that hands every call on to another one, as long as objects
// and arrays are nested no deeper than a bound; the next one ends the parse.
template <class Handler>
class DepthBound {
public:
    using Ch = char16_t;
    using Size = rapidjson::SizeType;
    DepthBound(Handler& handler, unsigned bound) : m_handler(handler), m_bound(bound) {}
    bool exceeded() const { return m_exceeded; }

    bool Null() { return m_handler.Null(); }
    bool Bool(bool b) { return m_handler.Bool(b); }
    bool Int(int i) { return m_handler.Int(i); }
    bool Uint(unsigned u) { return m_handler.Uint(u); }
    bool Int64(int64_t i) { return m_handler.Int64(i); }
    bool Uint64(uint64_t u) { return m_handler.Uint64(u); }
    bool Double(double d) { return m_handler.Double(d); }
    bool RawNumber(const Ch* s, Size n, bool copy) { return m_handler.RawNumber(s, n, copy); }
    bool String(const Ch* s, Size n, bool copy) { return m_handler.String(s, n, copy); }
    bool Key(const Ch* s, Size n, bool copy) { return m_handler.Key(s, n, copy); }
    bool StartObject() { return enter() && m_handler.StartObject(); }
    bool EndObject(Size members) { return leave() && m_handler.EndObject(members); }
    bool StartArray() { return enter() && m_handler.StartArray(); }
    bool EndArray(Size elements) { return leave() && m_handler.EndArray(elements); }

private:
    bool enter()
    {
        m_exceeded = ++m_depth > m_bound;
        return !m_exceeded;
    }
    bool leave()
    {
        --m_depth;
        return true;
    }
    Handler& m_handler;
    const unsigned m_bound;
    unsigned m_depth = 0;
    bool m_exceeded = false;
};

// Reads a NUL-terminated UTF-16 text without building a document: each value
// goes to the handler (RapidJSON's SAX interface) as the reader meets it, so
// that a reader fills its own records directly.  True when the whole text
// parsed; on false the handler has seen a prefix of the text, and whatever it
// kept is to be dropped.  A null pointer does not parse.
//
// Design decision: RapidJSON's recursive reader runs first, since it is the
// faster one, but only down to kRecursiveDepth nested objects and arrays.  A
// text nested deeper is read again from its start, after handler.restart(),
// by the iterative reader that parse() uses: deep nesting costs the stack
// nothing beyond that bound.  Both readers call the handler alike on every
// text both read.
constexpr unsigned kRecursiveDepth = 32;

template <class Handler>
bool read(const char16_t* text, Handler& handler)
{
    if (!text) return false;
    {
        DepthBound<Handler> bounded(handler, kRecursiveDepth);
        rapidjson::GenericReader<Encoding, Encoding> reader;
        rapidjson::GenericStringStream<Encoding> stream(text);
        const bool parsed = !reader.Parse<rapidjson::kParseDefaultFlags>(stream, bounded).IsError();
        if (!bounded.exceeded()) return parsed;
    }
    handler.restart();
    rapidjson::GenericReader<Encoding, Encoding> reader;
    rapidjson::GenericStringStream<Encoding> stream(text);
    return !reader.Parse<rapidjson::kParseIterativeFlag>(stream, handler).IsError();
}

// Whether the units hold a NUL, four units at a time: a zero 16-bit lane of a
// word w sets its top bit in (w - 0x0001...) & ~w.  Texts almost never hold
// one, and a scan unit by unit cost a fifth of reading a get response.
inline bool hasNul(const char16_t* units, std::size_t length)
{
    constexpr uint64_t kLow = 0x0001000100010001u, kHigh = 0x8000800080008000u;
    std::size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        uint64_t word;
        std::memcpy(&word, units + i, sizeof word);
        if ((word - kLow) & ~word & kHigh) return true;
    }
    for (; i < length; ++i)
        if (units[i] == 0) return true;
    return false;
}

// The text a field takes from a JSON string value: every reader of JSON text
// (comments, responses, streamed or from a document) takes strings through
// this one rule.  The text is assigned as a NUL-terminated wide string, so an
// escaped NUL ("\u0000") ends it.
inline std::u16string_view fieldText(const char16_t* units, std::size_t length)
{
    const std::u16string_view text(units, length);
    return hasNul(units, length) ? text.substr(0, text.find(u'\0')) : text;
}

}  // namespace lumo_json
