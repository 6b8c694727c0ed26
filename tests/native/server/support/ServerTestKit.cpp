#include "tests/native/server/support/ServerTestKit.h"

#include <cstdlib>

#include "model/JsonSupport.h"
#include "platform/foundation/SString.h"

namespace server_test {

std::string member(const CommentMembers& comment, const std::string& key)
{
    for (const auto& m : comment)
        if (m.first == key) return m.second;
    return std::string();
}

std::vector<int> Reply::ids() const
{
    std::vector<int> out;
    for (const CommentMembers& c : comments) out.push_back(std::atoi(member(c, "commentId").c_str()));
    return out;
}

std::u16string u16(const std::string& utf8) { return lumoUtf8ToUtf16(utf8); }
std::string u8(const std::u16string& utf16) { return lumoUtf16ToUtf8(utf16); }

namespace {

std::string scalar(const lumo_json::Value& v)
{
    if (v.IsString()) return u8(std::u16string(v.GetString(), v.GetStringLength()));
    if (v.IsBool()) return v.GetBool() ? "true" : "false";
    if (v.IsInt64()) return std::to_string(v.GetInt64());
    return "?";
}

CommentMembers readComment(const lumo_json::Value& object)
{
    CommentMembers out;
    if (!object.IsObject()) return out;
    for (auto m = object.MemberBegin(); m != object.MemberEnd(); ++m)
        out.emplace_back(scalar(m->name), scalar(m->value));
    return out;
}

}  // namespace

Reply readReply(const std::u16string& text)
{
    Reply reply;
    lumo_json::Document d;
    d.Parse(text.c_str());
    if (d.HasParseError() || !d.IsObject()) return reply;
    auto get = [&d](const char16_t* key) -> const lumo_json::Value* {
        auto m = d.FindMember(key);
        return m == d.MemberEnd() ? nullptr : &m->value;
    };
    if (auto v = get(u"statusCode"); v && v->IsInt()) reply.statusCode = v->GetInt();
    if (auto v = get(u"description"); v && v->IsString()) reply.description = scalar(*v);
    if (auto v = get(u"responseType"); v && v->IsInt()) reply.responseType = v->GetInt();
    if (auto v = get(u"comment")) reply.comment = readComment(*v);
    if (auto v = get(u"comments"); v && v->IsArray())
        for (rapidjson::SizeType i = 0; i < v->Size(); ++i) reply.comments.push_back(readComment((*v)[i]));
    return reply;
}

std::string quote(const std::string& utf8)
{
    lumo_json::StringBuffer buffer;
    lumo_json::Writer writer(buffer);
    const std::u16string text = u16(utf8);
    writer.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
    return u8(std::u16string(buffer.GetString(), buffer.GetSize() / sizeof(char16_t)));
}

std::string request(int type, const std::string& token, const std::string& commentMembers, const std::string& tail)
{
    return "{\"requestType\":" + std::to_string(type) + ",\"logonToken\":" + quote(token) + ",\"comment\":{" +
           commentMembers + "}" + tail + "}";
}

std::string getRequest(const std::string& token, const std::string& commentMembers, const std::string& sortparams,
                       const std::string& qualifiers)
{
    return request(2, token, commentMembers, ",\"sortparams\":[" + sortparams + "],\"qualifiers\":[" + qualifiers + "]");
}

}  // namespace server_test
