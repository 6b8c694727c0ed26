// The model parses with RapidJSON's iterative parser (no recursion).  On
// every text the default parser accepts it must build the same document, and
// a text the default parser rejects must leave it with a null root.
#include <gtest/gtest.h>

#include <string>

#include "tests/native/model/ModelTestSupport.h"

namespace {

using model_test::wide;

std::string nested(int depth) { return std::string(depth, '[') + "1" + std::string(depth, ']'); }

const std::string kTexts[] = {
    // Accepted texts.
    R"({"statusCode":0,"description":"success","responseType":2,"comments":[{"commentId":4,"text":"a"},{"commentId":5}]})",
    R"({})", R"([])", R"({"a":{}})", R"([[],{},[{}]])", "null", "true", "false", R"("root string")", "0", "-0",
    "5", "-5", "1.5", "-1.5e-7", "1E+2", "0.1e1", "1e308", "1e-400", "2147483647", "2147483648", "-2147483649",
    "9223372036854775807", "9223372036854775808", "18446744073709551615", "18446744073709551616",
    "123456789012345678901234567890", " \t\r\n{ \"a\" : [ 1 , 2 ] } \n", R"({"a":1,"a":2,"a":null})",
    R"({"e":"\"\\\/\b\f\n\r\t\u0041\u00e9\uD834\uDD1E"})", R"({"x":[1,[2,[3,[4,{"y":[5]}]]]],"z":{"w":{"v":true}}})",
    R"({"":""})", R"(["\u0000"])", R"({"a":[1e2,1.0,-0.0,0e0]})", nested(1000),
    // Rejected texts.
    "", " ", "{", "}", "[", "]", "[1,]", R"({"a":1,})", "[1 2]", "01", "1.", ".5", "-", "+1", "tru", "nul", "falsee",
    R"("\x")", "{} x", "[] []", R"("\uD800")", R"("\uD800\u0041")", R"({"a" 1})", "{1:2}", R"({"a":})",
    "\"unterminated", "[\"a\nb\"]", "1e", "1e+", "--1", "NaN", "Infinity", "[1,2", R"({"a":[}])", nested(5000) + "]",
};

class ParserEquivalence : public ::testing::TestWithParam<std::string> {};

TEST_P(ParserEquivalence, ModelParseAgreesWithTheDefaultParser)
{
    const SWCharString text = wide(GetParam());
    lumo_json::Document recursive;
    recursive.Parse<rapidjson::kParseDefaultFlags>(text.c_str());
    const lumo_json::Document model = lumo_json::parse(text.c_str());
    if (recursive.HasParseError())
        EXPECT_TRUE(model.IsNull());
    else
        EXPECT_EQ(lumo_json::write(model), lumo_json::write(recursive));
}

INSTANTIATE_TEST_SUITE_P(Texts, ParserEquivalence, ::testing::ValuesIn(kTexts));

TEST(ModelParse, NullTextGivesANullDocument) { EXPECT_TRUE(lumo_json::parse(nullptr).IsNull()); }

TEST(ModelParse, EmbeddedNulEndsTheText)
{
    const std::u16string text(u"{\"a\":1}\0garbage", 15);
    const lumo_json::Document document = lumo_json::parse(text.c_str());
    EXPECT_EQ(lumo_json::write(document), u"{\"a\":1}");
}

TEST(ModelParse, DeepNestingNeedsNoStack)
{
    const std::string deep = std::string(1000000, '[') + std::string(1000000, ']');
    const lumo_json::Document document = lumo_json::parse(wide(deep).c_str());
    ASSERT_TRUE(document.IsArray());
    EXPECT_EQ(document.Size(), 1u);
}

}  // namespace
