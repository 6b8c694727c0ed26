// Writing a comment's JSON object: member order and omission rules.
#include <gtest/gtest.h>

#include <functional>

#include "tests/native/model/ModelTestSupport.h"

namespace {

using lumocommentaryservice_nexa_api::Comment;
using model_test::commentJson;

#define DEFAULTS R"("hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"

struct WriteCase {
    const char* name;
    std::function<void(Comment&)> setUp;
    const char* expected;
};
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

const WriteCase kWriteCases[] = {
    {"Default", [](Comment&) {}, "{" DEFAULTS},
    {"CommentIdZeroIsWritten", [](Comment& c) { c.setCommentId(0); }, R"({"commentId":0,)" DEFAULTS},
    {"CommentIdMinusOneIsLeftOut", [](Comment& c) { c.setCommentId(-1); }, "{" DEFAULTS},
    {"CommentIdMinusTwoIsWritten", [](Comment& c) { c.setCommentId(-2); }, R"({"commentId":-2,)" DEFAULTS},
    {"EmptyStringIsLeftOut", [](Comment& c) { c.setText(u""); }, "{" DEFAULTS},
    {"SingleSpaceIsWritten", [](Comment& c) { c.setText(u" "); }, R"({"text":" ",)" DEFAULTS},
    {"OrderIsTheWireOrderNotTheSetOrder",
     [](Comment& c) {
         c.setCommentId(12);
         c.setText(u"T");
         c.setSourceCUID(u"S");
     },
     R"({"sourceCUID":"S","text":"T","commentId":12,)" DEFAULTS},
    {"TimestampsAre64Bit",
     [](Comment& c) {
         c.setCreationTimestamp(INT64_MIN);
         c.setLastModifiedTimestamp(INT64_MAX);
     },
     R"({"hidden":false,"lastmodifiedtimestamp":9223372036854775807,"creationtimestamp":-9223372036854775808})"},
};

class CommentWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(CommentWrite, WritesExactly)
{
    Comment comment;
    GetParam().setUp(comment);
    EXPECT_EQ(commentJson(comment), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommentWrite, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommentDocument, AddToDocumentAddsACopyUnderTheMemberComment)
{
    lumo_json::Document document;
    document.SetObject();
    document.AddMember(lumo_json::Value(rapidjson::StringRef(u"before")), lumo_json::Value(1), document.GetAllocator());
    {
        Comment c;
        c.setText(u"a text long enough to live on the heap, not inline in the value");
        c.addToDocument(document);
    }  // the comment and its strings are gone
    EXPECT_EQ(lumoUtf16ToUtf8(lumo_json::write(document)),
              R"({"before":1,"comment":{"text":"a text long enough to live on the heap, not inline in the value",)"
              DEFAULTS "}");
}

TEST(CommentDocument, NonObjectTargetsAreLeftAlone)
{
    lumo_json::Document document;  // null root
    model_test::fullComment().addToDocument(document);
    EXPECT_TRUE(document.IsNull());
    lumo_json::Value array(rapidjson::kArrayType);
    model_test::fullComment().toJSON(array, document.GetAllocator());
    EXPECT_EQ(array.Size(), 0u);
}

TEST(CommentTimestamp, FormatsMonthDayYearTimeInUtc)
{
    EXPECT_EQ(model_test::utf8(Comment::formatTimestamp(1700000000123)), "Nov 14 2023 22:13:20");
    EXPECT_EQ(model_test::utf8(Comment::formatTimestamp(-1)), "Dec 31 1969 23:59:59");
}

}  // namespace
