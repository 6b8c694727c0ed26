// The request and response objects through the registered module, as clients
// use them: created by ProgID, called through the vtable and by name.
#include "tests/winelib/support/WinelibGTest.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "com/CComCommentErrorResponse.h"
#include "com/CComDeleteCommentRequest.h"
#include "com/CComGetCommentRequest.h"
#include "platform/foundation/STraceCapture.h"
#include "platform/foundation/SWCharStringConv.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

const char16_t kFixedError[] =
    u"{\"responseType\":5,\"description\":\"Comment-Request validation failed: Invalid comment parameter(s) set\","
    u"\"errorCode\":\"CMNTRY 011\",\"statusCode\":-1}";
const char kFixedDescription[] = "Comment-Request validation failed: Invalid comment parameter(s) set";
const char16_t kTwoComments[] = u"{\"statusCode\":0,\"description\":\"found\",\"responseType\":2,"
                                u"\"comments\":[{\"commentId\":4,\"text\":\"first\"},{\"commentId\":5}]}";

template <class Interface>
ScopedComPtr<Interface> Create(const char16_t* name, REFIID riid)
{
    ScopedComPtr<Interface> object;
    EXPECT_HR(S_OK, CreateByProgId((u"CorvelEnterprise14." + std::u16string(name) + u".1").c_str(), riid, object));
    return object;
}

template <class Class, class Interface>
std::string AddressOf(Interface* object)
{
    const SComObjectBase* base = static_cast<Class*>(object);
    return SWCharStringConv::ToString(static_cast<const void*>(base)).toUtf8();
}

struct RequestClass {
    const char16_t* coclass;
    const IID* own;
    CommentRequestType type;
};
const RequestClass kRequests[] = {
    {u"AddCommentRequest", &IID_ISAddCommentRequest, AddCommentRequestType},
    {u"GetCommentRequest", &IID_ISGetCommentRequest, GetCommentRequestType},
    {u"ModifyCommentRequest", &IID_ISModifyCommentRequest, ModifyCommentRequestType},
    {u"DeleteCommentRequest", &IID_ISDeleteCommentRequest, DeleteCommentRequestType},
    {u"HideCommentRequest", &IID_ISHideCommentRequest, HideCommentRequestType},
    {u"DuplicateCommentRequest", &IID_ISDuplicateCommentRequest, DuplicateCommentRequestType},
};

struct InitCase {
    const char16_t* coclass;
    const IID* own;
    const char16_t* text;
    const char* expected;  // StatusCode|Description|ResponseType[|ErrorCode]
};
const InitCase kInitCases[] = {
    {u"AddCommentSuccessResponse", &IID_ISAddCommentSuccessResponse,
     u"{\"statusCode\":0,\"description\":\"success\",\"responseType\":1}", "0|success|1"},
    {u"CommentErrorResponse", &IID_ISCommentErrorResponse, kFixedError, "-1|%|5|CMNTRY 011"},
    {u"ModifyCommentSuccessResponse", &IID_ISModifyCommentSuccessResponse, kFixedError, "-1|%|5"},
    {u"DeleteCommentSuccessResponse", &IID_ISDeleteCommentSuccessResponse, u"not json", "0||0"},
    {u"CommentErrorResponse", &IID_ISCommentErrorResponse, nullptr, "0||0|"},
    {u"GetCommentSuccessResponse", &IID_ISGetCommentSuccessResponse, kTwoComments, "0|found|2"},
};

}  // namespace

class EveryRequest : public ::testing::TestWithParam<RequestClass> {};

