// Replies of every response type, from a server that answers each call with
// the text of a file (its --fault reply option): the reply's own type decides
// the response class; a type without one hands out nothing and gives S_FALSE.
#include "tests/winelib/support/WinelibGTest.h"

#include <cstdlib>
#include <fstream>

#include "tests/winelib/service/ServiceTestSupport.h"

using namespace comtest;
using namespace svctest;

namespace {

struct CannedCase {
    const char* reply;
    const char* response;  // Summary(), then |text of each comment; "" when nothing is handed out
};

const CannedCase kCases[] = {
    {R"({"statusCode":0,"description":"r1","responseType":1})", "AddCommentSuccessResponse|0|r1|1|"},
    {R"({"statusCode":0,"description":"r2","responseType":2,"comments":[{"commentId":9,"text":"canned"}]})",
     "GetCommentSuccessResponse|0|r2|2||canned"},
    {R"({"statusCode":0,"description":"r3","responseType":3})", "ModifyCommentSuccessResponse|0|r3|3|"},
    {R"({"statusCode":0,"description":"r4","responseType":4})", "DeleteCommentSuccessResponse|0|r4|4|"},
    {R"({"statusCode":409,"description":"r5","responseType":5,"errorCode":"CMNTRY 999"})",
     "CommentErrorResponse|409|r5|5|CMNTRY 999"},
    {R"({"statusCode":0,"description":"r7","responseType":7})", "HideCommentSuccessResponse|0|r7|7|"},
    {R"({"statusCode":0,"description":"r8","responseType":8})", "DuplicateCommentSuccessResponse|0|r8|8|"},
    {R"({"statusCode":0,"description":"connected","responseType":6})", ""},
    {R"({"statusCode":0,"description":"r9","responseType":9})", ""},
    {"this is not JSON", ""},
};

void PrintTo(const CannedCase& c, std::ostream* out) { *out << "reply " << c.reply; }

class ServiceCannedReply : public ::testing::TestWithParam<CannedCase> {};

}  // namespace

TEST_P(ServiceCannedReply, TheReplysTypeChoosesTheResponseClass)
{
    const char* file = std::getenv("LUMO_TEST_CANNED_REPLY");
    ASSERT_NE(nullptr, file) << "LUMO_TEST_CANNED_REPLY names the file the server answers with";
    ConnectedService connected;
    ASSERT_NO_FATAL_FAILURE(Connect(connected));
    std::ofstream(file, std::ios::binary | std::ios::trunc) << GetParam().reply;
    // An add request: what comes back is decided by the reply alone.
    ISCommentResponse* response = Sentinel<ISCommentResponse*>();
    const HRESULT hr = connected.so.service->AddComment(AddRequest(UniqueDocument("canned"), u"text").Get(), &response);
    if (!*GetParam().response) {
        EXPECT_HR(S_FALSE, hr);
        EXPECT_EQ(Sentinel<ISCommentResponse*>(), response) << "nothing is handed out";
        return;
    }
    EXPECT_HR(S_OK, hr);
    ScopedComPtr<ISCommentResponse> owned(response);
    const Reply reply = Read(owned.Get());
    std::string shown = Summary(reply);
    for (const std::string& text : Texts(reply)) shown += "|" + text;
    EXPECT_EQ(GetParam().response, shown);
}

INSTANTIATE_TEST_SUITE_P(EveryType, ServiceCannedReply, ::testing::ValuesIn(kCases));
