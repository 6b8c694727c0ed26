// The comment, sort parameter and comment qualifier objects through the
// registered module, as clients use them: created by ProgID, called through
// the vtable and by name.
#include "tests/winelib/support/WinelibGTest.h"

#include <climits>

#include "com/CComComment.h"
#include "com/CComCommentQualifier.h"
#include "com/CComSortParams.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

const char kEmptyJson[] = R"({"comment":{"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1}})";
const std::string kDefaultsTail = R"("hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1}})";
// Boundary characters (a surrogate pair among them) and a quote: as given,
// as read back in UTF-8, and as written into JSON.
const char16_t kBoundary[] = u"Gr\u00fc\u00dfe $\u00a2\u20ac \U0001D11E \"q\"";
const char kBoundaryUtf8[] = "Gr\xC3\xBC\xC3\x9F" "e $\xC2\xA2\xE2\x82\xAC \xF0\x9D\x84\x9E \"q\"";
const char kBoundaryJson[] = "Gr\xC3\xBC\xC3\x9F" "e $\xC2\xA2\xE2\x82\xAC \xF0\x9D\x84\x9E \\\"q\\\"";

using Put = decltype(&ISComment::put_Text);
using Get = decltype(&ISComment::get_Text);

// The comment's members that give a BSTR through a property getter: name,
// put (null for the read-only renderings), get, the JSON key of a text
// property (null for the others) and the pointer name of the null-pointer
// assertion.
struct TextMember {
    const char16_t* name;
    Put put;
    Get get;
    const char* key;
    const char* pointer;
};
#define TEXT_MEMBER(name, key, pointer) {u"" #name, &ISComment::put_##name, &ISComment::get_##name, key, pointer}
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
    {u"CreationTimeStampAsString", nullptr, &ISComment::get_CreationTimeStampAsString, nullptr, "timestamp"},
    {u"LastModifiedTimestampAsString", nullptr, &ISComment::get_LastModifiedTimestampAsString, nullptr, "timestamp"},
};
#undef TEXT_MEMBER

const std::string kMember = "CComCommentRequest::";

class CommentObject : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_comment = Create<ISComment>(u"Comment", IID_ISComment)); }
    std::string Json() const { return GetText(&ISComment::ToJSON); }
    std::string GetText(Get getter) const
    {
        ScopedBstr text;
        EXPECT_HR(S_OK, (m_comment.Get()->*getter)(text.Receive()));
        return Utf8(text.Get());
    }
    // The caller's string is freed at once: the object keeps a copy.
    void PutText(Put setter, const char16_t* text)
    {
        ScopedBstr value(text);
        EXPECT_HR(S_OK, (m_comment.Get()->*setter)(value.Get()));
    }
    std::string Address() const { return AddressOf(static_cast<CComComment*>(m_comment.Get())); }

    ScopedComPtr<ISComment> m_comment;
};

}  // namespace

TEST_F(CommentObject, EachTextPropertyKeepsACopyInItsOwnField)
{
    const std::string at = Address();
    for (const TextMember& p : kTextMembers) {
        if (!p.key) continue;
        SCOPED_TRACE(Utf8(p.name));
        BSTR fresh = Sentinel<BSTR>();
        ASSERT_HR(S_OK, (m_comment.Get()->*p.get)(&fresh));
        ASSERT_TRUE(fresh && fresh != Sentinel<BSTR>() && SysStringLen(fresh) == 0) << "a new, empty, non-null BSTR";
        SysFreeString(fresh);
        const std::string put = kMember + "put_" + Utf8(p.name), get = kMember + "get_" + Utf8(p.name);
        EXPECT_EQ((std::vector<std::string>{InLine(put, at), OutLine(put, at), InLine(get, at),
                                            OutLine(get, at, kBoundaryUtf8)}),
                  TraceOf([&] {
                      PutText(p.put, kBoundary);
                      EXPECT_EQ(kBoundaryUtf8, GetText(p.get));
                  }));
        EXPECT_EQ(R"({"comment":{")" + std::string(p.key) + "\":\"" + kBoundaryJson + "\"," + kDefaultsTail, Json());
        // The same property by name, as a script reaches it.
        Variant withNul(u"");
        ASSERT_TRUE(SysReAllocStringLen(&V_BSTR(&withNul.v), u"ab\0cd", 5));
        ASSERT_HR(S_OK, InvokeByName(m_comment.Get(), p.name, DISPATCH_PROPERTYPUT, &withNul.v, nullptr));
        EXPECT_EQ("ab", TextByName(m_comment.Get(), p.name)) << "the text up to the first NUL";
        EXPECT_EQ("ab", GetText(p.get));
        ASSERT_HR(S_OK, PutByName(m_comment.Get(), p.name, static_cast<const char16_t*>(nullptr)));
        EXPECT_EQ(kEmptyJson, Json()) << "a null BSTR is the empty text";
    }
}