TEST_P(EveryRequest, HasItsFixedTypeAndHoldsACountedComment)
{
    const RequestClass& c = GetParam();
    auto request = Create<ISCommentRequest>(c.coclass, *c.own);
    ASSERT_TRUE(request);
    CommentRequestType type = InvalidCommentRequestType;
    EXPECT_HR(S_OK, request->get_RequestType(&type));
    EXPECT_EQ(c.type, type);
    EXPECT_EQ(std::to_string(c.type), TextByName(request.Get(), u"RequestType"));
    ISComment* held = Sentinel<ISComment*>();
    EXPECT_HR(S_OK, request->get_Comment(&held));
    EXPECT_EQ(nullptr, held);

    auto comment = Create<ISComment>(u"Comment", IID_ISComment);
    ASSERT_HR(S_OK, request->put_Comment(comment.Get()));
    ASSERT_HR(S_OK, request->put_Comment(comment.Get()));
    EXPECT_EQ(2u, RefCount(comment.Get())) << "one reference held, also when stored twice";
    ASSERT_HR(S_OK, request->get_Comment(&held));
    EXPECT_EQ(comment.Get(), held);
    EXPECT_EQ(3u, RefCount(comment.Get())) << "one more for the caller";
    held->Release();
    ASSERT_HR(S_OK, request->put_Comment(nullptr));
    EXPECT_EQ(1u, RefCount(comment.Get()));
    EXPECT_EQ("null", TextByName(request.Get(), u"Comment"));

    BSTR json = nullptr;
    EXPECT_HR(S_OK, request->ToJSON(&json));
    EXPECT_EQ(nullptr, json) << "no text is written";
    EXPECT_HR(E_POINTER, request->ToJSON(nullptr));
    EXPECT_HR(E_POINTER, request->get_RequestType(nullptr));
}

INSTANTIATE_TEST_SUITE_P(Module, EveryRequest, ::testing::ValuesIn(kRequests));

TEST(GetRequest, StoresSnapshotsAndHandsOutDistinctLiveViews)
{
    auto request = Create<ISGetCommentRequest>(u"GetCommentRequest", IID_ISGetCommentRequest);
    auto sort = Create<ISSortParam>(u"SortParam", IID_ISSortParam);
    auto qualifier = Create<ISCommentQualifier>(u"CommentQualifier", IID_ISCommentQualifier);
    ScopedBstr top(u"top 5"), changed(u"top 9");
    ASSERT_HR(S_OK, sort->put_SortOrder(SORTORDER_DESCENDING));
    ASSERT_HR(S_OK, qualifier->put_CommentQualifierValue(top.Get()));
    ASSERT_HR(S_OK, request->AddSortParam(sort.Get()));
    ASSERT_HR(S_OK, request->AddCommentQualifier(qualifier.Get()));
    ASSERT_HR(S_OK, sort->put_SortOrder(SORTORDER_ASCENDING));
    ASSERT_HR(S_OK, qualifier->put_CommentQualifierValue(changed.Get()));
    EXPECT_HR(E_POINTER, request->AddSortParam(nullptr));
    EXPECT_EQ("1|1", TextByName(request.Get(), u"SortParamCount") + "|" +
                         TextByName(request.Get(), u"CommentQualifierCount"));

    ScopedComPtr<ISSortParam> first, second;
    ScopedComPtr<ISCommentQualifier> q1, q2;
    ASSERT_HR(S_OK, request->GetSortParam(0, first.Receive()));
    ASSERT_HR(S_OK, request->GetSortParam(0, second.Receive()));
    ASSERT_HR(S_OK, request->GetCommentQualifier(0, q1.Receive()));
    ASSERT_HR(S_OK, request->GetCommentQualifier(0, q2.Receive()));
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_EQ("1", TextByName(first.Get(), u"SortOrder")) << "the snapshot, not the later change";
    EXPECT_EQ("top 5", TextByName(q1.Get(), u"CommentQualifierValue"));
    ASSERT_HR(S_OK, first->put_SortOrder(SORTORDER_ASCENDING));
    ASSERT_HR(S_OK, q1->put_CommentQualifierValue(changed.Get()));
    EXPECT_EQ("0", TextByName(second.Get(), u"SortOrder")) << "both views share the request's record";
    EXPECT_EQ("top 9", TextByName(q2.Get(), u"CommentQualifierValue"));
    for (int index : {-1, 1}) {
        ISSortParam* none = Sentinel<ISSortParam*>();
        EXPECT_HR(DISP_E_BADINDEX, request->GetSortParam(index, &none));
        EXPECT_EQ(nullptr, none);
        EXPECT_HR(DISP_E_BADINDEX, request->GetCommentQualifier(index, q1.Receive()));
    }
}

