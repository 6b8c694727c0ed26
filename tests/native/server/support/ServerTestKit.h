// Helpers shared by the server's tests: request texts as the module writes
// them, and replies read back.
#pragma once

#include <string>
#include <vector>

#include "tests/native/support/Processes.h"

namespace server_test {

using test_support::ChildProcess;
using test_support::freePort;
using test_support::readFile;
using test_support::TempDir;

// One comment of a reply: every member as text (strings as UTF-8, numbers in
// decimal, booleans as true/false), in the order they came.
using CommentMembers = std::vector<std::pair<std::string, std::string>>;
std::string member(const CommentMembers& comment, const std::string& key);  // "" when absent

struct Reply {
    int statusCode = -1;
    std::string description;
    int responseType = -1;
    std::vector<CommentMembers> comments;  // "comments" of a get
    CommentMembers comment;                // "comment" of an add
    std::vector<int> ids() const;          // commentId of each of comments
};
Reply readReply(const std::u16string& text);

std::u16string u16(const std::string& utf8);
std::string u8(const std::u16string& utf16);

// A JSON string literal (quotes included) for UTF-8 text.
std::string quote(const std::string& utf8);

// Request texts in the module's member order.  commentMembers is the inside
// of the comment object (e.g. "\"sourceCUID\":\"d\",\"text\":\"t\"").
std::string request(int type, const std::string& token, const std::string& commentMembers,
                    const std::string& tail = "");
std::string getRequest(const std::string& token, const std::string& commentMembers,
                       const std::string& sortparams = "", const std::string& qualifiers = "");

}  // namespace server_test
