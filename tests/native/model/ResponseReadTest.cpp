// Reading responses from their JSON texts, including malformed and wrongly
// typed input, and the comments of a get response.
#include <gtest/gtest.h>

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
    EXPECT_EQ(response.getStatusCode(), 0);
    EXPECT_EQ(utf8(response.getDescription()), "success");
    EXPECT_EQ(response.getResponseType(), 1);
    EXPECT_EQ(utf8(response.toJSON()), success);

    // The fixed error text, its members in another order than usual.
    const ErrorResponse error(
        wide(R"({"errorCode":"CMNTRY 011","statusCode":-1,"responseType":5,"description":"The request is not valid."})"));
    EXPECT_EQ(error.getStatusCode(), -1);
    EXPECT_EQ(error.getResponseType(), response_type::kError);
    EXPECT_EQ(utf8(error.getErrorCode()), "CMNTRY 011");
    // An error response writes no error code.
    EXPECT_EQ(utf8(error.toJSON()), R"({"statusCode":-1,"description":"The request is not valid.","responseType":5})");

    // The type comes from the text, not from the class.
    EXPECT_EQ(ErrorResponse(wide(R"({"statusCode":2,"responseType":3,"errorCode":"E"})")).getResponseType(), 3);
    EXPECT_EQ(AddCommentSuccessResponse(wide(R"({"responseType":8})")).getResponseType(), 8);
}

struct BuiltCase {
    const char* name;
    std::shared_ptr<CommentResponse> response;
    const char* expected;
};
void PrintTo(const BuiltCase& c, std::ostream* os) { *os << c.name; }

#define SUCCESS(type) R"({"statusCode":0,"description":"success","responseType":)" #type "}"

const BuiltCase kBuiltCases[] = {
    {"Default", std::make_shared<DefaultCommentResponse>(), R"({"statusCode":0,"description":"","responseType":0})"},
    {"DefaultWithValues", std::make_shared<DefaultCommentResponse>(3, u"three", 4),
     R"({"statusCode":3,"description":"three","responseType":4})"},
    {"Success", std::make_shared<SuccessResponse>(6), SUCCESS(6)},
    {"Add", std::make_shared<AddCommentSuccessResponse>(), SUCCESS(1)},
    {"Modify", std::make_shared<ModifyCommentSuccessResponse>(), SUCCESS(3)},
    {"Delete", std::make_shared<DeleteCommentSuccessResponse>(), SUCCESS(4)},
    {"Hide", std::make_shared<HideCommentSuccessResponse>(), SUCCESS(7)},
    {"Duplicate", std::make_shared<DuplicateCommentSuccessResponse>(), SUCCESS(8)},
    {"Error", std::make_shared<ErrorResponse>(404, u"Not found"),
     R"({"statusCode":404,"description":"Not found","responseType":5})"},
};

class BuiltResponse : public ::testing::TestWithParam<BuiltCase> {};

