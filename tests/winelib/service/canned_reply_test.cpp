// Replies of every response type, from a server that answers each call with
// the text of a file (its --fault reply option): the reply's own type decides
// the response class; a type without one hands out nothing and gives S_FALSE.
#include "tests/winelib/support/WinelibGTest.h"

#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <fstream>

#include "tests/winelib/service/ServiceTestSupport.h"

using namespace comtest;
using namespace svctest;

namespace {

struct CannedCase {
    const char* reply;
    HRESULT result;
    const char* cls;  // "" when no response is handed out
    const char* description;
};

const CannedCase kCases[] = {
    {"{\"statusCode\":0,\"description\":\"r1\",\"responseType\":1}", S_OK, "AddCommentSuccessResponse", "r1"},
    {"{\"statusCode\":0,\"description\":\"r2\",\"responseType\":2,\"comments\":[{\"commentId\":9,\"text\":\"canned\"}]}",
     S_OK, "GetCommentSuccessResponse", "r2"},
    {"{\"statusCode\":0,\"description\":\"r3\",\"responseType\":3}", S_OK, "ModifyCommentSuccessResponse", "r3"},
    {"{\"statusCode\":0,\"description\":\"r4\",\"responseType\":4}", S_OK, "DeleteCommentSuccessResponse", "r4"},
    {"{\"statusCode\":409,\"description\":\"r5\",\"responseType\":5,\"errorCode\":\"CMNTRY 999\"}", S_OK,
     "CommentErrorResponse", "r5"},
    {"{\"statusCode\":0,\"description\":\"r7\",\"responseType\":7}", S_OK, "HideCommentSuccessResponse", "r7"},
    {"{\"statusCode\":0,\"description\":\"r8\",\"responseType\":8}", S_OK, "DuplicateCommentSuccessResponse", "r8"},
    {"{\"statusCode\":0,\"description\":\"connected\",\"responseType\":6}", S_FALSE, "", ""},
    {"{\"statusCode\":0,\"description\":\"r0\",\"responseType\":0}", S_FALSE, "", ""},
    {"{\"statusCode\":0,\"description\":\"r9\",\"responseType\":9}", S_FALSE, "", ""},
    {"this is not JSON", S_FALSE, "", ""},
    {"", S_FALSE, "", ""},
};

class ServiceCannedReply : public ::testing::TestWithParam<CannedCase> {};

}  // namespace

TEST_P(ServiceCannedReply, TheReplysTypeChoosesTheResponseClass)
{
    const char* file = std::getenv("LUMO_TEST_CANNED_REPLY");
    ASSERT_NE(nullptr, file) << "LUMO_TEST_CANNED_REPLY names the file the server answers with";
    ConnectedService connected;
    ASSERT_NO_FATAL_FAILURE(Connect(connected));
    const CannedCase& c = GetParam();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << c.reply;
    }
    ISCommentResponse* response = Sentinel<ISCommentResponse*>();
    // An add request: what comes back is decided by the reply alone.
    ScopedComPtr<ISCommentRequest> request = AddRequest(UniqueDocument("canned"), u"text");
    EXPECT_HR(c.result, connected.so.service->AddComment(request.Get(), &response));
    if (*c.cls == '\0') {
        EXPECT_EQ(Sentinel<ISCommentResponse*>(), response) << "nothing is handed out";
        return;
    }
    ScopedComPtr<ISCommentResponse> owned(response);
    const Reply reply = Read(owned.Get());
    EXPECT_EQ(c.cls, reply.cls);
    EXPECT_EQ(c.description, reply.description);
    if (reply.cls == "GetCommentSuccessResponse") {
        EXPECT_EQ(std::vector<std::string>{"canned"}, Texts(reply));
    }
    if (reply.cls == "CommentErrorResponse") {
        EXPECT_EQ("CMNTRY 999|409", reply.errorCode + "|" + std::to_string(reply.status));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryType, ServiceCannedReply, ::testing::ValuesIn(kCases));
