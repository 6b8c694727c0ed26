// The comment object through the registered module, as clients use it:
// created by CLSID or ProgID, called through its vtable and through IDispatch.
#include "tests/winelib/support/WinelibGTest.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "com/CComComment.h"
#include "platform/foundation/STraceCapture.h"
#include "platform/foundation/SWCharStringConv.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

const char kEmptyJson[] = R"({"comment":{"hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1}})";
const std::string kDefaultsTail = R"("hidden":false,"lastmodifiedtimestamp":-1,"creationtimestamp":-1}})";

struct TextProperty {
    const char16_t* name;
    DISPID dispid;
    decltype(&ISComment::put_Text) put;
    decltype(&ISComment::get_Text) get;
    const char* jsonKey;
    const char* pointerName;  // as the null-pointer assertion names it
};
#define TEXT_PROPERTY(name, id, key, pointer) {u"" #name, id, &ISComment::put_##name, &ISComment::get_##name, key, pointer}
const TextProperty kTextProperties[] = {
    TEXT_PROPERTY(SourceCUID, 2, "sourceCUID", "srcCuid"),
    TEXT_PROPERTY(OwnerCUID, 3, "ownerCUID", "ownerCUID"),
    TEXT_PROPERTY(Text, 4, "text", "text"),
    TEXT_PROPERTY(UserName, 5, "userName", "userName"),
    TEXT_PROPERTY(LastModifiedUserCuid, 6, "lastModifiedUserCuid", "cuid"),
    TEXT_PROPERTY(LastModifiedUserName, 7, "lastModifiedUserName", "name"),
    TEXT_PROPERTY(ContextCommon, 8, "contextCommon", "ctxCommon"),
    TEXT_PROPERTY(AppName, 9, "appName", "appName"),
    TEXT_PROPERTY(AppContext, 10, "appContext", "appCtx"),
    TEXT_PROPERTY(AppDatapath, 11, "appDatapath", "path"),
    TEXT_PROPERTY(OptionKey1, 12, "optionKey1", "optKey"),
    TEXT_PROPERTY(OptionKey2, 13, "optionKey2", "optKey"),
    TEXT_PROPERTY(OptionKey3, 14, "optionKey3", "optKey"),
    TEXT_PROPERTY(OptionKey4, 15, "optionKey4", "optKey"),
    TEXT_PROPERTY(LogicalReportId, 16, "logicalReportId", "repId"),
};

class CommentObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HR(S_OK, CreateByProgId(u"CorvelEnterprise14.Comment.1", IID_ISComment, m_comment));
    }
    std::string Json() const
    {
        ScopedBstr json;
        EXPECT_HR(S_OK, m_comment->ToJSON(json.Receive()));
        return Utf8(json.Get());
    }
    std::string Get(decltype(&ISComment::get_Text) getter) const
    {
        ScopedBstr text;
        EXPECT_HR(S_OK, (m_comment.Get()->*getter)(text.Receive()));
        return Utf8(text.Get());
    }
    void Put(decltype(&ISComment::put_Text) setter, const char16_t* text)
    {
        ScopedBstr value(text);
        EXPECT_HR(S_OK, (m_comment.Get()->*setter)(value.Get()));
    }
    // The address every trace line of this object shows: its SComObjectBase part.
    std::string Address() const
    {
        const SComObjectBase* base = static_cast<CComComment*>(m_comment.Get());
        return SWCharStringConv::ToString(static_cast<const void*>(base)).toUtf8();
    }

    ScopedComPtr<ISComment> m_comment;
};

}  // namespace

TEST_F(CommentObject, NewCommentShowsTheRecordDefaults)
{
    LONG id = 0;
    EXPECT_HR(S_OK, m_comment->get_CommentId(&id));
    EXPECT_EQ(-1, id);
    for (const TextProperty& p : kTextProperties) {
        BSTR text = Sentinel<BSTR>();
        EXPECT_HR(S_OK, (m_comment.Get()->*p.get)(&text));
        ASSERT_NE(Sentinel<BSTR>(), text);
        ASSERT_NE(nullptr, text) << "an empty text is an empty, non-null BSTR";
        EXPECT_EQ(0u, SysStringLen(text));
        SysFreeString(text);
    }
    EXPECT_EQ("-1", Get(&ISComment::get_CreationTimeStamp));
    EXPECT_EQ("-1", Get(&ISComment::get_LastModifiedTimestamp));
    VARIANT_BOOL hidden = 7;
    EXPECT_HR(S_OK, m_comment->get_Hidden(&hidden));
    EXPECT_EQ(VARIANT_FALSE, hidden);
    EXPECT_EQ(kEmptyJson, Json());
}

