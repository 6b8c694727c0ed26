// The request reader: every form the module writes, and every malformed or
// mistyped text with its exact error.  The comment of each form is written
// back as the server writes comments (empty texts and id -1 left out).
#include <gtest/gtest.h>

#include "model/JsonSupport.h"
#include "server/core/RequestReader.h"
#include "server/core/ResponseWriter.h"
#include "server/core/Utf16Text.h"
#include "tests/native/server/support/ServerTestKit.h"

using lumo_server::CommentaryRequest;
using lumo_server::RequestReader;
using server_test::u16;
using server_test::u8;

namespace {

// A request read, as one line of text; its comment as the server writes it.
std::string describe(const CommentaryRequest& r)
{
    std::string out = "type " + std::to_string(r.requestType);
    if (r.hasLogonToken) out += " token " + r.logonToken.toUtf8();
    for (const auto& s : r.sortParams) out += " sort " + std::to_string(s.attribute) + "/" + std::to_string(s.order);
    for (const auto& q : r.qualifiers) out += " top " + std::to_string(q.attribute) + ":" + q.value.toUtf8();
    for (int32_t id : r.commentIds) out += " id " + std::to_string(id);
    if (r.requestType == lumo_server::kDuplicateRequest) out += " target " + r.targetDocCuid.toUtf8();
    return out + " " + u8(lumo_server::ResponseWriter::comment(r.comment));
}

// Every member, in the order the module writes them; the text holds U+1D11E
// as given (escaped or not).
std::string fullComment(const std::string& gClef)
{
    return "{\"sourceCUID\":\"s\",\"ownerCUID\":\"o\",\"text\":\"t" + gClef +
           "\",\"commentId\":-7,\"logicalReportId\":\"l\",\"contextCommon\":\"cc\",\"appName\":\"an\","
           "\"appContext\":\"ac\",\"appDatapath\":\"ad\",\"connecXion\":\"cx\",\"optionKey1\":\"k1\","
           "\"optionKey2\":\"k2\",\"optionKey3\":\"k3\",\"optionKey4\":\"k4\",\"userName\":\"un\","
           "\"lastModifiedUserCuid\":\"mc\",\"lastModifiedUserName\":\"mn\",\"hidden\":true,"
           "\"lastmodifiedtimestamp\":1700000000123,\"creationtimestamp\":-1}";
}
const std::string kDefaults = R"("hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})";
const std::string kEmpty = "{" + kDefaults;

TEST(ServerReader, ReadsTheFormsTheModuleWrites)
{
    const struct {
        std::string text, expected;
    } cases[] = {
        {R"({"requestType":1,"logonToken":"","comment":)" + kEmpty + "}", "type 1 token  " + kEmpty},
        {R"({"requestType":3,"logonToken":"T","comment":)" + fullComment("\\ud834\\udd1e") + "}",
         "type 3 token T " + fullComment("\U0001D11E")},
        {R"({"requestType":2,"logonToken":"T","comment":{"sourceCUID":"doc"},)"
         R"("sortparams":[{"sortattribute":1,"sortorder":0},{"sortattribute":0,"sortorder":1}],)"
         R"("qualifiers":[{"qualifierattribute":0,"qualifiervalue":"5"},)"
         R"({"qualifierattribute":0,"qualifiervalue":""}]})",
         R"(type 2 token T sort 1/0 sort 0/1 top 0:5 top 0: {"sourceCUID":"doc",)" + kDefaults},
        {R"({"requestType":6,"logonToken":"T","comment":{},"CommentIds":[3,4,9]})",
         "type 6 token T id 3 id 4 id 9 " + kEmpty},
        {R"({"requestType":7,"logonToken":"T","comment":{},"targetDocCuid":""})", "type 7 token T target  " + kEmpty},
        {R"({"requestType":5})", "type 5 " + kEmpty},
        // Only empty texts and the id -1 are left out when written.
        {R"({"requestType":4,"logonToken":"T","comment":{"ownerCUID":" ","commentId":0}})",
         R"(type 4 token T {"ownerCUID":" ","commentId":0,)" + kDefaults},
        // The missing token is refused later, by the token check.
        {R"({"requestType":1,"comment":{}})", "type 1 " + kEmpty},
        // Unknown and foreign members are ignored.
        {R"( { "extra" : null , "requestType" : 1 , "logonToken" : "T" ,)"
         R"( "comment" : { "x" : [ 1 , { } ] , "text" : "x" } , "CommentIds" : "no" } )",
         R"(type 1 token T {"text":"x",)" + kDefaults},
    };
    const RequestReader reader;
    const uint64_t assertionsBefore = lumo_json::assertionCount();
    for (const auto& c : cases) {
        const auto result = reader.read(u16(c.text));
        ASSERT_TRUE(result.ok) << c.text << ": " << result.error.description.toUtf8();
        EXPECT_EQ(describe(result.request), c.expected);
    }
    EXPECT_EQ(lumo_json::assertionCount(), assertionsBefore);
}

