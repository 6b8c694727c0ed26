#include "server/core/ResponseWriter.h"

#include "model/JsonSupport.h"

namespace lumo_server {
namespace {

using lumo_json::StringBuffer;
using lumo_json::Writer;

void key(Writer& w, const char16_t* name) { w.Key(name); }

void string(Writer& w, const SWCharString& s)
{
    w.String(s.c_str(), static_cast<rapidjson::SizeType>(s.length()));
}

void optionalString(Writer& w, const char16_t* name, const SWCharString& value)
{
    if (value.isEmpty()) return;
    key(w, name);
    string(w, value);
}

void writeComment(Writer& w, const CommentRecord& c)
{
    w.StartObject();
    optionalString(w, u"sourceCUID", c.sourceCUID);
    optionalString(w, u"ownerCUID", c.ownerCUID);
    optionalString(w, u"text", c.text);
    if (c.commentId != -1) {
        key(w, u"commentId");
        w.Int(c.commentId);
    }
    optionalString(w, u"logicalReportId", c.logicalReportId);
    optionalString(w, u"contextCommon", c.contextCommon);
    optionalString(w, u"appName", c.appName);
    optionalString(w, u"appContext", c.appContext);
    optionalString(w, u"appDatapath", c.appDatapath);
    optionalString(w, u"connecXion", c.connecXion);
    optionalString(w, u"optionKey1", c.optionKey1);
    optionalString(w, u"optionKey2", c.optionKey2);
    optionalString(w, u"optionKey3", c.optionKey3);
    optionalString(w, u"optionKey4", c.optionKey4);
    optionalString(w, u"userName", c.userName);
    optionalString(w, u"lastModifiedUserCuid", c.lastModifiedUserCuid);
    optionalString(w, u"lastModifiedUserName", c.lastModifiedUserName);
    key(w, u"hidden");
    w.Bool(c.hidden);
    key(w, u"lastmodifiedtimestamp");
    w.Int64(c.lastModifiedTimestamp);
    key(w, u"creationtimestamp");
    w.Int64(c.creationTimestamp);
    w.EndObject();
}

void writeHead(Writer& w, int32_t statusCode, const SWCharString& description, int32_t responseType)
{
    key(w, u"statusCode");
    w.Int(statusCode);
    key(w, u"description");
    string(w, description);
    key(w, u"responseType");
    w.Int(responseType);
}

std::u16string text(const StringBuffer& buffer)
{
    // GetSize counts bytes.
    return std::u16string(buffer.GetString(), buffer.GetSize() / sizeof(char16_t));
}

const SWCharString kSuccess(u"success");

// The buffer starts large enough for a reply with one comment.
constexpr std::size_t kFirstCapacityBytes = 2048;

// One response object: what writeMembers writes, in braces, as text.
template <class WriteMembers>
std::u16string writeObject(const WriteMembers& writeMembers)
{
    StringBuffer buffer(nullptr, kFirstCapacityBytes);
    Writer w(buffer);
    w.StartObject();
    writeMembers(w);
    w.EndObject();
    return text(buffer);
}

}  // namespace

std::u16string ResponseWriter::success(int32_t responseType)
{
    return writeObject([&](Writer& w) { writeHead(w, 0, kSuccess, responseType); });
}

std::u16string ResponseWriter::addSuccess(const CommentRecord& stored)
{
    return writeObject([&](Writer& w) {
        writeHead(w, 0, kSuccess, 1);
        key(w, u"comment");
        writeComment(w, stored);
    });
}

std::u16string ResponseWriter::getSuccess(const std::vector<CommentRecord>& comments)
{
    return writeObject([&](Writer& w) {
        writeHead(w, 0, kSuccess, 2);
        key(w, u"comments");
        w.StartArray();
        for (const CommentRecord& c : comments) writeComment(w, c);
        w.EndArray();
    });
}

std::u16string ResponseWriter::error(const ServerError& error)
{
    return writeObject([&](Writer& w) {
        writeHead(w, error.statusCode, error.description, 5);
        key(w, u"errorCode");
        string(w, SWCharString::fromUtf8(error.errorCode));
    });
}

std::u16string ResponseWriter::comment(const CommentRecord& comment)
{
    StringBuffer buffer;
    Writer w(buffer);
    writeComment(w, comment);
    return text(buffer);
}

}  // namespace lumo_server
