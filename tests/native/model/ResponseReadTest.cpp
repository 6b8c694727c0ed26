#include <memory>
#include <string>

#include "tests/native/model/ModelTestSupport.h"

namespace {

using namespace lumocommentaryservice_nexa_api;
using model_test::utf8;
using model_test::wide;

// Members of texts that do not parse or of the wrong shape count as absent.
const std::pair<const char*, const char*> kCommonCases[] = {
    {R"({"statusCode":0,"description":"d"})", "0|d|0|"},
    {R"({"statusCode":3,"description":"x")", "0||0|"},
    {R"([{"statusCode":3,"responseType":5}])", "0||0|"},
    {R"({"statusCode":"5","responseType":5})", "0||5|"},
    {R"({"statusCode":2147483648,"responseType":5})", "0||5|"},
    {R"({"statusCode":-2147483649,"responseType":true})", "0||0|"},
    {R"({"statusCode":-2147483648,"responseType":2147483647})", "-2147483648||2147483647|"},
    {R"({"responseType":1e400,"description":{"text":"x"},"errorCode":11})", "0||0|"},
    {R"({"statusCode":1,"statusCode":2,"errorCode":"A","errorCode":"B"})", "1||0|A"},
    {R"({"StatusCode":1,"Description":"d","responsetype":5,"ErrorCode":"E"})", "0||0|"},
};

TEST(ResponseRead, CommonMembersAsDefaultErrorAndGetResponse)
{
    auto common = [](const DefaultCommentResponse& r) {
        return std::to_string(r.getStatusCode()) + "|" + utf8(r.getDescription()) + "|" +
               std::to_string(r.getResponseType()) + "|";
    };
    for (const auto& [text, expected] : kCommonCases) {
        const ErrorResponse error(wide(text));
        const GetCommentSuccessResponse get(wide(text));
        EXPECT_EQ(common(error) + utf8(error.getErrorCode()), expected) << text;
        EXPECT_EQ(common(DefaultCommentResponse(wide(text))) + utf8(error.getErrorCode()), expected) << text;
        EXPECT_EQ(common(get) + utf8(error.getErrorCode()) + std::to_string(get.getCommentCount()),
                  std::string(expected) + "0")
            << text;
    }
}

// The usable elements of "comments": objects only, in order.
TEST(GetResponse, HoldsTheObjectsOfCommentsInOrderAndWritesNothing)
{
    const std::pair<const char*, std::vector<int32_t>> cases[] = {
        {"", {}},
        {R"(,"comments":null)", {}},
        {R"(,"comments":{"commentId":1})", {}},
        {R"(,"comments":"[{\"commentId\":1}]")", {}},
        {R"(,"comments":[1,"x",null,{"commentId":3},[],true,{"commentId":8}])", {3, 8}},
        {R"(,"comments":[{"commentId":"9","text":7,"hidden":"yes"},{}])", {-1, -1}},
    };
    for (const auto& [comments, expected] : cases) {
        const GetCommentSuccessResponse response(wide(std::string(R"({"responseType":2)") + comments + "}"));
        std::vector<int32_t> ids;
        for (const auto& comment : response.getComments()) ids.push_back(comment->getCommentId());
        EXPECT_EQ(ids, expected) << comments;
        EXPECT_EQ(response.getComment(ids.size()), nullptr);
        EXPECT_TRUE(response.toJSON().isEmpty());
    }
    const GetCommentSuccessResponse two(wide(R"({"comments":[{"commentId":4,"text":"first"},{"commentId":5}]})"));
    EXPECT_EQ(model_test::commentJson(*two.getComment(0)),
              R"({"text":"first","commentId":4,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})");
    EXPECT_EQ(two.getComment(static_cast<std::size_t>(-1)), nullptr);
}

}  // namespace
