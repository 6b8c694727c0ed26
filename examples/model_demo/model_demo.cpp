// A short walk through the comment model: a comment becomes an add request
// and its JSON text; a get response's text becomes a list of comments.
#include <cstdio>
#include <memory>
#include <string>

#include "model/LumoCommentaryService_Nexa_API.h"
#include "platform/foundation/STraceCapture.h"

using namespace lumocommentaryservice_nexa_api;

namespace {

std::string utf8(const SWCharString& text) { return text.toUtf8(); }

Comment sampleComment()
{
    Comment comment;
    comment.setSourceCUID(u"AZx4k2_Quarterly_Report");
    comment.setOwnerCUID(u"user-1001");
    comment.setUserName(u"Ada");
    comment.setText(u"Revenue for Q3 looks 12 % too high \u2013 please check the \u20AC figures.");
    comment.setAppName(u"Lumo Reports");
    comment.setCreationTimestamp(1700000000123);
    return comment;
}

void showRequest()
{
    AddCommentRequest request(sampleComment());
    request.setLogonToken(u"LT1:ada:1700003600000:demo");
    STraceCapture validation(0);
    const bool valid = request.isValidComment();
    std::printf("Add request (%s):\n  %s\n\n", valid ? "valid" : "invalid", utf8(request.toJSON()).c_str());

    AddCommentRequest empty;
    empty.isValidComment();
    for (const std::string& line : validation.linesUtf8())
        std::printf("Validation of an empty add request: %s\n\n", line.c_str());
}

const char16_t* const kSampleGetResponse =
    u"{\"statusCode\":0,\"description\":\"success\",\"responseType\":2,\"comments\":["
    u"{\"sourceCUID\":\"AZx4k2_Quarterly_Report\",\"text\":\"Revenue for Q3 looks too high.\",\"commentId\":41,"
    u"\"userName\":\"Ada\",\"hidden\":false,\"lastmodifiedtimestamp\":1700000500000,\"creationtimestamp\":1700000000123},"
    u"{\"sourceCUID\":\"AZx4k2_Quarterly_Report\",\"text\":\"Checked: the \\u20AC rate was off. \\uD834\\uDD1E\","
    u"\"commentId\":42,\"userName\":\"Grace\",\"hidden\":true,\"lastmodifiedtimestamp\":-1,\"creationtimestamp\":951782400000}"
    u"]}";

void showComment(std::size_t index, const Comment& c)
{
    std::printf("  #%zu  id %d by %s%s\n", index, c.getCommentId(), utf8(c.getUserName()).c_str(),
                c.getHidden() ? " (hidden)" : "");
    std::printf("       \"%s\"\n", utf8(c.getText()).c_str());
    std::printf("       created  %s\n", utf8(Comment::formatTimestamp(c.getCreationTimestamp())).c_str());
    std::printf("       modified %s\n", c.getLastModifiedTimestamp() == -1
                                            ? "never"
                                            : utf8(Comment::formatTimestamp(c.getLastModifiedTimestamp())).c_str());
}

void showGetResponse()
{
    const GetCommentSuccessResponse response{SWCharString(kSampleGetResponse)};
    std::printf("Get response: status %d, \"%s\", type %d, %zu comments\n", response.getStatusCode(),
                utf8(response.getDescription()).c_str(), response.getResponseType(), response.getCommentCount());
    for (std::size_t i = 0; i < response.getCommentCount(); ++i) showComment(i, *response.getComment(i));

    const ErrorResponse error(
        u"{\"responseType\":5,\"description\":\"The request is not valid.\",\"errorCode\":\"CMNTRY 011\",\"statusCode\":-1}");
    std::printf("\nError response: status %d, code %s, \"%s\"\n", error.getStatusCode(),
                utf8(error.getErrorCode()).c_str(), utf8(error.getDescription()).c_str());
}

}  // namespace

int main()
{
    showRequest();
    showGetResponse();
    return 0;
}
