// Request JSON of every kind, compared as whole texts.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/native/model/ModelTestSupport.h"

namespace {

using namespace lumocommentaryservice_nexa_api;
using model_test::utf8;

Comment comment(int32_t id = -1)
{
    Comment c;
    c.setSourceCUID(u"doc-1");
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

#define DEFAULTS R"("hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"
#define HEAD(kind) R"({"requestType":)" #kind R"(,"logonToken":"","comment":{)"

const RequestCase kRequestCases[] = {
    {"DefaultAddWithoutToken", [] { return std::make_unique<AddCommentRequest>(); }, HEAD(1) DEFAULTS "}"},
    {"AddWithToken",
     [] {
         Comment c = comment();
         c.setText(u"Hello");
         auto r = std::make_unique<AddCommentRequest>(c);
         r->setLogonToken(u"LT1:alice:1:ab");
         return r;
     },
     R"({"requestType":1,"logonToken":"LT1:alice:1:ab","comment":{"sourceCUID":"doc-1","text":"Hello",)" DEFAULTS "}"},
    {"GetWithoutListsWritesEmptyArrays", [] { return std::make_unique<GetCommentRequest>(comment()); },
     HEAD(2) R"("sourceCUID":"doc-1",)" DEFAULTS R"(,"sortparams":[],"qualifiers":[]})"},
    {"GetWithListsInOrder",
     [] {
         auto r = std::make_unique<GetCommentRequest>(comment());
         r->appendSortParam(SortParamRecord(0, 1));
         r->appendSortParam(SortParamRecord(1, 0));
         r->appendQualifier(CommentQualifierRecord(0, u"10"));
         r->appendQualifier(CommentQualifierRecord(0, u""));
         return r;
     },
     HEAD(2) R"("sourceCUID":"doc-1",)" DEFAULTS
     R"(,"sortparams":[{"sortattribute":0,"sortorder":1},{"sortattribute":1,"sortorder":0}],)"
     R"("qualifiers":[{"qualifierattribute":0,"qualifiervalue":"10"},{"qualifierattribute":0,"qualifiervalue":""}]})"},
    {"Modify",
     [] {
         Comment c = comment(5);
         c.setText(u"Edited");
         return std::make_unique<ModifyCommentRequest>(c);
     },
     HEAD(3) R"("sourceCUID":"doc-1","text":"Edited","commentId":5,)" DEFAULTS "}"},
    {"Delete", [] { return std::make_unique<DeleteCommentRequest>(comment(0)); },
     HEAD(4) R"("sourceCUID":"doc-1","commentId":0,)" DEFAULTS "}"},
    {"HideAppendsTheCommentsOwnId", [] { return std::make_unique<HideCommentRequest>(comment(9), ids({3, 4})); },
     HEAD(6) R"("sourceCUID":"doc-1","commentId":9,)" DEFAULTS R"(,"CommentIds":[3,4,9]})"},
    {"HideKeepsADuplicateId", [] { return std::make_unique<HideCommentRequest>(comment(9), ids({9})); },
     HEAD(6) R"("sourceCUID":"doc-1","commentId":9,)" DEFAULTS R"(,"CommentIds":[9,9]})"},
    {"DefaultHideWritesAnEmptyArray", [] { return std::make_unique<HideCommentRequest>(); },
     HEAD(6) DEFAULTS R"(,"CommentIds":[]})"},
    {"DuplicateWithTarget", [] { return std::make_unique<DuplicateCommentRequest>(comment(), u"doc-2"); },
     HEAD(7) R"("sourceCUID":"doc-1",)" DEFAULTS R"(,"targetDocCuid":"doc-2"})"},
    {"DuplicateWithEmptyTargetStillWritesIt", [] { return std::make_unique<DuplicateCommentRequest>(); },
     HEAD(7) DEFAULTS R"(,"targetDocCuid":""})"},
    {"DefaultRequestIsKindZero", [] { return std::make_unique<DefaultCommentRequest>(comment()); },
     HEAD(0) R"("sourceCUID":"doc-1",)" DEFAULTS "}"},
};

class RequestJson : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestJson, WritesTheWholeText) { EXPECT_EQ(utf8(GetParam().make()->toJSON()), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Kinds, RequestJson, ::testing::ValuesIn(kRequestCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RequestState, GetCommentIsTheRequestsOwnCopy)
{
    Comment given = comment();
    DeleteCommentRequest request(given);
    given.setCommentId(99);
    Comment* own = request.getComment();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->getCommentId(), -1);
    own->setCommentId(3);
    EXPECT_EQ(utf8(request.toJSON()), HEAD(4) R"("sourceCUID":"doc-1","commentId":3,)" DEFAULTS "}");
}

}  // namespace