TEST_F(CommentObject, EachTextPropertyStoresACopyInItsOwnField)
{
    for (const TextProperty& p : kTextProperties) {
        SCOPED_TRACE(Utf8(p.name));
        Put(p.put, u"Gr\u00fc\u00dfe \u20ac \U0001D11E \"q\"");  // the caller frees its string at once
        EXPECT_EQ("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9D\x84\x9E \"q\"", Get(p.get));
        EXPECT_EQ(std::string(R"({"comment":{")") + p.jsonKey +
                      "\":\"Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9D\x84\x9E \\\"q\\\"\"," + kDefaultsTail,
                  Json());
        BSTR withNul = SysAllocStringLen(u"ab\0cd", 5);
        EXPECT_HR(S_OK, (m_comment.Get()->*p.put)(withNul));
        SysFreeString(withNul);
        EXPECT_EQ("ab", Get(p.get)) << "the text up to the first NUL";
        EXPECT_HR(S_OK, (m_comment.Get()->*p.put)(nullptr));
        EXPECT_EQ(kEmptyJson, Json()) << "a null BSTR is the empty text";
    }
}

TEST_F(CommentObject, CommentIdAndHiddenFollowTheirRules)
{
    for (LONG id : {0, 42, -2, 2147483647, -2147483647 - 1, -1}) {
        ASSERT_HR(S_OK, m_comment->put_CommentId(id));
        LONG back = 0;
        ASSERT_HR(S_OK, m_comment->get_CommentId(&back));
        EXPECT_EQ(id, back);
        if (id == 0) {
            EXPECT_EQ(R"({"comment":{"commentId":0,)" + kDefaultsTail, Json());
        }
    }
    EXPECT_EQ(kEmptyJson, Json()) << "-1 leaves commentId out again";
    const VARIANT_BOOL puts[] = {VARIANT_TRUE, 1, VARIANT_FALSE, 0x7FFF}, reads[] = {VARIANT_TRUE, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        ASSERT_HR(S_OK, m_comment->put_Hidden(puts[i]));
        VARIANT_BOOL back = 7;
        ASSERT_HR(S_OK, m_comment->get_Hidden(&back));
        EXPECT_EQ(reads[i], back) << "put " << puts[i];
    }
}

TEST_F(CommentObject, TimestampsAreDecimalTextRenderedAsUtcDates)
{
    const struct {
        const char16_t* put;
        const char* text;
        const char* date;
    } cases[] = {{u"1700000000000", "1700000000000", "Nov 14 2023 22:13:20"}, {u"0", "0", "Jan 01 1970 00:00:00"},
                 {u"951782400000", "951782400000", "Feb 29 2000 00:00:00"}, {u"-5", "-5", "Dec 31 1969 23:59:59"},
                 {u"abc", "-1", "Dec 31 1969 23:59:59"}, {u"", "-1", nullptr}, {u" 12", "-1", nullptr},
                 {u"12x", "-1", nullptr}, {nullptr, "-1", nullptr}, {u"99999999999999999999", "-1", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.put));
        Put(&ISComment::put_CreationTimeStamp, c.put);
        Put(&ISComment::put_LastModifiedTimestamp, c.put);
        EXPECT_EQ(c.text, Get(&ISComment::get_CreationTimeStamp));
        EXPECT_EQ(c.text, Get(&ISComment::get_LastModifiedTimestamp));
        if (!c.date) continue;
        EXPECT_EQ(c.date, Get(&ISComment::get_CreationTimeStampAsString));
        EXPECT_EQ(c.date, Get(&ISComment::get_LastModifiedTimestampAsString));
    }
}