std::u16string withUnit(const std::string& before, char16_t unit, const std::string& after)
{
    return u16(before) + std::u16string(1, unit) + u16(after);
}

// Every refusal is a 400; the error code and text are given.
TEST(ServerReader, RejectsEveryMalformedOrMistypedRequest)
{
    const std::string add = R"({"requestType":1,"logonToken":"T","comment":)";
    const std::string get = R"({"requestType":2,"logonToken":"T","comment":{},)";
    const std::string notAnObject = "Malformed request: the text is not a JSON object";
    const struct {
        std::u16string text;
        const char* errorCode;
        std::string description;
    } cases[] = {
        {u"", "CMNTRY 101", notAnObject},
        {u"[]", "CMNTRY 101", notAnObject},
        {u"{} x", "CMNTRY 101", notAnObject},
        {withUnit("{\"requestType\":5}", 0, "garbage"), "CMNTRY 101", notAnObject},
        {u"{}", "CMNTRY 102", "Missing member: requestType"},
        {u"{\"requestType\":1.0}", "CMNTRY 103", "Wrong type of member: requestType"},
        {u"{\"requestType\":1,\"requestType\":1}", "CMNTRY 104", "Duplicate member: requestType"},
        {u"{\"requestType\":8}", "CMNTRY 105", "Unknown request type: 8"},
        {u"{\"requestType\":1,\"logonToken\":null,\"comment\":{}}", "CMNTRY 103", "Wrong type of member: logonToken"},
        {u"{\"requestType\":1,\"logonToken\":\"T\"}", "CMNTRY 102", "Missing member: comment"},
        {u16(add + "[]}"), "CMNTRY 103", "Wrong type of member: comment"},
        {u16(add + "{\"text\":5}}"), "CMNTRY 103", "Wrong type of member: comment.text"},
        {u16(add + "{\"commentId\":2147483648}}"), "CMNTRY 103", "Wrong type of member: comment.commentId"},
        {u16(add + "{\"hidden\":1}}"), "CMNTRY 103", "Wrong type of member: comment.hidden"},
        {u16(add + "{\"creationtimestamp\":1.5}}"), "CMNTRY 103", "Wrong type of member: comment.creationtimestamp"},
        {u16(add + "{\"text\":\"a\",\"text\":\"b\"}}"), "CMNTRY 104", "Duplicate member: comment.text"},
        // A comment's errors come in the order of its keys, not of its members.
        {u16(add + "{\"hidden\":0,\"text\":\"a\",\"text\":\"b\"}}"), "CMNTRY 104", "Duplicate member: comment.text"},
        {u16(add + "{\"hidden\":true,\"hidden\":true,\"optionKey3\":1}}"), "CMNTRY 103",
         "Wrong type of member: comment.optionKey3"},
        {u16(add + "{\"creationtimestamp\":1,\"creationtimestamp\":2}}"), "CMNTRY 104",
         "Duplicate member: comment.creationtimestamp"},
        {withUnit(add + "{\"appName\":\"a", 0xD800, "\"}}"), "CMNTRY 106", "Ill-formed text in member: comment.appName"},
        {withUnit(add + "{\"appName\":\"a", 0xDC00, "b\"}}"), "CMNTRY 106", "Ill-formed text in member: comment.appName"},
        {u16(add + "{\"optionKey4\":\"a\\u0000\"}}"), "CMNTRY 106", "Ill-formed text in member: comment.optionKey4"},
        {u16(add + "{\"text\":\"a\\ud800\",\"appName\":\"\\uDBFF\\u0041\"}}"), "CMNTRY 106", "Ill-formed text in member: comment.text"},
        {u16(get + "\"qualifiers\":[]}"), "CMNTRY 102", "Missing member: sortparams"},
        {u16(get + "\"sortparams\":[1],\"qualifiers\":[]}"), "CMNTRY 103", "Wrong type of member: sortparams[0]"},
        {u16(get + "\"sortparams\":[{\"sortattribute\":0}],\"qualifiers\":[]}"), "CMNTRY 102",
         "Missing member: sortparams[0].sortorder"},
        {u16(get + "\"sortparams\":[],\"qualifiers\":[{\"qualifierattribute\":0,\"qualifiervalue\":3}]}"),
         "CMNTRY 103", "Wrong type of member: qualifiers[0].qualifiervalue"},
        {u16(get + "\"sortparams\":[]}"), "CMNTRY 102", "Missing member: qualifiers"},
        {u"{\"requestType\":6,\"logonToken\":\"T\",\"comment\":{}}", "CMNTRY 102", "Missing member: CommentIds"},
        {u"{\"requestType\":6,\"logonToken\":\"T\",\"comment\":{},\"CommentIds\":[1,\"2\"]}", "CMNTRY 103",
         "Wrong type of member: CommentIds[1]"},
        {u"{\"requestType\":7,\"logonToken\":\"T\",\"comment\":{},\"targetDocCuid\":5}", "CMNTRY 103",
         "Wrong type of member: targetDocCuid"},
        {u"{\"requestType\":5,\"comment\":\"x\"}", "CMNTRY 103", "Wrong type of member: comment"},
    };
    const RequestReader reader;
    const uint64_t assertionsBefore = lumo_json::assertionCount();
    for (const auto& c : cases) {
        const auto result = reader.read(c.text);
        ASSERT_FALSE(result.ok) << u8(c.text);
        EXPECT_EQ(result.error.statusCode, 400) << u8(c.text);
        EXPECT_EQ(result.error.errorCode, c.errorCode) << u8(c.text);
        EXPECT_EQ(result.error.description.toUtf8(), c.description) << u8(c.text);
    }
    EXPECT_EQ(lumo_json::assertionCount(), assertionsBefore);
}