TEST(DuplicateRequest, CopiesTheTargetUpToItsFirstNulAndKeepsNullNull)
{
    auto request = Create<ISDuplicateCommentRequest>(u"DuplicateCommentRequest", IID_ISDuplicateCommentRequest);
    BSTR fresh = Sentinel<BSTR>();
    ASSERT_HR(S_OK, request->get_TargetDocumentCUID(&fresh));
    EXPECT_EQ(nullptr, fresh) << "a null string at creation";
    const std::pair<BSTR, const char16_t*> cases[] = {  // stored text; null: a null string
        {SysAllocString(u"doc-9"), u"doc-9"}, {SysAllocString(u""), u""}, {SysAllocStringLen(u"ab\0cd", 5), u"ab"},
        {nullptr, nullptr}};
    for (const auto& [given, stored] : cases) {
        ASSERT_HR(S_OK, request->put_TargetDocumentCUID(given));
        SysFreeString(given);
        ScopedBstr target;
        ASSERT_HR(S_OK, request->get_TargetDocumentCUID(target.Receive()));
        EXPECT_EQ(stored ? std::u16string(stored) : u"(null)",
                  target.Get() ? std::u16string(target.Get(), target.Length()) : u"(null)");
    }
}

class InitText : public ::testing::TestWithParam<InitCase> {};

// Each response is initialised twice; the second text, given by name, wins.
TEST_P(InitText, BuildsTheModelTheGettersAnswerFrom)
{
    const InitCase& c = GetParam();
    auto response = Create<ISCommentResponse>(c.coclass, *c.own);
    ScopedBstr first(u"{\"statusCode\":7,\"description\":\"first\",\"responseType\":3}");
    ASSERT_HR(S_OK, response->Init(first.Get()));
    Variant text;
    V_VT(&text.v) = VT_BSTR;
    V_BSTR(&text.v) = c.text ? SysAllocString(c.text) : nullptr;
    EXPECT_EQ("", TextByName(response.Get(), u"Init", DISPATCH_METHOD, &text.v));
    std::string read = TextByName(response.Get(), u"StatusCode") + "|" + TextByName(response.Get(), u"Description") +
                       "|" + TextByName(response.Get(), u"ResponseType");
    if (IsEqualGUID(*c.own, IID_ISCommentErrorResponse)) read += "|" + TextByName(response.Get(), u"ErrorCode");
    std::string expected = c.expected;
    if (expected.find('%') != std::string::npos) expected.replace(expected.find('%'), 1, kFixedDescription);
    EXPECT_EQ(expected, read);
}

INSTANTIATE_TEST_SUITE_P(Module, InitText, ::testing::ValuesIn(kInitCases));