// What the module does with a value before the model stores it: a comment id
// as given, hidden only for VARIANT_TRUE, a timestamp text parsed in radix 10
// into a count preset to -1 (no time), so that a text that is not a number
// replaces an earlier time by -1.  How the model writes and renders stored
// values is the native model tests' part.
TEST_F(CommentObject, NumbersAreStoredAsTheModuleConvertsThem)
{
    LONG id = 7;
    for (LONG value : {INT_MIN, INT_MAX}) {
        ASSERT_HR(S_OK, m_comment->put_CommentId(value));
        ASSERT_HR(S_OK, m_comment->get_CommentId(&id));
        EXPECT_EQ(value, id);
    }
    const VARIANT_BOOL puts[] = {VARIANT_TRUE, 1, VARIANT_TRUE, 0x7FFF}, reads[] = {VARIANT_TRUE, 0, VARIANT_TRUE, 0};
    for (int i = 0; i < 4; ++i) {
        VARIANT_BOOL hidden = 7;
        ASSERT_HR(S_OK, m_comment->put_Hidden(puts[i]));
        ASSERT_HR(S_OK, m_comment->get_Hidden(&hidden));
        EXPECT_EQ(reads[i], hidden) << "put " << puts[i];
    }
    const std::pair<const char16_t*, const char*> stamps[] = {
        {u"1700000000000", "1700000000000"}, {u"12x", "-1"}, {u"-5", "-5"}, {nullptr, "-1"}};
    for (const auto& [given, stored] : stamps) {
        PutText(&ISComment::put_CreationTimeStamp, given);
        PutText(&ISComment::put_LastModifiedTimestamp, given);
        EXPECT_EQ(std::string(stored) + "|" + stored,
                  GetText(&ISComment::get_CreationTimeStamp) + "|" + GetText(&ISComment::get_LastModifiedTimestamp))
            << Utf8(given);
    }
}