// Texts are stored only without a NUL or a lone surrogate, wherever it
// stands (the check runs in blocks of 8 units).
TEST(ServerReader, StorableTextHasNoNulOrLoneSurrogateAnywhere)
{
    const struct {
        std::u16string units;
        bool storable;
    } cases[] = {
        {std::u16string(1, u'\0'), false}, {u"\xD800", false}, {u"\xDBFF" u"x", false},
        {u"\xDC00", false},               {u"\xDFFF\xD800", false}, {u"\xD834\xDD1E", true},
        {u"\xFFFF\xE000\xD7FF", true},
    };
    for (const auto& c : cases)
        for (std::size_t at = 0; at <= 20; ++at) {
            std::u16string text(20, u'a');
            text.insert(at, c.units);
            EXPECT_EQ(lumo_server::isStorableUtf16(text.data(), text.size()), c.storable) << at;
        }
    EXPECT_TRUE(lumo_server::isStorableUtf16(nullptr, 0));
}

TEST(ServerReader, DeepNestingCostsNoStack)
{
    const std::size_t depth = 200000;
    const std::string text = "{\"requestType\":5,\"x\":" + std::string(depth, '[') + std::string(depth, ']') + "}";
    lumo_server::RequestLimits limits;
    limits.maxRequestChars = text.size();
    EXPECT_TRUE(RequestReader(limits).read(u16(text)).ok);
}

}  // namespace
