// Writing a comment's JSON object: member order, omission rules, copies.
#include <gtest/gtest.h>

#include <functional>

#include "tests/native/model/ModelTestSupport.h"

namespace {

using lumocommentaryservice_nexa_api::Comment;
using model_test::commentJson;

struct WriteCase {
    const char* name;
    std::function<void(Comment&)> setUp;
    const char* expected;
};
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

const WriteCase kWriteCases[] = {
    {"Default", [](Comment&) {}, R"({"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"},
    {"CommentIdZeroIsWritten", [](Comment& c) { c.setCommentId(0); },
     R"({"commentId":0,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"},
    {"CommentIdMinusOneIsLeftOut", [](Comment& c) { c.setCommentId(-1); },
     R"({"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"},
    {"CommentIdMinusTwoIsWritten", [](Comment& c) { c.setCommentId(-2); },
     R"({"commentId":-2,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"},
    {"EmptyStringIsLeftOut", [](Comment& c) { c.setText(u""); },
     R"({"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"},
    {"SingleSpaceIsWritten", [](Comment& c) { c.setText(u" "); },
     R"({"text":" ","hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"},
    {"OrderIsTheWireOrderNotTheSetOrder",
     [](Comment& c) {
         c.setCommentId(12);
         c.setText(u"T");
         c.setSourceCUID(u"S");
     },
     R"({"sourceCUID":"S","text":"T","commentId":12,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"},
    {"TimestampsAre64Bit",
     [](Comment& c) {
         c.setCreationTimestamp(INT64_MIN);
         c.setLastModifiedTimestamp(INT64_MAX);
     },
     R"({"hidden":false,"lastmodifiedtimestamp":9223372036854775807,"creationtimestamp":-9223372036854775808})"},
    {"ConnecXionSitsBetweenAppDatapathAndOptionKey1",
     [](Comment& c) {
         c.setOptionKey1(u"o");
         c.setConnecXion(u"c");
         c.setAppDatapath(u"d");
     },
     R"({"appDatapath":"d","connecXion":"c","optionKey1":"o","hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"},
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

// fullComment() sets the fields in declaration order, not in wire order.
TEST(CommentCopy, CopiesEveryFieldAndStaysIndependent)
{
    Comment original = model_test::fullComment();
    const Comment constructed(original);
    Comment assigned;
    assigned = original;
    original.setText(u"changed");
    original.setHidden(false);
    EXPECT_EQ(commentJson(constructed), model_test::kFullCommentJson);
    EXPECT_EQ(commentJson(assigned), model_test::kFullCommentJson);
}

TEST(CommentDocument, AddToDocumentAddsTheMemberComment)
{
    lumo_json::Document document;
    document.SetObject();
    document.AddMember(lumo_json::Value(rapidjson::StringRef(u"before")), lumo_json::Value(1), document.GetAllocator());
    Comment c;
    c.setText(u"x");
    c.addToDocument(document);
    EXPECT_EQ(lumoUtf16ToUtf8(lumo_json::write(document)),
              R"({"before":1,"comment":{"text":"x","hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1}})");
}

TEST(CommentDocument, StringsAreCopiedIntoTheDocument)
{
    lumo_json::Document document;
    document.SetObject();
    {
        Comment c;
        c.setText(u"a text long enough to live on the heap, not inline in the value");
        c.addToDocument(document);
    }  // the comment and its strings are gone
    EXPECT_EQ(lumoUtf16ToUtf8(lumo_json::write(document)),
              R"({"comment":{"text":"a text long enough to live on the heap, not inline in the value",)"
              R"("hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1}})");
}

TEST(CommentDocument, NonObjectTargetsAreLeftAlone)
{
    lumo_json::Document document;  // null root
    model_test::fullComment().addToDocument(document);
    EXPECT_TRUE(document.IsNull());

    lumo_json::Value array(rapidjson::kArrayType);
    model_test::fullComment().toJSON(array, document.GetAllocator());
    EXPECT_TRUE(array.IsArray());
    EXPECT_EQ(array.Size(), 0u);
}

}  // namespace