// The members besides the text properties, called by name as a script calls
// them: the by-name path reaches each member, whose call writes its lines.
TEST_F(CommentObject, ScriptsReachTheOtherMembersByName)
{
    IUnknown* comment = m_comment.Get();
    const std::string at = Address();
    Variant json(u"{\"text\":\"t\"}");
    STraceCapture capture;
    ASSERT_HR(S_OK, PutByName(comment, u"CommentId", 7));
    ASSERT_HR(S_OK, PutByName(comment, u"Hidden", true));
    ASSERT_HR(S_OK, PutByName(comment, u"CreationTimeStamp", u"0"));
    ASSERT_HR(S_OK, PutByName(comment, u"LastModifiedTimestamp", u"86400000"));
    EXPECT_EQ("", TextByName(comment, u"FromJSON", DISPATCH_METHOD, &json.v));
    std::vector<std::string> expected;
    for (const char* put :
         {"put_CommentId", "put_Hidden", "put_CreationTimeStamp", "put_LastModifiedTimestamp", "FromJSON"})
        expected.insert(expected.end(), {InLine(kMember + put, at), OutLine(kMember + put, at)});
    // The getters, with the value each answers and its exit line shows.
    const std::pair<std::string, std::string> gets[] = {
        {"get_CommentId", "7"}, {"get_Hidden", "-1"}, {"get_CreationTimeStamp", "0"},
        {"get_LastModifiedTimestamp", "86400000"}, {"get_CreationTimeStampAsString", "Jan 01 1970 00:00:00"},
        {"get_LastModifiedTimestampAsString", "Jan 02 1970 00:00:00"},
        {"ToJSON", R"({"comment":{"text":"t","commentId":7,"hidden":true,"lastmodifiedtimestamp":86400000,)"
                   R"("creationtimestamp":0}})"}};
    for (const auto& [member, value] : gets) {
        const std::u16string name = Wide(member.substr(member.rfind("get_", 0) == 0 ? 4 : 0));
        EXPECT_EQ(value, TextByName(comment, name.c_str(), DISPATCH_METHOD | DISPATCH_PROPERTYGET));
        expected.insert(expected.end(), {InLine(kMember + member, at), OutLine(kMember + member, at, value)});
    }
    EXPECT_EQ(expected, capture.linesUtf8());
    for (const STraceRecord& record : capture.records())
        EXPECT_EQ("14 CComComment 0", std::to_string(record.level) + " " + record.area + " " + std::to_string(record.flag));
}

TEST_F(CommentObject, NullOutPointerIsReportedAndChangesNothing)
{
    PutText(&ISComment::put_Text, u"kept");
    const std::string before = Json(), at = Address();
    std::vector<std::pair<std::string, std::function<HRESULT()>>> calls = {  // "method pointer-name", call
        {"get_CommentId cId", [&] { return m_comment->get_CommentId(nullptr); }},
        {"get_Hidden bHide", [&] { return m_comment->get_Hidden(nullptr); }},
        {"ToJSON jsonString", [&] { return m_comment->ToJSON(nullptr); }}};
    for (const TextMember& p : kTextMembers)
        calls.emplace_back("get_" + Utf8(p.name) + " " + p.pointer, [&, p] { return (m_comment.Get()->*p.get)(nullptr); });
    for (const auto& [call, run] : calls) {
        SCOPED_TRACE(call);
        SetErrorInfo(0, nullptr);
        const size_t blank = call.find(' ');
        HRESULT hr = S_OK;
        EXPECT_EQ((std::vector<std::string>{InLine(kMember + call.substr(0, blank), at),
                                            "Assertion failed: false: Invalid pointer " + call.substr(blank + 1)}),
                  TraceOf([&] { hr = run(); }))
            << "the entry line and the assertion, no exit line";
        EXPECT_HR(E_POINTER, hr);
        ExpectInvalidPointerReported();
    }
    EXPECT_EQ(before, Json());
}

// --- sort parameter and comment qualifier ---------------------------------------

// Values outside the enumerations are stored as given.
TEST(SortParamObject, StoresEveryValueUncheckedAndTracesIt)
{
    ScopedComPtr<ISSortParam> sort = Create<ISSortParam>(u"SortParam", IID_ISSortParam);
    ASSERT_TRUE(sort);
    const std::string at = AddressOf(static_cast<CComSortParam*>(sort.Get())), m = "CComSortParam::";
    SortAttributeType attribute;
    SortOrderType order;
    STraceCapture capture;
    ASSERT_HR(S_OK, sort->put_SortAttribute(static_cast<SortAttributeType>(7)));
    ASSERT_HR(S_OK, sort->put_SortOrder(static_cast<SortOrderType>(-3)));
    ASSERT_HR(S_OK, sort->get_SortAttribute(&attribute));
    ASSERT_HR(S_OK, sort->get_SortOrder(&order));
    EXPECT_HR(E_POINTER, sort->get_SortAttribute(nullptr));
    ExpectInvalidPointerReported();
    EXPECT_HR(E_POINTER, sort->get_SortOrder(nullptr));
    EXPECT_EQ((std::vector<std::string>{
                  InLine(m + "put_SortAttribute", at), OutLine(m + "put_SortAttribute", at),
                  InLine(m + "put_SortOrder", at), OutLine(m + "put_SortOrder", at),
                  InLine(m + "get_SortAttribute", at), OutLine(m + "get_SortAttribute", at, "7"),
                  InLine(m + "get_SortOrder", at), OutLine(m + "get_SortOrder", at, "-3"),
                  InLine(m + "get_SortAttribute", at), "Assertion failed: false: Invalid pointer sortAttr",
                  InLine(m + "get_SortOrder", at), "Assertion failed: false: Invalid pointer sortOrd"}),
              capture.linesUtf8());
    for (const STraceRecord& record : capture.records()) EXPECT_EQ("CComSortParams", record.area);
    EXPECT_EQ("7|-3", TextByName(sort.Get(), u"SortAttribute") + "|" + TextByName(sort.Get(), u"SortOrder"))
        << "a failed get changes nothing";
}

