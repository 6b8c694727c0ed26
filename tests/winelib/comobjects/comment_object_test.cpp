// The comment, sort parameter and qualifier objects, created by ProgID and
// called through the vtable (scripts call them by name: ../scripts).
#include "tests/winelib/support/WinelibGTest.h"

#include <climits>

#include "module/LumoCommentary.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

const std::string kDefaultsTail = R"("hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1}})";
// Boundary characters, a surrogate pair among them: as given and in UTF-8.
const char16_t kBoundary[] = u"Gr\u00fc\u00dfe $\u00a2\u20ac \U0001D11E";
const std::string kBoundaryUtf8 =
    "Gr\xC3\xBC\xC3\x9F"
    "e $\xC2\xA2\xE2\x82\xAC \xF0\x9D\x84\x9E";

using Put = decltype(&ISComment::put_Text);
using Get = decltype(&ISComment::get_Text);

// Name, put (null: read-only), get, JSON key and null-pointer line's name.
struct TextMember {
    std::string name;
    Put put;
    Get get;
    const char* key;
    const char* pointer;
};
#define TEXT_MEMBER(name, key, pointer) \
    TextMember { #name, &ISComment::put_##name, &ISComment::get_##name, key, pointer }
const TextMember kTextMembers[] = {
    TEXT_MEMBER(SourceCUID, "sourceCUID", "srcCuid"),
    TEXT_MEMBER(OwnerCUID, "ownerCUID", "ownerCUID"),
    TEXT_MEMBER(Text, "text", "text"),
    TEXT_MEMBER(UserName, "userName", "userName"),
    TEXT_MEMBER(LastModifiedUserCuid, "lastModifiedUserCuid", "cuid"),
    TEXT_MEMBER(LastModifiedUserName, "lastModifiedUserName", "name"),
    TEXT_MEMBER(ContextCommon, "contextCommon", "ctxCommon"),
    TEXT_MEMBER(AppName, "appName", "appName"),
    TEXT_MEMBER(AppContext, "appContext", "appCtx"),
    TEXT_MEMBER(AppDatapath, "appDatapath", "path"),
    TEXT_MEMBER(OptionKey1, "optionKey1", "optKey"),
    TEXT_MEMBER(OptionKey2, "optionKey2", "optKey"),
    TEXT_MEMBER(OptionKey3, "optionKey3", "optKey"),
    TEXT_MEMBER(OptionKey4, "optionKey4", "optKey"),
    TEXT_MEMBER(LogicalReportId, "logicalReportId", "repId"),
    TEXT_MEMBER(CreationTimeStamp, nullptr, "timestamp"),
    TEXT_MEMBER(LastModifiedTimestamp, nullptr, "timestamp"),
    {"CreationTimeStampAsString", nullptr, &ISComment::get_CreationTimeStampAsString, nullptr, "timestamp"},
    {"LastModifiedTimestampAsString", nullptr, &ISComment::get_LastModifiedTimestampAsString, nullptr, "timestamp"},
};
#undef TEXT_MEMBER

std::string GetText(ISComment* comment, Get getter)
{
    ScopedBstr text;
    EXPECT_HR(S_OK, (comment->*getter)(text.Receive()));
    return Utf8(text.Get());
}
void PutText(ISComment* comment, Put setter, const char16_t* text, UINT length)
{
    ScopedBstr value;
    value.Reset(text ? SysAllocStringLen(text, length) : nullptr);
    EXPECT_HR(S_OK, (comment->*setter)(value.Get()));
}

}  // namespace

// Each text property keeps a copy, up to the first NUL, in its own field.
TEST(CommentObject, EachTextMemberKeepsItsOwnFieldAndChecksItsPointer)
{
    ScopedComPtr<ISComment> c = Create<ISComment>(u"Comment", IID_ISComment);
    ASSERT_TRUE(c);
    for (const TextMember& p : kTextMembers) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(FrameLines("CComCommentRequest", {"get_" + p.name + "!" + p.pointer}),
                  TraceOf([&] { EXPECT_HR(E_POINTER, (c.Get()->*p.get)(nullptr)); }));
        EXPECT_EQ(kInvalidPointerReported, TakeErrorInfo());
        if (!p.key) continue;
        BSTR fresh = Sentinel<BSTR>();
        ASSERT_HR(S_OK, (c.Get()->*p.get)(&fresh));
        ASSERT_TRUE(fresh && fresh != Sentinel<BSTR>() && SysStringLen(fresh) == 0) << "a new, empty, non-null BSTR";
        SysFreeString(fresh);
        EXPECT_EQ(FrameLines("CComCommentRequest", {"put_" + p.name, "get_" + p.name + "=" + kBoundaryUtf8}),
                  TraceOf([&] { PutText(c.Get(), p.put, kBoundary, lstrlenW(kBoundary)), GetText(c.Get(), p.get); }));
        EXPECT_EQ(R"({"comment":{")" + std::string(p.key) + "\":\"" + kBoundaryUtf8 + "\"," + kDefaultsTail,
                  GetText(c.Get(), &ISComment::ToJSON));
        PutText(c.Get(), p.put, u"ab\0cd", 5);
        EXPECT_EQ("ab", GetText(c.Get(), p.get));
        PutText(c.Get(), p.put, nullptr, 0);
        EXPECT_EQ(R"({"comment":{)" + kDefaultsTail, GetText(c.Get(), &ISComment::ToJSON)) << "null is empty";
    }
}

