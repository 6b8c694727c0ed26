#include "model/JsonSupport.h"

#include <atomic>
#include <string>

#include "platform/foundation/STrace.h"

namespace {
std::atomic<uint64_t> g_assertions{0};
}

void lumo_json::assertionFailed(const char* expression, const char* file, int line)
{
    ++g_assertions;
    const std::string text = std::string("RapidJSON assertion failed: ") + (expression ? expression : "") +
                             " (" + (file ? file : "") + ":" + std::to_string(line) + ")";
    STraceErrorLine("JsonSupport", line, 0, text.c_str());
}

uint64_t lumo_json::assertionCount() { return g_assertions.load(); }

lumo_json::Document lumo_json::parse(const char16_t* text)
{
    Document document;
    if (text) document.Parse<rapidjson::kParseIterativeFlag>(text);
    return document;
}

std::u16string lumo_json::write(const Value& value)
{
    StringBuffer buffer;
    Writer writer(buffer);
    value.Accept(writer);
    // GetSize counts bytes, not code units.
    return std::u16string(buffer.GetString(), buffer.GetSize() / sizeof(char16_t));
}

const lumo_json::Value* lumo_json::findMember(const Value& object, const char16_t* name)
{
    if (!object.IsObject() || !name) return nullptr;
    const auto member = object.FindMember(name);
    return member == object.MemberEnd() ? nullptr : &member->value;
}
