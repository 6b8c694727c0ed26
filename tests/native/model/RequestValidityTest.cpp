// Validity rules of the request kinds and the trace line each failure writes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/STraceCapture.h"
#include "tests/native/model/ModelTestSupport.h"

namespace {

using namespace lumocommentaryservice_nexa_api;

const char* const kAddMessage = "AddCommentRequest::isValidComment: Comment Text and Source ID cannot be null";
const char* const kGetMessage = "GetCommentRequest::isValidComment: Source ID cannot be null";
const char* const kModifyMessage =
    "ModifyCommentRequest::isValidComment: Comment ID cannot be invalid and Source ID cannot be null";
const char* const kDeleteMessage =
    "DeleteCommentRequest::isValidComment: Comment ID cannot be invalid and Source ID cannot be null";
const char* const kHideMessage = "HideCommentRequest::isValidComment: Source ID cannot be null";
const char* const kDuplicateMessage =
    "DuplicateCommentRequest::isValidComment: Source ID or targetDocCUID cannot be null";

Comment comment(const char16_t* source, int32_t id = -1, const char16_t* text = u"")
{
    Comment c;
    c.setSourceCUID(source);
    c.setCommentId(id);
    c.setText(text);
    return c;
}

struct ValidityCase {
    const char* name;
    std::function<std::unique_ptr<DefaultCommentRequest>()> make;
    const char* failureLine;  // null: the request is valid and writes nothing
};
void PrintTo(const ValidityCase& c, std::ostream* os) { *os << c.name; }

template <class Request, class... Args>
std::function<std::unique_ptr<DefaultCommentRequest>()> make(Args... args)
{
    return [=] { return std::make_unique<Request>(args...); };
}

const ValidityCase kValidityCases[] = {
    {"AddDefault", make<AddCommentRequest>(), kAddMessage},
    {"AddTextWithoutSource", make<AddCommentRequest>(comment(u"", -1, u"hello")), kAddMessage},
    {"AddSourceWithoutText", make<AddCommentRequest>(comment(u"doc")), kAddMessage},
    {"AddTextAndSource", make<AddCommentRequest>(comment(u"doc", -1, u"hello")), nullptr},
    {"AddBlankTextCounts", make<AddCommentRequest>(comment(u"doc", -1, u" ")), nullptr},
    {"GetWithoutSource", make<GetCommentRequest>(comment(u"")), kGetMessage},
    {"GetWithSource", make<GetCommentRequest>(comment(u"doc")), nullptr},
    {"ModifyWithoutId", make<ModifyCommentRequest>(comment(u"doc", -1, u"t")), kModifyMessage},
    {"ModifyWithoutSource", make<ModifyCommentRequest>(comment(u"", 5, u"t")), kModifyMessage},
    {"ModifyWithNothingToChange", make<ModifyCommentRequest>(comment(u"doc", 5)), kModifyMessage},
    {"ModifyIdZero", make<ModifyCommentRequest>(comment(u"doc", 0, u"t")), nullptr},
    {"DeleteIdZero", make<DeleteCommentRequest>(comment(u"doc", 0)), nullptr},
    {"DeleteNegativeIdOtherThanMinusOne", make<DeleteCommentRequest>(comment(u"doc", -5)), nullptr},
    {"DeleteIdMinusOne", make<DeleteCommentRequest>(comment(u"doc", -1)), kDeleteMessage},
    {"DeleteWithoutSource", make<DeleteCommentRequest>(comment(u"", 4)), kDeleteMessage},
    {"HideWithSourceAndNoIds", make<HideCommentRequest>(comment(u"doc"), SIntArray()), nullptr},
    {"HideWithoutSource", make<HideCommentRequest>(comment(u"", 3), SIntArray()), kHideMessage},
    {"DuplicateWithEmptyTarget", make<DuplicateCommentRequest>(comment(u"doc"), SWCharString()), kDuplicateMessage},
    {"DuplicateWithoutSource", make<DuplicateCommentRequest>(comment(u""), SWCharString(u"doc-2")),
     kDuplicateMessage},
    {"DuplicateWithSourceAndTarget", make<DuplicateCommentRequest>(comment(u"doc"), SWCharString(u"doc-2")), nullptr},
    {"DefaultRequestIsNeverValidAndSilent", make<DefaultCommentRequest>(comment(u"doc", 1, u"t")), nullptr},
};

class RequestValidity : public ::testing::TestWithParam<ValidityCase> {};

TEST_P(RequestValidity, ResultAndTraceLine)
{
    const auto request = GetParam().make();
    STraceCapture capture(0);
    const bool valid = request->isValidComment();

    const bool silentInvalid = request->getRequestType() == request_type::kInvalid;
    EXPECT_EQ(valid, GetParam().failureLine == nullptr && !silentInvalid);
    std::vector<std::string> expectedLines;
    if (GetParam().failureLine) expectedLines.push_back(GetParam().failureLine);
    EXPECT_EQ(capture.linesUtf8(), expectedLines);
    for (const STraceRecord& record : capture.records()) {
        EXPECT_EQ(record.level, 0);
        EXPECT_EQ(record.area, "LumoCommentaryService_Nexa_API");
        EXPECT_EQ(record.flag, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, RequestValidity, ::testing::ValuesIn(kValidityCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Modify: exactly these ten fields give the request something to change (a
// request with only ownerCUID set is invalid; adding optionKey4 makes it valid).
using FieldSetter = void (*)(Comment&);
struct ModifyField {
    const char* name;
    FieldSetter set;
    bool counts;
};
void PrintTo(const ModifyField& c, std::ostream* os) { *os << c.name; }

const ModifyField kModifyFields[] = {
    {"Text", [](Comment& c) { c.setText(u"x"); }, true},
    {"LogicalReportId", [](Comment& c) { c.setLogicalReportId(u"x"); }, true},
    {"ContextCommon", [](Comment& c) { c.setContextCommon(u"x"); }, true},
    {"AppName", [](Comment& c) { c.setAppName(u"x"); }, true},
    {"AppContext", [](Comment& c) { c.setAppContext(u"x"); }, true},
    {"AppDatapath", [](Comment& c) { c.setAppDatapath(u"x"); }, true},
    {"OptionKey1", [](Comment& c) { c.setOptionKey1(u"x"); }, true},
    {"OptionKey2", [](Comment& c) { c.setOptionKey2(u"x"); }, true},
    {"OptionKey3", [](Comment& c) { c.setOptionKey3(u"x"); }, true},
    {"OptionKey4", [](Comment& c) { c.setOptionKey4(u"x"); }, true},
    {"OwnerCUID", [](Comment& c) { c.setOwnerCUID(u"x"); }, false},
    {"UserName", [](Comment& c) { c.setUserName(u"x"); }, false},
    {"LastModifiedUserCuid", [](Comment& c) { c.setLastModifiedUserCuid(u"x"); }, false},
    {"LastModifiedUserName", [](Comment& c) { c.setLastModifiedUserName(u"x"); }, false},
    {"ConnecXion", [](Comment& c) { c.setConnecXion(u"x"); }, false},
    {"CreationTimestamp", [](Comment& c) { c.setCreationTimestamp(5); }, false},
    {"LastModifiedTimestamp", [](Comment& c) { c.setLastModifiedTimestamp(5); }, false},
    {"Hidden", [](Comment& c) { c.setHidden(true); }, false},
};

class ModifyContent : public ::testing::TestWithParam<ModifyField> {};

TEST_P(ModifyContent, OneFieldAloneDecidesValidity)
{
    Comment c = comment(u"doc", 5);
    GetParam().set(c);
    const ModifyCommentRequest request(c);
    STraceCapture capture(0);
    EXPECT_EQ(request.isValidComment(), GetParam().counts);
    const std::vector<std::string> none, failure{kModifyMessage};
    EXPECT_EQ(capture.linesUtf8(), GetParam().counts ? none : failure);
}

INSTANTIATE_TEST_SUITE_P(Fields, ModifyContent, ::testing::ValuesIn(kModifyFields),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