TEST_F(CommentObject, FromJsonReadsTopLevelMembersOnly)
{
    const struct {
        const char16_t* json;
        std::string after;
    } cases[] = {
        {u"not json", kEmptyJson},
        {u"[1,2]", kEmptyJson},
        {nullptr, kEmptyJson},
        {u"{\"comment\":{\"commentId\":5}}", kEmptyJson},  // ToJSON's shape is one level too deep
        {u"{\"commentId\":5}", R"({"comment":{"commentId":5,)" + kDefaultsTail},
        {u"{\"text\":\"t\",\"hidden\":true,\"creationtimestamp\":7}",
         R"({"comment":{"text":"t","hidden":true,"lastmodifiedtimestamp":-1,"creationtimestamp":7}})"},
    };
    for (const auto& c : cases) {
        ASSERT_HR(S_OK, CreateByProgId(u"CorvelEnterprise14.Comment.1", IID_ISComment, m_comment));
        ScopedBstr json(c.json);
        EXPECT_HR(S_OK, m_comment->FromJSON(json.Get()));
        EXPECT_EQ(c.after, Json()) << Utf8(c.json);
    }
    // connecXion is read from JSON only; LogicalReportId never touches it.
    Put(&ISComment::FromJSON, u"{\"connecXion\":\"cx\"}");
    Put(&ISComment::put_LogicalReportId, u"r1");
    EXPECT_EQ(R"({"comment":{"text":"t","logicalReportId":"r1","connecXion":"cx","hidden":true,)"
              R"("lastmodifiedtimestamp":-1,"creationtimestamp":7}})",
              Json());
}

TEST_F(CommentObject, NullOutPointerReportsAndChangesNothing)
{
    Put(&ISComment::put_Text, u"kept");
    const std::string before = Json();
    std::vector<std::pair<std::string, HRESULT>> calls = {  // method, result
        {"get_CommentId cId", m_comment->get_CommentId(nullptr)},
        {"get_Hidden bHide", m_comment->get_Hidden(nullptr)},
        {"ToJSON jsonString", m_comment->ToJSON(nullptr)},
        {"get_CreationTimeStamp timestamp", m_comment->get_CreationTimeStamp(nullptr)},
        {"get_LastModifiedTimestampAsString timestamp", m_comment->get_LastModifiedTimestampAsString(nullptr)}};
    STraceCapture capture;
    for (const TextProperty& p : kTextProperties) {
        SetErrorInfo(0, nullptr);
        calls.emplace_back("get_" + Utf8(p.name) + " " + p.pointerName, (m_comment.Get()->*p.get)(nullptr));
        const ErrorInfoText error = TakeErrorInfo();
        EXPECT_EQ(InvalidPointerText(), error.description);
        EXPECT_EQ("", error.source);
        EXPECT_TRUE(IsEqualGUID(GUID_NULL, error.guid));
    }
    std::vector<std::string> expected;
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_HR(E_POINTER, calls[i].second) << calls[i].first;
        if (i < 5) continue;  // called before the capture began
        const size_t blank = calls[i].first.find(' ');
        expected.push_back(InLine("CComCommentRequest::" + calls[i].first.substr(0, blank), Address()));
        expected.push_back("Assertion failed: false: Invalid pointer " + calls[i].first.substr(blank + 1));
    }
    EXPECT_EQ(expected, capture.linesUtf8()) << "the entry line and the assertion, no exit line";
    EXPECT_EQ(before, Json());
}

TEST_F(CommentObject, EveryCallWritesItsEntryAndExitLine)
{
    STraceCapture capture;
    LONG id = 0;
    ASSERT_HR(S_OK, m_comment->get_CommentId(&id));
    Put(&ISComment::put_Text, u"hello");
    Get(&ISComment::get_Text);
    ASSERT_HR(S_OK, m_comment->put_Hidden(VARIANT_TRUE));
    VARIANT_BOOL hidden = 0;
    ASSERT_HR(S_OK, m_comment->get_Hidden(&hidden));
    const std::string at = Address();
    const std::vector<std::string> expected = {
        InLine("CComCommentRequest::get_CommentId", at), OutLine("CComCommentRequest::get_CommentId", at, "-1"),
        InLine("CComCommentRequest::put_Text", at),      OutLine("CComCommentRequest::put_Text", at),
        InLine("CComCommentRequest::get_Text", at),      OutLine("CComCommentRequest::get_Text", at, "hello"),
        InLine("CComCommentRequest::put_Hidden", at),    OutLine("CComCommentRequest::put_Hidden", at),
        InLine("CComCommentRequest::get_Hidden", at),    OutLine("CComCommentRequest::get_Hidden", at, "-1"),
    };
    EXPECT_EQ(expected, capture.linesUtf8());
    for (const STraceRecord& record : capture.records()) {
        EXPECT_EQ(14, record.level);
        EXPECT_EQ("CComComment", record.area);
        EXPECT_EQ(0, record.flag);
    }
}

