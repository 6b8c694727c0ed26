// Text that must survive writing and reading unchanged: characters outside
// the basic multilingual plane, lone surrogates, and characters that JSON
// escapes.
#include <gtest/gtest.h>

#include <string>

#include "tests/native/model/ModelTestSupport.h"

namespace {

using namespace lumocommentaryservice_nexa_api;

struct TextCase {
    const char* name;
    std::u16string text;
    std::u16string written;  // how the text appears between the quotes of the JSON string
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

const TextCase kTextCases[] = {
    {"GClefSurrogatePair", u"\U0001D11E", u"\U0001D11E"},
    {"MixedBoundaryCharacters", u"a\u0024\u00A2\u20AC\U0001D11Ez", u"a\u0024\u00A2\u20AC\U0001D11Ez"},
    {"Quotes", u"say \"hi\"", u"say \\\"hi\\\""},
    {"Backslashes", u"C:\\dir\\", u"C:\\\\dir\\\\"},
    {"ShortEscapes", u"\b\f\n\r\t", u"\\b\\f\\n\\r\\t"},
    {"OtherControlCharacters", u"\x01\x1F\x7F", u"\\u0001\\u001F\x7F"},
    {"EmbeddedNul", std::u16string(u"a\0b", 3), u"a\\u0000b"},
    {"SlashIsNotEscaped", u"a/b", u"a/b"},
    {"LoneHighSurrogate", u"x\xD834y", u"x\xD834y"},
    {"LoneLowSurrogate", u"x\xDD1Ey", u"x\xDD1Ey"},
    {"ReversedPair", u"\xDD1E\xD834", u"\xDD1E\xD834"},
    {"ByteOrderMarkAndNonCharacter", u"\uFEFF\uFFFF", u"\uFEFF\uFFFF"},
};

class TextRoundTrip : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextRoundTrip, CommentWritesTheExpectedFormAndReadsItBack)
{
    Comment c;
    c.setText(SWCharString(GetParam().text));
    c.setOptionKey3(SWCharString(GetParam().text));
    lumo_json::Document document;
    document.SetObject();
    c.toJSON(document, document.GetAllocator());
    const std::u16string json = lumo_json::write(document);
    const std::u16string quoted = u"\"" + GetParam().written + u"\"";
    EXPECT_EQ(json, u"{\"text\":" + quoted + u",\"optionKey3\":" + quoted +
                        u",\"hidden\":false,\"lastmodifiedtimestamp\":-1,\"creationtimestamp\":-1}");
    Comment back;
    back.fromJSON(SWCharString(json));
    EXPECT_EQ(back.getText().str(), GetParam().text);
    EXPECT_EQ(back.getOptionKey3().str(), GetParam().text);
}

TEST_P(TextRoundTrip, ResponsesReadTheWrittenForm)
{
    const std::u16string quoted = u"\"" + GetParam().written + u"\"";
    const ErrorResponse error(SWCharString(u"{\"description\":" + quoted + u",\"errorCode\":" + quoted + u"}"));
    EXPECT_EQ(error.getDescription().str(), GetParam().text);
    EXPECT_EQ(error.getErrorCode().str(), GetParam().text);
    EXPECT_EQ(DefaultCommentResponse(error.toJSON()).getDescription().str(), GetParam().text);
    const GetCommentSuccessResponse get{SWCharString(u"{\"comments\":[{\"text\":" + quoted + u"}]}")};
    ASSERT_EQ(get.getCommentCount(), 1u);
    EXPECT_EQ(get.getComment(0)->getText().str(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Texts, TextRoundTrip, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Escaped forms that other writers produce read as the characters they name.
struct EscapeCase {
    const char* name;
    std::u16string json;
    std::u16string text;
};
void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }

const EscapeCase kEscapeCases[] = {
    {"EscapedDollar", u"\\u0024", u"$"},
    {"EscapedCent", u"\\u00a2", u"\u00A2"},
    {"EscapedEuro", u"\\u20AC", u"\u20AC"},
    {"EscapedSurrogatePair", u"\\uD834\\uDD1E", u"\U0001D11E"},
    {"EscapedSlash", u"a\\/b", u"a/b"},
    {"EscapedNul", u"\\u0000", std::u16string(1, u'\0')},
    // A lone low surrogate, escaped, is kept as the one code unit it names.
    {"EscapedLoneLowSurrogate", u"x\\uDC00y", u"x\xDC00y"},
};

class EscapedText : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapedText, ReadsAsTheNamedCharacters)
{
    Comment c;
    c.fromJSON(SWCharString(u"{\"text\":\"" + GetParam().json + u"\"}"));
    EXPECT_EQ(c.getText().str(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Escapes, EscapedText, ::testing::ValuesIn(kEscapeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// RapidJSON rejects an escaped high surrogate that no escaped low surrogate
// follows; the whole text then counts as not parsed.
TEST(EscapedText, EscapedLoneHighSurrogateMakesTheTextUnreadable)
{
    Comment c;
    c.setText(u"kept");
    c.fromJSON(SWCharString(u"{\"text\":\"\\uD834\",\"commentId\":3}"));
    c.fromJSON(SWCharString(u"{\"text\":\"\\uD834\\u0041\",\"commentId\":3}"));
    EXPECT_EQ(model_test::utf8(c.getText()), "kept");
    EXPECT_EQ(c.getCommentId(), -1);
}

}  // namespace
