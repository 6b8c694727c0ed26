// Request JSON of every kind, compared as whole texts.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/foundation/STraceCapture.h"
#include "tests/native/model/ModelTestSupport.h"

namespace {

using namespace lumocommentaryservice_nexa_api;
using model_test::utf8;

Comment sourceOnly()
{
    Comment c;
    c.setSourceCUID(u"doc-1");
    return c;
}

Comment withId(int32_t id)
{
    Comment c = sourceOnly();
    c.setCommentId(id);
    return c;
}

SIntArray ids(std::initializer_list<int32_t> values)
{
    SIntArray array;
    for (int32_t v : values) array.append(v);
    return array;
}

struct RequestCase {
    const char* name;
    std::function<std::unique_ptr<CommentRequest>()> make;
    const char* expected;
};
void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

#define COMMENT_DEFAULTS R"("hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1)"

const RequestCase kRequestCases[] = {
    {"DefaultAddWithoutToken", [] { return std::make_unique<AddCommentRequest>(); },
     R"({"requestType":1,"logonToken":"","comment":{)" COMMENT_DEFAULTS "}}"},
    {"AddWithToken",
     [] {
         Comment c = sourceOnly();
         c.setText(u"Hello");
         auto r = std::make_unique<AddCommentRequest>(c);
         r->setLogonToken(u"LT1:alice:1:ab");
         return r;
     },
     R"({"requestType":1,"logonToken":"LT1:alice:1:ab","comment":{"sourceCUID":"doc-1","text":"Hello",)" COMMENT_DEFAULTS "}}"},
    {"GetWithoutListsWritesEmptyArrays", [] { return std::make_unique<GetCommentRequest>(sourceOnly()); },
     R"({"requestType":2,"logonToken":"","comment":{"sourceCUID":"doc-1",)" COMMENT_DEFAULTS
     R"(},"sortparams":[],"qualifiers":[]})"},
    {"GetWithOneSortParam",
     [] {
         auto r = std::make_unique<GetCommentRequest>(sourceOnly());
         r->appendSortParam(SortParamRecord(1, 0));
         return r;
     },
     R"({"requestType":2,"logonToken":"","comment":{"sourceCUID":"doc-1",)" COMMENT_DEFAULTS
     R"(},"sortparams":[{"sortattribute":1,"sortorder":0}],"qualifiers":[]})"},
    {"GetWithListsInOrder",
     [] {
         auto r = std::make_unique<GetCommentRequest>(sourceOnly());
         r->appendSortParam(SortParamRecord(0, 1));
         r->appendSortParam(SortParamRecord(1, 0));
         r->appendQualifier(CommentQualifierRecord(0, u"10"));
         r->appendQualifier(CommentQualifierRecord(0, u""));
         return r;
     },
     R"({"requestType":2,"logonToken":"","comment":{"sourceCUID":"doc-1",)" COMMENT_DEFAULTS
     R"(},"sortparams":[{"sortattribute":0,"sortorder":1},{"sortattribute":1,"sortorder":0}],)"
     R"("qualifiers":[{"qualifierattribute":0,"qualifiervalue":"10"},{"qualifierattribute":0,"qualifiervalue":""}]})"},
    {"Modify",
     [] {
         Comment c = withId(5);
         c.setText(u"Edited");
         return std::make_unique<ModifyCommentRequest>(c);
     },
     R"({"requestType":3,"logonToken":"","comment":{"sourceCUID":"doc-1","text":"Edited","commentId":5,)" COMMENT_DEFAULTS "}}"},
    {"Delete", [] { return std::make_unique<DeleteCommentRequest>(withId(0)); },
     R"({"requestType":4,"logonToken":"","comment":{"sourceCUID":"doc-1","commentId":0,)" COMMENT_DEFAULTS "}}"},
    {"HideAppendsTheCommentsOwnId", [] { return std::make_unique<HideCommentRequest>(withId(9), ids({3, 4})); },
     R"({"requestType":6,"logonToken":"","comment":{"sourceCUID":"doc-1","commentId":9,)" COMMENT_DEFAULTS
     R"(},"CommentIds":[3,4,9]})"},
    {"HideWithoutIdsWritesAnEmptyArray", [] { return std::make_unique<HideCommentRequest>(sourceOnly(), ids({})); },
     R"({"requestType":6,"logonToken":"","comment":{"sourceCUID":"doc-1",)" COMMENT_DEFAULTS R"(},"CommentIds":[]})"},
    {"HideKeepsADuplicateId", [] { return std::make_unique<HideCommentRequest>(withId(9), ids({9})); },
     R"({"requestType":6,"logonToken":"","comment":{"sourceCUID":"doc-1","commentId":9,)" COMMENT_DEFAULTS
     R"(},"CommentIds":[9,9]})"},
    {"DefaultHide", [] { return std::make_unique<HideCommentRequest>(); },
     R"({"requestType":6,"logonToken":"","comment":{)" COMMENT_DEFAULTS R"(},"CommentIds":[]})"},
    {"DuplicateWithTarget", [] { return std::make_unique<DuplicateCommentRequest>(sourceOnly(), u"doc-2"); },
     R"({"requestType":7,"logonToken":"","comment":{"sourceCUID":"doc-1",)" COMMENT_DEFAULTS R"(},"targetDocCuid":"doc-2"})"},
    {"DuplicateWithEmptyTargetStillWritesIt", [] { return std::make_unique<DuplicateCommentRequest>(); },
     R"({"requestType":7,"logonToken":"","comment":{)" COMMENT_DEFAULTS R"(},"targetDocCuid":""})"},
    {"DefaultRequestIsKindZero", [] { return std::make_unique<DefaultCommentRequest>(sourceOnly()); },
     R"({"requestType":0,"logonToken":"","comment":{"sourceCUID":"doc-1",)" COMMENT_DEFAULTS "}}"},
};

class RequestJson : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestJson, WritesTheWholeText)
{
    const std::unique_ptr<CommentRequest> request = GetParam().make();
    EXPECT_EQ(utf8(request->toJSON()), GetParam().expected);
}