TEST_F(CommentObject, ScriptStyleCallsReachEveryMember)
{
    ScopedComPtr<IDispatch> dispatch;
    ASSERT_HR(S_OK, m_comment.QueryInterface(IID_IDispatch, dispatch));
    Dispatch object(dispatch.Get());
    for (const TextProperty& p : kTextProperties) {
        DISPID id = 0;
        ASSERT_HR(S_OK, object.IdOf(p.name, &id));
        EXPECT_EQ(p.dispid, id) << Utf8(p.name);
        Variant value(p.name), back;
        ASSERT_HR(S_OK, object.Call(p.name, DISPATCH_PROPERTYPUT, &value.v, nullptr));
        ASSERT_HR(S_OK, object.Call(p.name, DISPATCH_PROPERTYGET, nullptr, &back.v));
        EXPECT_EQ(Utf8(p.name), Utf8(V_BSTR(&back.v)));
    }
    const std::pair<const char16_t*, DISPID> others[] = {
        {u"CommentId", 1}, {u"CreationTimeStamp", 17}, {u"LastModifiedTimestamp", 18}, {u"Hidden", 19},
        {u"ToJSON", 0x60020026}, {u"FromJSON", 0x60020027}, {u"CreationTimeStampAsString", 20},
        {u"LastModifiedTimestampAsString", 21}};
    for (const auto& o : others) {
        DISPID id = 0;
        ASSERT_HR(S_OK, object.IdOf(o.first, &id));
        EXPECT_EQ(o.second, id) << Utf8(o.first);
    }
    Variant id(77), stamp(u"86400000"), json(u"{\"hidden\":true}"), back;
    ASSERT_HR(S_OK, object.Call(u"CommentId", DISPATCH_PROPERTYPUT, &id.v, nullptr));
    ASSERT_HR(S_OK, object.Call(u"CreationTimeStamp", DISPATCH_PROPERTYPUT, &stamp.v, nullptr));
    ASSERT_HR(S_OK, object.Call(u"FromJSON", DISPATCH_METHOD, &json.v, nullptr));
    ASSERT_HR(S_OK, object.Call(u"Hidden", DISPATCH_PROPERTYGET, nullptr, &back.v));
    EXPECT_EQ(VT_BOOL, V_VT(&back.v));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(&back.v));
    ASSERT_HR(S_OK, object.Call(u"CreationTimeStampAsString", DISPATCH_PROPERTYGET, nullptr, &back.v));
    EXPECT_EQ("Jan 02 1970 00:00:00", Utf8(V_BSTR(&back.v)));
    ASSERT_HR(S_OK, object.Call(u"ToJSON", DISPATCH_METHOD, nullptr, &back.v));
    EXPECT_EQ(Json(), Utf8(V_BSTR(&back.v)));
    EXPECT_NE(std::string::npos, Json().find("\"commentId\":77,"));
}

TEST_F(CommentObject, DispatchAnswersFromTheTypeLibrary)
{
    ScopedComPtr<IDispatch> dispatch;
    ASSERT_HR(S_OK, m_comment.QueryInterface(IID_IDispatch, dispatch));
    UINT count = 0;
    EXPECT_HR(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    ITypeInfo* none = Sentinel<ITypeInfo*>();
    EXPECT_HR(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &none));
    EXPECT_EQ(nullptr, none);
    DISPPARAMS noArgs{};
    Variant result;
    EXPECT_HR(DISP_E_UNKNOWNINTERFACE, dispatch->Invoke(1, IID_ISComment, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                                        &noArgs, &result.v, nullptr, nullptr));
    DISPID id = 0;
    EXPECT_HR(DISP_E_UNKNOWNNAME, Dispatch(dispatch.Get()).IdOf(u"NoSuchMember", &id));
}
