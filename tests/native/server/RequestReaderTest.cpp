#include <gtest/gtest.h>

#include "model/JsonSupport.h"
#include "server/core/RequestReader.h"
#include "tests/native/server/support/ServerTestKit.h"

using lumo_server::CommentaryRequest;
using lumo_server::CommentRecord;
using lumo_server::RequestReader;
using server_test::u16;

namespace {

struct ValidCase {
    const char* name;
    std::string text;
    CommentaryRequest expected;
};

CommentaryRequest make(int type, const char16_t* token, const CommentRecord& comment = CommentRecord())
{
    CommentaryRequest r;
    r.requestType = type;
    r.hasLogonToken = token != nullptr;
    r.logonToken = token;
    r.comment = comment;
    return r;
}

CommentRecord fullComment()
{
    CommentRecord c;
    c.commentId = -7;
    c.sourceCUID = u"s";
    c.ownerCUID = u"o";
    c.text = u"t\U0001D11E";
    c.logicalReportId = u"l";
    c.contextCommon = u"cc";
    c.appName = u"an";
    c.appContext = u"ac";
    c.appDatapath = u"ad";
    c.connecXion = u"cx";
    c.optionKey1 = u"k1";
    c.optionKey2 = u"k2";
    c.optionKey3 = u"k3";
    c.optionKey4 = u"k4";
    c.userName = u"un";
    c.lastModifiedUserCuid = u"mc";
    c.lastModifiedUserName = u"mn";
    c.hidden = true;
    c.lastModifiedTimestamp = 1700000000123;
    c.creationTimestamp = -1;
    return c;
}

void expectSame(const CommentaryRequest& a, const CommentaryRequest& b, const char* name)
{
    EXPECT_EQ(a.requestType, b.requestType) << name;
    EXPECT_EQ(a.hasLogonToken, b.hasLogonToken) << name;
    EXPECT_EQ(a.logonToken, b.logonToken) << name;
    EXPECT_TRUE(a.comment == b.comment) << name;
    EXPECT_EQ(a.commentIds, b.commentIds) << name;
    EXPECT_EQ(a.targetDocCuid, b.targetDocCuid) << name;
    ASSERT_EQ(a.sortParams.size(), b.sortParams.size()) << name;
    for (std::size_t i = 0; i < a.sortParams.size(); ++i) {
        EXPECT_EQ(a.sortParams[i].attribute, b.sortParams[i].attribute) << name;
        EXPECT_EQ(a.sortParams[i].order, b.sortParams[i].order) << name;
    }
    ASSERT_EQ(a.qualifiers.size(), b.qualifiers.size()) << name;
    for (std::size_t i = 0; i < a.qualifiers.size(); ++i) {
        EXPECT_EQ(a.qualifiers[i].attribute, b.qualifiers[i].attribute) << name;
        EXPECT_EQ(a.qualifiers[i].value, b.qualifiers[i].value) << name;
    }
}

TEST(ServerReader, ReadsTheFormsTheModuleWrites)
{
    CommentaryRequest get = make(2, u"T", [] {
        CommentRecord c;
        c.sourceCUID = u"doc";
        return c;
    }());
    get.sortParams = {{1, 0}, {0, 1}};
    get.qualifiers = {{0, u"5"}, {0, u""}};
    CommentaryRequest hide = make(6, u"T");
    hide.commentIds = {3, 4, 9};
    CommentaryRequest duplicate = make(7, u"T");
    CommentaryRequest extra = make(1, u"T");
    extra.comment.text = u"x";

    const ValidCase cases[] = {
        {"default add", R"({"requestType":1,"logonToken":"","comment":{"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1}})",
         make(1, u"")},
        {"full comment",
         "{\"requestType\":3,\"logonToken\":\"T\",\"comment\":{\"sourceCUID\":\"s\",\"ownerCUID\":\"o\",\"text\":\"t\\ud834\\udd1e\","
         "\"commentId\":-7,\"logicalReportId\":\"l\",\"contextCommon\":\"cc\",\"appName\":\"an\",\"appContext\":\"ac\","
         "\"appDatapath\":\"ad\",\"connecXion\":\"cx\",\"optionKey1\":\"k1\",\"optionKey2\":\"k2\",\"optionKey3\":\"k3\","
         "\"optionKey4\":\"k4\",\"userName\":\"un\",\"lastModifiedUserCuid\":\"mc\",\"lastModifiedUserName\":\"mn\","
         "\"hidden\":true,\"lastmodifiedtimestamp\":1700000000123,\"creationtimestamp\":-1}}",
         make(3, u"T", fullComment())},
        {"get", R"({"requestType":2,"logonToken":"T","comment":{"sourceCUID":"doc"},"sortparams":[{"sortattribute":1,"sortorder":0},{"sortattribute":0,"sortorder":1}],"qualifiers":[{"qualifierattribute":0,"qualifiervalue":"5"},{"qualifierattribute":0,"qualifiervalue":""}]})",
         get},
        {"hide", R"({"requestType":6,"logonToken":"T","comment":{},"CommentIds":[3,4,9]})", hide},
        {"duplicate with empty target", R"({"requestType":7,"logonToken":"T","comment":{},"targetDocCuid":""})", duplicate},
        {"test connection alone", R"({"requestType":5})", make(5, nullptr)},
        {"add without a token member (refused later, by the token check)", R"({"requestType":1,"comment":{}})",
         make(1, nullptr)},
        {"unknown and foreign members ignored",
         R"( { "extra" : null , "requestType" : 1 , "logonToken" : "T" , "comment" : { "x" : [ 1 , { } ] , "text" : "x" } , "CommentIds" : "no" } )",
         extra},
    };
    const RequestReader reader;
    const uint64_t assertionsBefore = lumo_json::assertionCount();
    for (const ValidCase& c : cases) {
        const auto result = reader.read(u16(c.text));
        ASSERT_TRUE(result.ok) << c.name << ": " << result.error.description.toUtf8();
        expectSame(result.request, c.expected, c.name);
    }
    EXPECT_EQ(lumo_json::assertionCount(), assertionsBefore);
}

