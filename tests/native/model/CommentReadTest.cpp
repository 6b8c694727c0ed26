// Reading a comment from JSON: which members change which fields, and what
// leaves the comment as it was.
#include <gtest/gtest.h>

#include "tests/native/model/ModelTestSupport.h"

namespace {

using lumocommentaryservice_nexa_api::Comment;
using model_test::commentJson;
using model_test::wide;

// Every case reads into this comment, so that a field left alone is visible.
Comment baseline()
{
    Comment c;
    c.setSourceCUID(u"src");
    c.setText(u"keep");
    c.setCommentId(7);
    c.setHidden(true);
    c.setCreationTimestamp(42);
    return c;
}

std::string readInto(const std::string& input)
{
    Comment comment = baseline();
    comment.fromJSON(wide(input));
    return commentJson(comment);
}

struct ReadCase {
    const char* name;
    const char* input;
    const char* expected;  // the comment's JSON after reading
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

#define HEAD R"({"sourceCUID":"src",)"
#define TAIL R"("lastmodifiedtimestamp":-1,"creationtimestamp":42})"

const ReadCase kReadCases[] = {
    {"TextIsRead", R"({"text":"new"})", HEAD R"("text":"new","commentId":7,"hidden":true,)" TAIL},
    {"EmptyStringIsRead", R"({"text":""})", HEAD R"("commentId":7,"hidden":true,)" TAIL},
    {"NumbersAreRead", R"({"commentId":-2,"creationtimestamp":1700000000123,"lastmodifiedtimestamp":0})",
     HEAD R"("text":"keep","commentId":-2,"hidden":true,"lastmodifiedtimestamp":0,"creationtimestamp":1700000000123})"},
    {"CommentIdMinusOneIsRead", R"({"commentId":-1})", HEAD R"("text":"keep","hidden":true,)" TAIL},
    {"CommentIdAtInt32Minimum", R"({"commentId":-2147483648})",
     HEAD R"("text":"keep","commentId":-2147483648,"hidden":true,)" TAIL},
    {"TimestampAtInt64Maximum", R"({"creationtimestamp":9223372036854775807})",
     HEAD R"("text":"keep","commentId":7,"hidden":true,"lastmodifiedtimestamp":-1,)"
          R"("creationtimestamp":9223372036854775807})"},
    // "hidden" is true only for the literal true.
    {"HiddenOneIsFalse", R"({"hidden":1})", HEAD R"("text":"keep","commentId":7,"hidden":false,)" TAIL},
    {"HiddenStringTrueIsFalse", R"({"hidden":"true"})", HEAD R"("text":"keep","commentId":7,"hidden":false,)" TAIL},
    {"HiddenFalseIsFalse", R"({"hidden":false})", HEAD R"("text":"keep","commentId":7,"hidden":false,)" TAIL},
    // The first occurrence of a key counts, whatever it holds.
    {"FirstDuplicateWins", R"({"text":"first","text":"second"})",
     HEAD R"("text":"first","commentId":7,"hidden":true,)" TAIL},
};

class CommentRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(CommentRead, FromText) { EXPECT_EQ(readInto(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Cases, CommentRead, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Null, absent, unknown and wrongly typed members, and texts that are not a
// JSON object, leave every field as it was.
class CommentReadUnchanged : public ::testing::TestWithParam<const char*> {};

TEST_P(CommentReadUnchanged, FromText) { EXPECT_EQ(readInto(GetParam()), commentJson(baseline())); }

INSTANTIATE_TEST_SUITE_P(
    Texts, CommentReadUnchanged,
    ::testing::Values(R"({"hidden":null})", R"({})", R"({"text":null})",
                      // A request text holds its comment under "comment": it is not read as the root.
                      R"({"comment":{"text":"nested"},"extra":[1,2],"textx":"y"})",
                      R"({"Text":"x","sourceCuid":"y","CommentId":1,"creationTimestamp":5,"Hidden":false})",
                      R"({"text":null,"text":"second"})", R"({"commentId":"3","commentId":3})",
                      R"({"commentId":"5"})", R"({"commentId":5.0})", R"({"commentId":2147483648})",
                      R"({"commentId":-2147483649})", R"({"commentId":true})",
                      R"({"creationtimestamp":9223372036854775808})", R"({"creationtimestamp":"100"})",
                      R"({"text":5})", R"({"text":{"a":"b"}})", "not json", R"({"text":"new")", R"([{"text":"new"}])"));

// fullComment() sets the fields in declaration order, not in wire order.
TEST(CommentReadAll, EveryFieldIsWrittenInTheWireOrderAndReadBack)
{
    EXPECT_EQ(commentJson(model_test::fullComment()), model_test::kFullCommentJson);
    Comment comment;
    comment.fromJSON(wide(model_test::kFullCommentJson));
    EXPECT_EQ(commentJson(comment), model_test::kFullCommentJson);
}

}  // namespace
