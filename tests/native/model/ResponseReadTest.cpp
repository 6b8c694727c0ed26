// Responses read from known, malformed and wrongly typed texts, and the
// comments of a get response.
#include <memory>
#include <string>

#include "tests/native/model/ModelTestSupport.h"

namespace {

using namespace lumocommentaryservice_nexa_api;
using model_test::utf8;
using model_test::wide;

TEST(ResponseRead, KnownTextsReadAndWriteBack)
{
    const char* success = R"({"statusCode":0,"description":"success","responseType":1})";
    const DefaultCommentResponse response(wide(success));
    EXPECT_EQ(std::to_string(response.getStatusCode()) + utf8(response.getDescription()) +
                  std::to_string(response.getResponseType()),
              "0success1");
    EXPECT_EQ(utf8(response.toJSON()), success);
    // The fixed error text, its members in another order; no error code written.
    const ErrorResponse error(
        wide(R"({"errorCode":"CMNTRY 011","statusCode":-1,"responseType":5,"description":"Not valid."})"));
    EXPECT_EQ(utf8(error.getErrorCode()), "CMNTRY 011");
    EXPECT_EQ(utf8(error.toJSON()), R"({"statusCode":-1,"description":"Not valid.","responseType":5})");
    // The type comes from the text, not from the class.
    EXPECT_EQ(ErrorResponse(wide(R"({"statusCode":2,"responseType":3,"errorCode":"E"})")).getResponseType(), 3);
    EXPECT_EQ(AddCommentSuccessResponse(wide(R"({"responseType":8})")).getResponseType(), 8);
}

// Texts that do not parse and members of the wrong shape count as absent:
// the text, then status|description|type|error code.
const std::pair<const char*, const char*> kCommonCases[] = {
    {R"({"statusCode":0,"description":"d"})", "0|d|0|"},
    {"", "0||0|"},
    {R"({"statusCode":3,"description":"x")", "0||0|"},
    {R"([{"statusCode":3,"responseType":5}])", "0||0|"},
    {R"({"statusCode":null,"description":null,"responseType":null,"errorCode":null})", "0||0|"},
    {R"({"statusCode":"5","responseType":5})", "0||5|"},
    {R"({"statusCode":1.5,"responseType":5})", "0||5|"},
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

const char* const kTwoComments = R"({"statusCode":0,"description":"success","responseType":2,)"
                                 R"("comments":[{"commentId":4,"text":"first"},{"commentId":5}]})";

TEST(GetResponse, HoldsTheCommentsInArrayOrderAndWritesNothing)
{
    const GetCommentSuccessResponse response(wide(kTwoComments));
    ASSERT_EQ(response.getCommentCount(), 2u);
    EXPECT_EQ(model_test::commentJson(*response.getComment(0)),
              R"({"text":"first","commentId":4,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})");
    EXPECT_EQ(model_test::commentJson(*response.getComment(1)),
              R"({"commentId":5,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})");
    EXPECT_EQ(response.getComment(2), nullptr);
    EXPECT_EQ(response.getComment(static_cast<std::size_t>(-1)), nullptr);
    EXPECT_TRUE(response.toJSON().isEmpty());
}

// The usable elements of "comments": objects only, in order.
TEST(GetResponse, ReadsTheUsableElementsOfComments)
{
    const std::pair<const char*, std::vector<int32_t>> cases[] = {
        {"", {}},
        {R"(,"comments":[])", {}},
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
        EXPECT_EQ(response.getResponseType(), 2);
    }
}

}  // namespace
