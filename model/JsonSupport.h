// The one way into RapidJSON for the whole project.
//
// RapidJSON's assertions are routed (see cmake/LumoCommon.cmake) to
// LUMO_JSON_ASSERT, defined here: a failed assertion is counted and traced at
// level 0, and never aborts the process.  Code that reads JSON looks members
// up and tests their types before reading them, so in a correct program the
// count stays 0; tests and fuzzers check that it does.
#pragma once

#include <cstdint>

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
// UTF-16 JSON over char16_t, the system's wire form.
using Encoding = rapidjson::UTF16<char16_t>;
using Document = rapidjson::GenericDocument<Encoding>;
using Value = rapidjson::GenericValue<Encoding>;
using Allocator = Document::AllocatorType;
using StringBuffer = rapidjson::GenericStringBuffer<Encoding>;
using Writer = rapidjson::Writer<StringBuffer, Encoding, Encoding>;
}  // namespace lumo_json
