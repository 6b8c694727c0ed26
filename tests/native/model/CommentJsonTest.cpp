#include "tests/native/model/ModelTestSupport.h"

namespace {

using namespace lumocommentaryservice_nexa_api;
using model_test::commentJson;
using model_test::wide;

#define DEFAULTS R"("hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"

TEST(CommentJson, WritesTheMembersInWireOrderLeavingOutEmptyTextsAndIdMinusOne)
{
    const std::pair<void (*)(Comment&), const char*> cases[] = {
        {[](Comment&) {}, "{" DEFAULTS},
        {[](Comment& c) { c.setCommentId(0); }, R"({"commentId":0,)" DEFAULTS},
        {[](Comment& c) { c.setCommentId(-2); }, R"({"commentId":-2,)" DEFAULTS},
        {[](Comment& c) { c.setCommentId(-1), c.setText(u""), c.setOwnerCUID(u" "); }, R"({"ownerCUID":" ",)" DEFAULTS},
        {[](Comment& c) { c.setCommentId(12), c.setText(u"T"), c.setSourceCUID(u"S"); },
         R"({"sourceCUID":"S","text":"T","commentId":12,)" DEFAULTS},
        {[](Comment& c) { c.setCreationTimestamp(INT64_MIN), c.setLastModifiedTimestamp(INT64_MAX); },
         R"({"hidden":false,"lastmodifiedtimestamp":9223372036854775807,"creationtimestamp":-9223372036854775808})"},
    };
    for (const auto& [setUp, expected] : cases) {
        Comment comment;
        setUp(comment);
        EXPECT_EQ(commentJson(comment), expected);
    }
}

TEST(CommentJson, EveryFieldHasItsOwnKeyAndReadsBack)
{
    Comment c;
    c.setCommentId(12), c.setSourceCUID(u"src-1"), c.setOwnerCUID(u"owner-1"), c.setText(u"Totals look off");
    c.setUserName(u"alice"), c.setLastModifiedUserCuid(u"user-2"), c.setLastModifiedUserName(u"bob");
    c.setCreationTimestamp(1700000000123), c.setLastModifiedTimestamp(1700000999000), c.setLogicalReportId(u"rep-7");
    c.setContextCommon(u"ctx"), c.setAppName(u"Lumo"), c.setAppContext(u"app-ctx"), c.setAppDatapath(u"/data/p");
    c.setOptionKey1(u"k1"), c.setOptionKey2(u"k2"), c.setOptionKey3(u"k3"), c.setOptionKey4(u"k4");
    c.setConnecXion(u"cx"), c.setHidden(true);
    const std::string full =
        R"({"sourceCUID":"src-1","ownerCUID":"owner-1","text":"Totals look off","commentId":12,)"
        R"("logicalReportId":"rep-7","contextCommon":"ctx","appName":"Lumo","appContext":"app-ctx",)"
        R"("appDatapath":"/data/p","connecXion":"cx","optionKey1":"k1","optionKey2":"k2","optionKey3":"k3",)"
        R"("optionKey4":"k4","userName":"alice","lastModifiedUserCuid":"user-2","lastModifiedUserName":"bob",)"
        R"("hidden":true,"lastmodifiedtimestamp":1700000999000,"creationtimestamp":1700000000123})";
    EXPECT_EQ(commentJson(c), full);
    Comment back;
    back.fromJSON(wide(full));
    EXPECT_EQ(commentJson(back), full);
}

// The document gets a copy of the strings: it outlives the comment.
TEST(CommentJson, AddToDocumentAddsACopyUnderComment)
{
    lumo_json::Document document;
    document.SetObject();
    {
        Comment c;
        c.setText(u"a text long enough to live on the heap, not inline in the value");
        c.addToDocument(document);
    }
    EXPECT_EQ(lumoUtf16ToUtf8(lumo_json::write(document)),
              R"({"comment":{"text":"a text long enough to live on the heap, not inline in the value",)" DEFAULTS "}");
}

std::string readInto(const std::string& input)
{
    Comment c;
    c.setSourceCUID(u"src"), c.setText(u"keep"), c.setCommentId(7), c.setHidden(true), c.setCreationTimestamp(42);
    c.fromJSON(wide(input));
    return commentJson(c);
}
#define HEAD R"({"sourceCUID":"src",)"
#define KEPT HEAD R"("text":"keep","commentId":7,"hidden":true,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"

const std::pair<const char*, const char*> kReadCases[] = {
    {R"({"text":"new"})",
     HEAD R"("text":"new","commentId":7,"hidden":true,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    {R"({"text":"","commentId":-1})", HEAD R"("hidden":true,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    {R"({"commentId":-2147483648,"creationtimestamp":9223372036854775807,"lastmodifiedtimestamp":0})",
     HEAD R"("text":"keep","commentId":-2147483648,"hidden":true,"lastmodifiedtimestamp":0,)"
          R"("creationtimestamp":9223372036854775807})"},
    // "hidden" is true only for the literal true; the first of two keys counts.
    {R"({"hidden":1})",
     HEAD R"("text":"keep","commentId":7,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    {R"({"hidden":"true","text":"first","text":"second"})",
     HEAD R"("text":"first","commentId":7,"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":42})"},
    // Null, absent, unknown, nested, wrongly cased and wrongly typed members,
    // and texts that are not one JSON object, leave every field as it was.
    {R"({"hidden":null,"text":null,"text":"second"})", KEPT},
    {R"({"comment":{"text":"nested"},"Text":"x","sourceCuid":"y","CommentId":1,"Hidden":false})", KEPT},
    {R"({"commentId":"3","commentId":3})", KEPT},
    {R"({"commentId":5.0})", KEPT},
    {R"({"commentId":2147483648})", KEPT},
    {R"({"commentId":true,"creationtimestamp":"100"})", KEPT},
    {R"({"creationtimestamp":9223372036854775808})", KEPT},
    {R"({"text":5,"ownerCUID":{"a":"b"}})", KEPT},
    {"not json", KEPT},
    {R"([{"text":"new"}])", KEPT},
};

TEST(CommentJson, ReadingChangesExactlyTheUsableMembers)
{
    for (const auto& [input, expected] : kReadCases) EXPECT_EQ(readInto(input), expected) << input;
}

// Lone surrogates are kept unit for unit.
struct TextCase {
    const char* name;
    std::u16string text;
    std::u16string written;  // between the quotes of the JSON string
};
const TextCase kTextCases[] = {
    {"Boundary", u"$\u00A2\u20AC\U0001D11E \"q\"", u"$\u00A2\u20AC\U0001D11E \\\"q\\\""},
    {"LoneHighSurrogate", u"x\xD834y", u"x\xD834y"},
    {"LoneLowSurrogate", u"x\xDD1Ey", u"x\xDD1Ey"},
    {"ReversedPair", u"\xDD1E\xD834", u"\xDD1E\xD834"},
};

TEST(CommentJson, CommentsAndResponsesReadTheTextsTheCommentWrites)
{
    for (const TextCase& t : kTextCases) {
        SCOPED_TRACE(t.name);
        const std::u16string quoted = u"\"" + t.written + u"\"";
        Comment c;
        c.setText(SWCharString(t.text));
        lumo_json::Document document;
        document.SetObject();
        c.toJSON(document, document.GetAllocator());
        const std::u16string json = lumo_json::write(document);
        EXPECT_EQ(json,
                  u"{\"text\":" + quoted + u",\"hidden\":false,\"lastmodifiedtimestamp\":-1,\"creationtimestamp\":-1}");
        Comment back;
        back.fromJSON(SWCharString(json));
        EXPECT_EQ(back.getText().str(), t.text);
        const ErrorResponse error(SWCharString(u"{\"description\":" + quoted + u",\"errorCode\":" + quoted + u"}"));
        EXPECT_EQ(error.getDescription().str() + error.getErrorCode().str(), t.text + t.text);
        const GetCommentSuccessResponse get{SWCharString(u"{\"comments\":[" + json + u"]}")};
        ASSERT_EQ(get.getCommentCount(), 1u);
        EXPECT_EQ(get.getComment(0)->getText().str(), t.text);
    }
}

// A string read from JSON ends at an escaped U+0000.
TEST(TextRead, AnEscapedNulEndsTheStringAndAnEscapedLoneLowSurrogateStays)
{
    Comment c;
    c.fromJSON(wide(R"({"text":"a\u0000b","ownerCUID":"x\uDC00y"})"));
    EXPECT_EQ(c.getText().str(), u"a");
    EXPECT_EQ(c.getOwnerCUID().str(), u"x\xDC00y");
    const ErrorResponse error(wide(R"({"description":"d\u0000e","errorCode":"\u0000E"})"));
    EXPECT_EQ(model_test::utf8(error.getDescription()) + "|" + model_test::utf8(error.getErrorCode()), "d|");
    const GetCommentSuccessResponse get(wide(R"({"comments":[{"text":"t\u0000u"}]})"));
    EXPECT_EQ(get.getComment(0)->getText().str(), u"t");
}

}  // namespace