struct InvalidCase {
    std::u16string text;
    int status;
    const char* errorCode;
    const char* description;
};

std::u16string withUnit(const std::string& before, char16_t unit, const std::string& after)
{
    return u16(before) + std::u16string(1, unit) + u16(after);
}

TEST(ServerReader, RejectsEveryMalformedOrMistypedRequest)
{
    const std::string add = R"({"requestType":1,"logonToken":"T","comment":)";
    const std::string get = R"({"requestType":2,"logonToken":"T","comment":{},)";
    const InvalidCase cases[] = {
        {u"", 400, "CMNTRY 101", "Malformed request: the text is not a JSON object"},
        {u"[]", 400, "CMNTRY 101", "Malformed request: the text is not a JSON object"},
        {u"{", 400, "CMNTRY 101", "Malformed request: the text is not a JSON object"},
        {u"{} x", 400, "CMNTRY 101", "Malformed request: the text is not a JSON object"},
        {withUnit("{\"requestType\":5}", 0, "garbage"), 400, "CMNTRY 101",
         "Malformed request: the text is not a JSON object"},
        {u"{}", 400, "CMNTRY 102", "Missing member: requestType"},
        {u"{\"requestType\":\"1\"}", 400, "CMNTRY 103", "Wrong type of member: requestType"},
        {u"{\"requestType\":1.0}", 400, "CMNTRY 103", "Wrong type of member: requestType"},
        {u"{\"requestType\":1,\"requestType\":1}", 400, "CMNTRY 104", "Duplicate member: requestType"},
        {u"{\"requestType\":8}", 400, "CMNTRY 105", "Unknown request type: 8"},
        {u"{\"requestType\":0}", 400, "CMNTRY 105", "Unknown request type: 0"},
        {u"{\"requestType\":1,\"logonToken\":null,\"comment\":{}}", 400, "CMNTRY 103", "Wrong type of member: logonToken"},
        {u"{\"requestType\":1,\"logonToken\":\"T\"}", 400, "CMNTRY 102", "Missing member: comment"},
        {u16(add + "[]}"), 400, "CMNTRY 103", "Wrong type of member: comment"},
        {u16(add + "{\"text\":5}}"), 400, "CMNTRY 103", "Wrong type of member: comment.text"},
        {u16(add + "{\"sourceCUID\":null}}"), 400, "CMNTRY 103", "Wrong type of member: comment.sourceCUID"},
        {u16(add + "{\"commentId\":2147483648}}"), 400, "CMNTRY 103", "Wrong type of member: comment.commentId"},
        {u16(add + "{\"commentId\":\"5\"}}"), 400, "CMNTRY 103", "Wrong type of member: comment.commentId"},
        {u16(add + "{\"hidden\":1}}"), 400, "CMNTRY 103", "Wrong type of member: comment.hidden"},
        {u16(add + "{\"creationtimestamp\":1.5}}"), 400, "CMNTRY 103", "Wrong type of member: comment.creationtimestamp"},
        {u16(add + "{\"text\":\"a\",\"text\":\"b\"}}"), 400, "CMNTRY 104", "Duplicate member: comment.text"},
        {withUnit(add + "{\"appName\":\"a", 0xD800, "\"}}"), 400, "CMNTRY 106", "Ill-formed text in member: comment.appName"},
        {withUnit(add + "{\"appName\":\"a", 0xDC00, "b\"}}"), 400, "CMNTRY 106", "Ill-formed text in member: comment.appName"},
        {u16(add + "{\"optionKey4\":\"a\\u0000\"}}"), 400, "CMNTRY 106", "Ill-formed text in member: comment.optionKey4"},
        {u16(get + "\"qualifiers\":[]}"), 400, "CMNTRY 102", "Missing member: sortparams"},
        {u16(get + "\"sortparams\":{},\"qualifiers\":[]}"), 400, "CMNTRY 103", "Wrong type of member: sortparams"},
        {u16(get + "\"sortparams\":[1],\"qualifiers\":[]}"), 400, "CMNTRY 103", "Wrong type of member: sortparams[0]"},
        {u16(get + "\"sortparams\":[{\"sortattribute\":0}],\"qualifiers\":[]}"), 400, "CMNTRY 102",
         "Missing member: sortparams[0].sortorder"},
        {u16(get + "\"sortparams\":[],\"qualifiers\":[{\"qualifierattribute\":0,\"qualifiervalue\":3}]}"), 400,
         "CMNTRY 103", "Wrong type of member: qualifiers[0].qualifiervalue"},
        {u16(get + "\"sortparams\":[]}"), 400, "CMNTRY 102", "Missing member: qualifiers"},
        {u"{\"requestType\":6,\"logonToken\":\"T\",\"comment\":{}}", 400, "CMNTRY 102", "Missing member: CommentIds"},
        {u"{\"requestType\":6,\"logonToken\":\"T\",\"comment\":{},\"CommentIds\":[1,\"2\"]}", 400, "CMNTRY 103",
         "Wrong type of member: CommentIds[1]"},
        {u"{\"requestType\":7,\"logonToken\":\"T\",\"comment\":{},\"targetDocCuid\":5}", 400, "CMNTRY 103",
         "Wrong type of member: targetDocCuid"},
        {u"{\"requestType\":5,\"comment\":\"x\"}", 400, "CMNTRY 103", "Wrong type of member: comment"},
    };
    const RequestReader reader;
    const uint64_t assertionsBefore = lumo_json::assertionCount();
    for (const InvalidCase& c : cases) {
        const auto result = reader.read(c.text);
        ASSERT_FALSE(result.ok) << server_test::u8(c.text);
        EXPECT_EQ(result.error.statusCode, c.status) << server_test::u8(c.text);
        EXPECT_EQ(result.error.errorCode, c.errorCode) << server_test::u8(c.text);
        EXPECT_EQ(result.error.description.toUtf8(), c.description) << server_test::u8(c.text);
    }
    EXPECT_EQ(lumo_json::assertionCount(), assertionsBefore);
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
