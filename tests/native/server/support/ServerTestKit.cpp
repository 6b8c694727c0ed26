#include "tests/native/server/support/ServerTestKit.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "model/JsonSupport.h"
#include "platform/foundation/SString.h"

namespace server_test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "lumo-server-test-XXXXXX").string();
    if (!mkdtemp(&pattern[0])) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) close(fd);
        throw std::runtime_error("no free port");
    }
    close(fd);
    return ntohs(address.sin_port);
}

std::string member(const CommentMembers& comment, const std::string& key)
{
    for (const auto& m : comment)
        if (m.first == key) return m.second;
    return std::string();
}

bool hasMember(const CommentMembers& comment, const std::string& key)
{
    for (const auto& m : comment)
        if (m.first == key) return true;
    return false;
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
    reply.parsed = true;
    auto get = [&d](const char16_t* key) -> const lumo_json::Value* {
        auto m = d.FindMember(key);
        return m == d.MemberEnd() ? nullptr : &m->value;
    };
    if (auto v = get(u"statusCode"); v && v->IsInt()) reply.statusCode = v->GetInt();
    if (auto v = get(u"description"); v && v->IsString()) reply.description = scalar(*v);
    if (auto v = get(u"responseType"); v && v->IsInt()) reply.responseType = v->GetInt();
    if (auto v = get(u"errorCode"); v && v->IsString()) reply.errorCode = scalar(*v);
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