TEST_P(RequestJson, WritingTwiceGivesTheSameText)
{
    const std::unique_ptr<CommentRequest> request = GetParam().make();
    EXPECT_EQ(request->toJSON(), request->toJSON());
}

TEST_P(RequestJson, ValidationDoesNotChangeTheText)
{
    const std::unique_ptr<CommentRequest> request = GetParam().make();
    STraceCapture quiet(-1);
    static_cast<DefaultCommentRequest&>(*request).isValidComment();
    EXPECT_EQ(utf8(request->toJSON()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RequestJson, ::testing::ValuesIn(kRequestCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RequestState, LogonTokenCanBeReplaced)
{
    AddCommentRequest request;
    request.setLogonToken(u"first");
    request.setLogonToken(u"second");
    EXPECT_EQ(utf8(request.getLogonToken()), "second");
    EXPECT_EQ(utf8(request.toJSON()),
              R"({"requestType":1,"logonToken":"second","comment":{)" COMMENT_DEFAULTS "}}");
}

TEST(RequestState, GetCommentIsTheRequestsOwnComment)
{
    Comment given = sourceOnly();
    DeleteCommentRequest request(given);
    given.setCommentId(99);  // the request holds a copy
    Comment* own = request.getComment();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own, request.getComment());
    EXPECT_EQ(own->getCommentId(), -1);
    own->setCommentId(3);
    EXPECT_EQ(utf8(request.toJSON()),
              R"({"requestType":4,"logonToken":"","comment":{"sourceCUID":"doc-1","commentId":3,)" COMMENT_DEFAULTS "}}");
}

TEST(RequestState, AddJsonMembersLeavesANonObjectDocumentAlone)
{
    const GetCommentRequest request(sourceOnly());
    lumo_json::Document document;  // null root
    request.addJSONMembers(document);
    EXPECT_TRUE(document.IsNull());
}

}  // namespace