TEST_P(BuiltResponse, WritesItsMembers) { EXPECT_EQ(utf8(GetParam().response->toJSON()), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Kinds, BuiltResponse, ::testing::ValuesIn(kBuiltCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Malformed and wrongly typed texts

struct CommonCase {
    const char* name;
    const char* text;
    int32_t statusCode;
    const char* description;
    int32_t responseType;
    const char* errorCode;
};
void PrintTo(const CommonCase& c, std::ostream* os) { *os << c.name; }

const CommonCase kCommonCases[] = {
    {"MissingResponseType", R"({"statusCode":0,"description":"d"})", 0, "d", 0, ""},
    {"EmptyText", "", 0, "", 0, ""},
    {"NotJson", "<html>502 Bad Gateway</html>", 0, "", 0, ""},
    {"Truncated", R"({"statusCode":3,"description":"x")", 0, "", 0, ""},
    {"TrailingGarbage", R"({"statusCode":3} {"statusCode":4})", 0, "", 0, ""},
    {"ArrayRoot", R"([{"statusCode":3,"responseType":5}])", 0, "", 0, ""},
    {"NullMembers", R"({"statusCode":null,"description":null,"responseType":null,"errorCode":null})", 0, "", 0, ""},
    {"StatusAsString", R"({"statusCode":"5","responseType":5})", 0, "", 5, ""},
    {"StatusWithFraction", R"({"statusCode":1.5,"responseType":5})", 0, "", 5, ""},
    {"StatusAboveInt32", R"({"statusCode":2147483648,"responseType":5})", 0, "", 5, ""},
    {"StatusBelowInt32", R"({"statusCode":-2147483649,"responseType":5})", 0, "", 5, ""},
    {"StatusAtInt32Limits", R"({"statusCode":-2147483648,"responseType":2147483647})", INT32_MIN, "", INT32_MAX, ""},
    {"TypeAsBoolean", R"({"responseType":true})", 0, "", 0, ""},
    {"TypeAsHugeNumber", R"({"responseType":1e400})", 0, "", 0, ""},
    {"DescriptionAsObject", R"({"description":{"text":"x"},"responseType":5})", 0, "", 5, ""},
    {"ErrorCodeAsNumber", R"({"errorCode":11,"responseType":5})", 0, "", 5, ""},
    {"FirstDuplicateWins", R"({"statusCode":1,"statusCode":2,"errorCode":"A","errorCode":"B"})", 1, "", 0, "A"},
    {"KeysAreCaseSensitive", R"({"StatusCode":1,"Description":"d","responsetype":5,"ErrorCode":"E"})", 0, "", 0, ""},
};

class CommonMembers : public ::testing::TestWithParam<CommonCase> {};

TEST_P(CommonMembers, ReadAsDefaultErrorAndGetResponse)
{
    const CommonCase& c = GetParam();
    const DefaultCommentResponse plain(wide(c.text));
    EXPECT_EQ(plain.getStatusCode(), c.statusCode);
    EXPECT_EQ(utf8(plain.getDescription()), c.description);
    EXPECT_EQ(plain.getResponseType(), c.responseType);
    const ErrorResponse error(wide(c.text));
    EXPECT_EQ(error.getStatusCode(), c.statusCode);
    EXPECT_EQ(utf8(error.getDescription()), c.description);
    EXPECT_EQ(error.getResponseType(), c.responseType);
    EXPECT_EQ(utf8(error.getErrorCode()), c.errorCode);
    const GetCommentSuccessResponse get(wide(c.text));
    EXPECT_EQ(get.getStatusCode(), c.statusCode);
    EXPECT_EQ(get.getResponseType(), c.responseType);
    EXPECT_EQ(get.getCommentCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Texts, CommonMembers, ::testing::ValuesIn(kCommonCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The comments of a get response

const char* const kTwoComments =
    R"({"statusCode":0,"description":"success","responseType":2,)"
    R"("comments":[{"commentId":4,"text":"first"},{"commentId":5}]})";

TEST(GetResponse, HoldsTheCommentsInArrayOrderAndWritesNothing)
{
    const GetCommentSuccessResponse response(wide(kTwoComments));
    EXPECT_EQ(response.getStatusCode(), 0);
    EXPECT_EQ(utf8(response.getDescription()), "success");
    EXPECT_EQ(response.getResponseType(), 2);
    ASSERT_EQ(response.getCommentCount(), 2u);
    EXPECT_EQ(model_test::commentJson(*response.getComment(0)),
              R"({"text":"first","commentId":4,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})");
    EXPECT_EQ(model_test::commentJson(*response.getComment(1)),
              R"({"commentId":5,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})");
    EXPECT_EQ(response.getComment(2), nullptr);
    EXPECT_EQ(response.getComment(static_cast<std::size_t>(-1)), nullptr);
    EXPECT_TRUE(response.toJSON().isEmpty());
}

TEST(GetResponse, ACommentHandedOutIsTheResponsesOwnAndOutlivesIt)
{
    std::shared_ptr<Comment> kept;
    std::weak_ptr<Comment> other;
    {
        const GetCommentSuccessResponse response(wide(kTwoComments));
        response.getComment(0)->setText(u"changed through a view");
        EXPECT_EQ(response.getComment(0), response.getComments()[0]);
        kept = response.getComment(0);
        other = response.getComment(1);
    }
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept.use_count(), 1);
    EXPECT_EQ(utf8(kept->getText()), "changed through a view");
    EXPECT_TRUE(other.expired());  // released with the response, once
}

struct CommentsCase {
    const char* name;
    const char* comments;  // the value of "comments", or null for none
    std::vector<int32_t> ids;
};
void PrintTo(const CommentsCase& c, std::ostream* os) { *os << c.name; }

const CommentsCase kCommentsCases[] = {
    {"Absent", nullptr, {}},
    {"EmptyArray", "[]", {}},
    {"Null", "null", {}},
    {"Object", R"({"commentId":1})", {}},
    {"String", R"("[{\"commentId\":1}]")", {}},
    {"NonObjectElementsAreSkipped", R"([1,"x",null,{"commentId":3},[],true,{"commentId":8}])", {3, 8}},
    {"WronglyTypedMembersKeepDefaults", R"([{"commentId":"9","text":7,"hidden":"yes"}])", {-1}},
    {"EmptyObjectsAreDefaultComments", R"([{},{}])", {-1, -1}},
};

class GetResponseComments : public ::testing::TestWithParam<CommentsCase> {};

TEST_P(GetResponseComments, ReadsTheUsableElements)
{
    std::string text = R"({"statusCode":0,"responseType":2)";
    if (GetParam().comments) text += std::string(R"(,"comments":)") + GetParam().comments;
    const GetCommentSuccessResponse response(wide(text + "}"));
    EXPECT_EQ(response.getResponseType(), 2);
    std::vector<int32_t> ids;
    for (const auto& comment : response.getComments()) ids.push_back(comment->getCommentId());
    EXPECT_EQ(ids, GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(Shapes, GetResponseComments, ::testing::ValuesIn(kCommentsCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