TEST(GetResponse, HandsOutCommentsThatOutliveItAndLetTheModuleGoAfterThem)
{
    auto response = Create<ISGetCommentSuccessResponse>(u"GetCommentSuccessResponse", IID_ISGetCommentSuccessResponse);
    int count = 7;
    LONG status = 7;
    ISComment* none = Sentinel<ISComment*>();
    EXPECT_HR(OLE_E_BLANK, response->get_Count(&count));
    EXPECT_HR(OLE_E_BLANK, response->get_Comment(0, &none));
    EXPECT_HR(OLE_E_BLANK, response->get_StatusCode(&status));
    EXPECT_EQ(7, count) << "nothing is written before Init";
    EXPECT_EQ(7, status);
    EXPECT_EQ(Sentinel<ISComment*>(), none);

    ScopedBstr text(kTwoComments), written(u"written");
    ASSERT_HR(S_OK, response->Init(text.Get()));
    Variant one(1L), byName;
    EXPECT_EQ("2", TextByName(response.Get(), u"get_Count", DISPATCH_METHOD));
    ASSERT_HR(S_OK, Dispatch(response.Get()).Call(u"get_Comment", DISPATCH_METHOD, &one.v, &byName.v));
    ASSERT_EQ(VT_DISPATCH, V_VT(&byName.v));
    EXPECT_EQ("5", TextByName(V_DISPATCH(&byName.v), u"CommentId")) << "the second comment";
    EXPECT_HR(DISP_E_BADINDEX, response->get_Comment(2, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_HR(E_POINTER, response->get_Comment(0, nullptr));
    ScopedComPtr<ISComment> first, second;
    ASSERT_HR(S_OK, response->get_Comment(1, first.Receive()));
    ASSERT_HR(S_OK, response->get_Comment(1, second.Receive()));
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_EQ("5", TextByName(first.Get(), u"CommentId"));
    ASSERT_HR(S_OK, first->put_Text(written.Get()));
    EXPECT_EQ("written", TextByName(second.Get(), u"Text"));

    using CanUnloadNow = HRESULT(WINAPI*)();
    const auto canUnloadNow = reinterpret_cast<CanUnloadNow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(u"LumoCommentary.dll"), "DllCanUnloadNow")));
    ASSERT_NE(nullptr, canUnloadNow);
    response.Reset();
    second.Reset();
    VariantClear(&byName.v);
    EXPECT_HR(S_FALSE, canUnloadNow());
    EXPECT_EQ("written", TextByName(first.Get(), u"Text")) << "the comment outlives its response";
    first.Reset();
    EXPECT_HR(S_OK, canUnloadNow());
}

TEST(Trace, RequestMethodsTraceNoValuesAndGettersTheirValue)
{
    auto get = Create<ISGetCommentRequest>(u"GetCommentRequest", IID_ISGetCommentRequest);
    auto remove = Create<ISDeleteCommentRequest>(u"DeleteCommentRequest", IID_ISDeleteCommentRequest);
    auto error = Create<ISCommentErrorResponse>(u"CommentErrorResponse", IID_ISCommentErrorResponse);
    const std::string getAt = AddressOf<CComGetCommentRequest>(get.Get());
    const std::string removeAt = AddressOf<CComDeleteCommentRequest>(remove.Get());
    const std::string errorAt = AddressOf<CComCommentErrorResponse>(error.Get());
    ScopedBstr callers(u"caller's text"), text(kFixedError);
    BSTR json = callers.Get();
    CommentRequestType requestType;
    CommentResponseType responseType;
    STraceCapture capture;
    ASSERT_HR(S_OK, get->ToJSON(&json));
    ASSERT_HR(S_OK, remove->get_RequestType(&requestType));
    EXPECT_HR(E_POINTER, remove->ToJSON(nullptr));
    ASSERT_HR(S_OK, error->Init(text.Get()));
    EXPECT_HR(E_POINTER, error->get_StatusCode(nullptr));
    EXPECT_EQ(InvalidPointerText(), TakeErrorInfo().description);
    ASSERT_HR(S_OK, error->get_ResponseType(&responseType));
    EXPECT_EQ(callers.Get(), json);
    EXPECT_EQ((std::vector<std::string>{
                  InLine("CComGetCommentRequest::ToJSON", getAt) + "[caller's text]",
                  OutLine("CComGetCommentRequest::ToJSON", getAt, "caller's text"),
                  InLine("CComDeleteCommentRequest::get_RequestType", removeAt),
                  OutLine("CComDeleteCommentRequest::get_RequestType", removeAt),
                  InLine("CComDeleteCommentRequest::ToJSON", removeAt),
                  "Assertion failed: false: Invalid pointer jsonString",
                  InLine("CComCommentErrorResponse::get_StatusCode", errorAt),
                  "Assertion failed: false: Invalid pointer pStatus",
                  InLine("CComCommentErrorResponse::get_ResponseType", errorAt),
                  OutLine("CComCommentErrorResponse::get_ResponseType", errorAt, "5")}),
              capture.linesUtf8());
}
