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
const char* const kBaseline =
    R"({"sourceCUID":"src","text":"keep","commentId":7,"hidden":true,"lastmodifiedtimestamp":-1,"creationtimestamp":42})";

struct ReadCase {
    const char* name;
    const char* input;
    const char* expected;  // the comment's JSON after reading
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

const ReadCase kReadCases[] = {
    // Present members overwrite; others keep their values.
    {"TextIsRead", R"({"text":"new"})",
     R"({"sourceCUID":"src","text":"new","commentId":7,"hidden":true,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    {"EmptyStringIsRead", R"({"text":""})",
     R"({"sourceCUID":"src","commentId":7,"hidden":true,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    {"NumbersAreRead", R"({"commentId":-2,"creationtimestamp":1700000000123,"lastmodifiedtimestamp":0})",
     R"({"sourceCUID":"src","text":"keep","commentId":-2,"hidden":true,"lastmodifiedtimestamp":0,"creationtimestamp":1700000000123})"},
    {"CommentIdMinusOneIsRead", R"({"commentId":-1})",
     R"({"sourceCUID":"src","text":"keep","hidden":true,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    {"CommentIdAtInt32Minimum", R"({"commentId":-2147483648})",
     R"({"sourceCUID":"src","text":"keep","commentId":-2147483648,"hidden":true,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    {"TimestampAtInt64Maximum", R"({"creationtimestamp":9223372036854775807})",
     R"({"sourceCUID":"src","text":"keep","commentId":7,"hidden":true,"lastmodifiedtimestamp":-1,"creationtimestamp":9223372036854775807})"},
    // "hidden": true only for the literal true; null leaves it.
    {"HiddenOneIsFalse", R"({"hidden":1})",
     R"({"sourceCUID":"src","text":"keep","commentId":7,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    {"HiddenStringTrueIsFalse", R"({"hidden":"true"})",
     R"({"sourceCUID":"src","text":"keep","commentId":7,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    {"HiddenFalseIsFalse", R"({"hidden":false})",
     R"({"sourceCUID":"src","text":"keep","commentId":7,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    {"HiddenNullLeavesIt", R"({"hidden":null})", kBaseline},
    {"EmptyObjectLeavesEverything", R"({})", kBaseline},
    // Null, absent and unknown members.
    {"TextNullLeavesIt", R"({"text":null})", kBaseline},
    // A request text holds its comment under "comment": it is not read as the root.
    {"UnknownKeysAreIgnored", R"({"comment":{"text":"nested"},"extra":[1,2],"textx":"y"})", kBaseline},
    {"KeysAreCaseSensitive", R"({"Text":"x","sourceCuid":"y","CommentId":1,"creationTimestamp":5,"Hidden":false})",
     kBaseline},
    // The first occurrence of a key counts, whatever it holds.
    {"FirstDuplicateWins", R"({"text":"first","text":"second"})",
     R"({"sourceCUID":"src","text":"first","commentId":7,"hidden":true,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    {"FirstDuplicateNullWins", R"({"text":null,"text":"second"})", kBaseline},
    {"FirstDuplicateOfWrongTypeWins", R"({"commentId":"3","commentId":3})", kBaseline},
    // Members of another type count as absent.
    {"CommentIdAsString", R"({"commentId":"5"})", kBaseline},
    {"CommentIdWithFraction", R"({"commentId":5.0})", kBaseline},
    {"CommentIdWithExponent", R"({"commentId":1e2})", kBaseline},
    {"CommentIdAboveInt32", R"({"commentId":2147483648})", kBaseline},
    {"CommentIdBelowInt32", R"({"commentId":-2147483649})", kBaseline},
    {"CommentIdAsBoolean", R"({"commentId":true})", kBaseline},
    {"TimestampAboveInt64", R"({"creationtimestamp":9223372036854775808})", kBaseline},
    {"TimestampWithFraction", R"({"creationtimestamp":1.5})", kBaseline},
    {"TimestampAsString", R"({"creationtimestamp":"100"})", kBaseline},
    {"TextAsNumber", R"({"text":5})", kBaseline},
    {"TextAsObject", R"({"text":{"a":"b"}})", kBaseline},
    {"TextAsArray", R"({"text":["a"]})", kBaseline},
    // Text that is not a JSON object changes nothing.
    {"NotJson", "not json", kBaseline},
    {"EmptyText", "", kBaseline},
    {"Truncated", R"({"text":"new")", kBaseline},
    {"TrailingGarbage", R"({"text":"new"} x)", kBaseline},
    {"ArrayRoot", R"([{"text":"new"}])", kBaseline},
    {"StringRoot", R"("text")", kBaseline},
    {"NullRoot", "null", kBaseline},
    {"DeeplyNestedUnclosed", nullptr, kBaseline},  // input built below
};

std::string inputOf(const ReadCase& c) { return c.input ? c.input : std::string(100000, '['); }

class CommentRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(CommentRead, FromText)
{
    Comment comment = baseline();
    comment.fromJSON(wide(inputOf(GetParam())));
    EXPECT_EQ(commentJson(comment), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommentRead, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommentReadAll, EveryFieldIsRead)
{
    Comment comment;
    comment.fromJSON(wide(model_test::kFullCommentJson));
    EXPECT_EQ(commentJson(comment), model_test::kFullCommentJson);
}

}  // namespace