// A new qualifier's value is an empty (not a null) string; a value is kept
// up to its first NUL, a null one as the empty text.
TEST(QualifierObject, StoresValuesAsGivenAndTracesThem)
{
    ScopedComPtr<ISCommentQualifier> qualifier = Create<ISCommentQualifier>(u"CommentQualifier", IID_ISCommentQualifier);
    ASSERT_TRUE(qualifier);
    BSTR value = Sentinel<BSTR>();
    ASSERT_HR(S_OK, qualifier->get_CommentQualifierValue(&value));
    ASSERT_TRUE(value && value != Sentinel<BSTR>() && SysStringLen(value) == 0) << "a new, empty, non-null BSTR";
    SysFreeString(value);
    const std::pair<BSTR, const char*> values[] = {{SysAllocStringLen(u"a\0b", 3), "a"}, {nullptr, ""}};
    for (const auto& [given, stored] : values) {
        ASSERT_HR(S_OK, qualifier->put_CommentQualifierValue(given));
        SysFreeString(given);
        EXPECT_EQ(stored, TextByName(qualifier.Get(), u"CommentQualifierValue"));
    }

    const std::string at = AddressOf(static_cast<CComCommentQualifier*>(qualifier.Get())), m = "CComCommentQualifier::";
    ScopedBstr text(u"v1"), back;
    CommentQualifierAttributeType attribute;
    STraceCapture capture;
    ASSERT_HR(S_OK, qualifier->put_CommentQualifierAttribute(static_cast<CommentQualifierAttributeType>(5)));
    ASSERT_HR(S_OK, qualifier->put_CommentQualifierValue(text.Get()));
    ASSERT_HR(S_OK, qualifier->get_CommentQualifierValue(back.Receive()));
    ASSERT_HR(S_OK, qualifier->get_CommentQualifierAttribute(&attribute));
    EXPECT_HR(E_POINTER, qualifier->get_CommentQualifierAttribute(nullptr));
    EXPECT_HR(E_POINTER, qualifier->get_CommentQualifierValue(nullptr));
    ExpectInvalidPointerReported();
    EXPECT_EQ((std::vector<std::string>{
                  InLine(m + "put_CommentQualifierAttribute", at), OutLine(m + "put_CommentQualifierAttribute", at),
                  InLine(m + "put_CommentQualifierValue", at), OutLine(m + "put_CommentQualifierValue", at),
                  InLine(m + "get_CommentQualifierValue", at), OutLine(m + "get_CommentQualifierValue", at, "v1"),
                  InLine(m + "get_CommentQualifierAttribute", at), OutLine(m + "get_CommentQualifierAttribute", at, "5"),
                  InLine(m + "get_CommentQualifierAttribute", at), "Assertion failed: false: Invalid pointer cq",
                  InLine(m + "get_CommentQualifierValue", at), "Assertion failed: false: Invalid pointer value"}),
              capture.linesUtf8());
    for (const STraceRecord& record : capture.records()) EXPECT_EQ("CComCommentQualifier", record.area);
}
