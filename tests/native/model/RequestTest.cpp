#include <functional>
#include <memory>
#include <vector>

#include "platform/foundation/STraceCapture.h"
#include "tests/native/model/ModelTestSupport.h"

namespace {

using namespace lumocommentaryservice_nexa_api;

Comment comment(const char16_t* source, int32_t id = -1, const char16_t* text = u"")
{
    Comment c;
    c.setSourceCUID(source), c.setCommentId(id), c.setText(text);
    return c;
}

SIntArray ids(std::initializer_list<int32_t> values)
{
    SIntArray array;
    for (int32_t v : values) array.append(v);
    return array;
}

using Maker = std::function<std::unique_ptr<DefaultCommentRequest>()>;
template <class Request, class... Args>
Maker make(Args... args)
{
    return [=] { return std::make_unique<Request>(args...); };
}

#define DEFAULTS R"("hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1})"
#define HEAD(kind) R"({"requestType":)" #kind R"(,"logonToken":"","comment":{)"
#define DOC R"("sourceCUID":"doc",)"

TEST(RequestJson, TokenAndListsGoInTheirPlacesInOrder)
{
    GetCommentRequest get(comment(u"doc"));
    get.setLogonToken(u"LT1:alice:1:ab");
    get.appendSortParam(SortParamRecord(0, 1));
    get.appendSortParam(SortParamRecord(1, 0));
    get.appendQualifier(CommentQualifierRecord(0, u"10"));
    get.appendQualifier(CommentQualifierRecord(0, u""));
    const std::string expected =
        R"({"requestType":2,"logonToken":"LT1:alice:1:ab","comment":{"sourceCUID":"doc",)" DEFAULTS
        R"(,"sortparams":[{"sortattribute":0,"sortorder":1},{"sortattribute":1,"sortorder":0}],)"
        R"("qualifiers":[{"qualifierattribute":0,"qualifiervalue":"10"},{"qualifierattribute":0,"qualifiervalue":""}]})";
    EXPECT_EQ(model_test::utf8(get.toJSON()), expected);
    EXPECT_EQ(model_test::utf8(get.toJSON()), expected) << "writing changes nothing";
}

const char kAdd[] = "AddCommentRequest::isValidComment: Comment Text and Source ID cannot be null";
const char kGet[] = "GetCommentRequest::isValidComment: Source ID cannot be null";
const char kModify[] =
    "ModifyCommentRequest::isValidComment: Comment ID cannot be invalid and Source ID cannot be null";
const char kDelete[] =
    "DeleteCommentRequest::isValidComment: Comment ID cannot be invalid and Source ID cannot be null";
const char kHide[] = "HideCommentRequest::isValidComment: Source ID cannot be null";
const char kDuplicate[] = "DuplicateCommentRequest::isValidComment: Source ID or targetDocCUID cannot be null";

// A request, its JSON text (null: not compared), validity and failure line.
struct RequestCase {
    Maker make;
    const char* json;
    bool valid;
    const char* failureLine;
};
const RequestCase kRequestCases[] = {
    {make<AddCommentRequest>(), HEAD(1) DEFAULTS "}", false, kAdd},
    {make<AddCommentRequest>(comment(u"", -1, u"hi")), nullptr, false, kAdd},
    {make<AddCommentRequest>(comment(u"doc")), nullptr, false, kAdd},
    {make<AddCommentRequest>(comment(u"doc", -1, u" ")), nullptr, true, nullptr},
    {make<GetCommentRequest>(comment(u"")), nullptr, false, kGet},
    {make<GetCommentRequest>(comment(u"doc")), HEAD(2) DOC DEFAULTS R"(,"sortparams":[],"qualifiers":[]})", true,
     nullptr},
    {make<ModifyCommentRequest>(comment(u"doc", -1, u"t")), nullptr, false, kModify},
    {make<ModifyCommentRequest>(comment(u"", 5, u"t")), nullptr, false, kModify},
    {make<ModifyCommentRequest>(comment(u"doc", 0, u"Edited")),
     HEAD(3) R"("sourceCUID":"doc","text":"Edited","commentId":0,)" DEFAULTS "}", true, nullptr},
    {make<DeleteCommentRequest>(comment(u"doc", 0)), HEAD(4) DOC R"("commentId":0,)" DEFAULTS "}", true, nullptr},
    {make<DeleteCommentRequest>(comment(u"doc", -5)), nullptr, true, nullptr},
    {make<DeleteCommentRequest>(comment(u"doc", -1)), nullptr, false, kDelete},
    {make<DeleteCommentRequest>(comment(u"", 4)), nullptr, false, kDelete},
    // A hide request appends its comment's own id unless it is -1.
    {make<HideCommentRequest>(comment(u"doc", 9), ids({3, 9})),
     HEAD(6) DOC R"("commentId":9,)" DEFAULTS R"(,"CommentIds":[3,9,9]})", true, nullptr},
    {make<HideCommentRequest>(comment(u"doc", 0), ids({})),
     HEAD(6) DOC R"("commentId":0,)" DEFAULTS R"(,"CommentIds":[0]})", true, nullptr},
    {make<HideCommentRequest>(comment(u"doc"), ids({})), HEAD(6) DOC DEFAULTS R"(,"CommentIds":[]})", true, nullptr},
    {make<HideCommentRequest>(), HEAD(6) DEFAULTS R"(,"CommentIds":[]})", false, kHide},
    {make<DuplicateCommentRequest>(comment(u"doc"), SWCharString(u"d2")),
     HEAD(7) DOC DEFAULTS R"(,"targetDocCuid":"d2"})", true, nullptr},
    {make<DuplicateCommentRequest>(), HEAD(7) DEFAULTS R"(,"targetDocCuid":""})", false, kDuplicate},
    {make<DuplicateCommentRequest>(comment(u"doc"), SWCharString()), nullptr, false, kDuplicate},
    {make<DefaultCommentRequest>(comment(u"doc", 1, u"t")), HEAD(0) DOC R"("text":"t","commentId":1,)" DEFAULTS "}",
     false, nullptr},
};

TEST(Request, EachKindsTextRuleAndTraceLine)
{
    for (const RequestCase& c : kRequestCases) {
        const auto request = c.make();
        if (c.json) {
            EXPECT_EQ(model_test::utf8(request->toJSON()), c.json);
        }
        STraceCapture capture(0);
        EXPECT_EQ(request->isValidComment(), c.valid) << model_test::utf8(request->toJSON());
        EXPECT_EQ(capture.linesUtf8(),
                  c.failureLine ? std::vector<std::string>{c.failureLine} : std::vector<std::string>())
            << model_test::utf8(request->toJSON());
        for (const STraceRecord& r : capture.records())
            EXPECT_EQ(std::to_string(r.level) + " " + r.area + " " + std::to_string(r.flag),
                      "0 LumoCommentaryService_Nexa_API 0");
    }
}

TEST(RequestValidity, ModifyCountsExactlyTheTenContentFields)
{
    using Setter = void (Comment::*)(SWCharString);
    const Setter counted[] = {&Comment::setText,       &Comment::setLogicalReportId, &Comment::setContextCommon,
                              &Comment::setAppName,    &Comment::setAppContext,      &Comment::setAppDatapath,
                              &Comment::setOptionKey1, &Comment::setOptionKey2,      &Comment::setOptionKey3,
                              &Comment::setOptionKey4};
    const Setter ignored[] = {&Comment::setOwnerCUID, &Comment::setUserName, &Comment::setLastModifiedUserCuid,
                              &Comment::setLastModifiedUserName, &Comment::setConnecXion};
    auto validWith = [](Setter set) {
        Comment c = comment(u"doc", 5);
        if (set) (c.*set)(u"x");
        c.setHidden(true), c.setCreationTimestamp(5), c.setLastModifiedTimestamp(5);
        return ModifyCommentRequest(c).isValidComment();
    };
    EXPECT_FALSE(validWith(nullptr));
    for (Setter set : counted) EXPECT_TRUE(validWith(set));
    for (Setter set : ignored) EXPECT_FALSE(validWith(set));
}

}  // namespace
