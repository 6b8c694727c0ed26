#include "tests/fuzz/support/DocumentResponseReader.h"

#include "model/LumoCommentaryService_Nexa_API.h"

namespace lumo_fuzz {
namespace {

using lumo_json::Value;
using namespace lumocommentaryservice_nexa_api;

int32_t readInt32(const Value& object, const char16_t* name)
{
    const Value* value = lumo_json::findMember(object, name);
    return value && value->IsInt() ? value->GetInt() : 0;
}

std::u16string readString(const Value& object, const char16_t* name)
{
    const Value* value = lumo_json::findMember(object, name);
    // Assigned as a NUL-terminated wide string: an escaped NUL ends it.
    return value && value->IsString() ? std::u16string(value->GetString()) : std::u16string();
}

// One member as a line: numbers in decimal, texts as they are (a line break
// in a text cannot pass for the next member: every text is followed by its
// length).
std::u16string line(int64_t number) { return SWCharString::fromUtf8(std::to_string(number)).str() + u"\n"; }
std::u16string line(const std::u16string& text) { return text + u"|" + line(int64_t(text.size())); }

std::u16string commentLine(const Comment& comment)
{
    lumo_json::Document object;
    object.SetObject();
    comment.toJSON(object, object.GetAllocator());
    return line(lumo_json::write(object));
}

std::u16string common(const DefaultCommentResponse& response)
{
    return line(response.getStatusCode()) + line(response.getDescription().str()) + line(response.getResponseType());
}

}  // namespace

std::u16string readByModel(const std::u16string& text)
{
    const ErrorResponse error(text.c_str());
    const GetCommentSuccessResponse get(text.c_str());
    std::u16string reading = common(DefaultCommentResponse(text.c_str())) + common(error) +
                             line(error.getErrorCode().str()) + common(get);
    for (const auto& comment : get.getComments()) reading += commentLine(*comment);
    return reading;
}

std::u16string readByDocument(const std::u16string& text)
{
    const lumo_json::Document document = lumo_json::parse(text.c_str());
    const std::u16string common = line(readInt32(document, u"statusCode")) + line(readString(document, u"description")) +
                                  line(readInt32(document, u"responseType"));
    std::u16string reading = common + common + line(readString(document, u"errorCode")) + common;
    const Value* comments = lumo_json::findMember(document, u"comments");
    if (!comments || !comments->IsArray()) return reading;
    for (const Value& element : comments->GetArray()) {
        if (!element.IsObject()) continue;
        Comment comment;
        comment.fromJSON(element);
        reading += commentLine(comment);
    }
    return reading;
}

}  // namespace lumo_fuzz