TEST(CommentObject, HiddenIsTrueOnlyForVariantTrueAndExitLinesShowTheValues)
{
    ScopedComPtr<ISComment> c = Create<ISComment>(u"Comment", IID_ISComment);
    ASSERT_TRUE(c);
    LONG id = 7;
    VARIANT_BOOL hidden = 7;
    std::string read;
    for (VARIANT_BOOL put : {VARIANT_TRUE, VARIANT_BOOL(1), VARIANT_TRUE, VARIANT_BOOL(0x7FFF)})
        c->put_Hidden(put), c->get_Hidden(&hidden), read += std::to_string(hidden) + " ";
    EXPECT_EQ("-1 0 -1 0 ", read);
    ASSERT_HR(S_OK, c->put_CommentId(INT_MIN));
    PutText(c.Get(), &ISComment::put_LastModifiedTimestamp, u"86400000", 8);
    ScopedBstr json(u"{\"text\":\"t\",\"creationtimestamp\":0}");
    EXPECT_EQ(
        FrameLines("CComCommentRequest", {"FromJSON", "get_CommentId=-2147483648", "get_Hidden=0",
                                          "get_CreationTimeStampAsString=Jan 01 1970 00:00:00",
                                          "get_LastModifiedTimestampAsString=Jan 02 1970 00:00:00",
                                          R"(ToJSON={"comment":{"text":"t","commentId":-2147483648,"hidden":false,)"
                                          R"("lastmodifiedtimestamp":86400000,"creationtimestamp":0}})"}),
        TraceOf([&] {
            c->FromJSON(json.Get()), c->get_CommentId(&id), c->get_Hidden(&hidden);
            GetText(c.Get(), &ISComment::get_CreationTimeStampAsString);
            GetText(c.Get(), &ISComment::get_LastModifiedTimestampAsString);
            GetText(c.Get(), &ISComment::ToJSON);
        }));
}

// A new qualifier's text is empty, not null.
TEST(SortParamAndQualifier, StartAtZeroAndTraceTheirValues)
{
    ScopedComPtr<ISSortParam> sort = Create<ISSortParam>(u"SortParam", IID_ISSortParam);
    ScopedComPtr<ISCommentQualifier> q = Create<ISCommentQualifier>(u"CommentQualifier", IID_ISCommentQualifier);
    ASSERT_TRUE(sort && q);
    auto attribute = static_cast<SortAttributeType>(7);
    auto order = static_cast<SortOrderType>(7);
    auto qualifier = static_cast<CommentQualifierAttributeType>(7);
    BSTR value = Sentinel<BSTR>();
    std::vector<STraceRecord> records;
    EXPECT_EQ(FrameLines("CComSortParam", {"get_SortAttribute=0", "get_SortOrder=0", "put_SortOrder",
                                           "get_SortAttribute!sortAttr", "get_SortOrder!sortOrd"}),
              TraceOf(
                  [&] {
                      sort->get_SortAttribute(&attribute), sort->get_SortOrder(&order);
                      sort->put_SortOrder(static_cast<SortOrderType>(-3));
                      EXPECT_HR(E_POINTER, sort->get_SortAttribute(nullptr));
                      EXPECT_HR(E_POINTER, sort->get_SortOrder(nullptr));
                  },
                  &records));
    for (const STraceRecord& record : records) EXPECT_EQ("CComSortParams", record.area);
    EXPECT_EQ(kInvalidPointerReported, TakeErrorInfo());
    EXPECT_EQ(FrameLines("CComCommentQualifier", {"get_CommentQualifierAttribute=0", "get_CommentQualifierValue=",
                                                  "put_CommentQualifierAttribute", "get_CommentQualifierAttribute!cq",
                                                  "get_CommentQualifierValue!value"}),
              TraceOf(
                  [&] {
                      q->get_CommentQualifierAttribute(&qualifier), q->get_CommentQualifierValue(&value);
                      q->put_CommentQualifierAttribute(static_cast<CommentQualifierAttributeType>(5));
                      EXPECT_HR(E_POINTER, q->get_CommentQualifierAttribute(nullptr));
                      EXPECT_HR(E_POINTER, q->get_CommentQualifierValue(nullptr));
                  },
                  &records));
    for (const STraceRecord& record : records) EXPECT_EQ("CComCommentQualifier", record.area);
    ASSERT_TRUE(value && value != Sentinel<BSTR>() && SysStringLen(value) == 0) << "a new, empty, non-null BSTR";
    SysFreeString(value);
}
