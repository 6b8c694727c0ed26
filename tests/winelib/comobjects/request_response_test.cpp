// The request and response objects through the registered module, as clients
// use them: created by ProgID, called through the vtable and by name.
#include "tests/winelib/support/WinelibGTest.h"

#include "module/LumoCommentary.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

const char16_t kTwoComments[] = u"{\"statusCode\":0,\"description\":\"found\",\"responseType\":2,"
                                u"\"comments\":[{\"commentId\":4,\"text\":\"first\"},{\"commentId\":5}]}";

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

void PrintTo(const RequestClass& c, std::ostream* out) { *out << Utf8(c.coclass); }

}  // namespace

class EveryRequest : public ::testing::TestWithParam<RequestClass> {};

TEST_P(EveryRequest, HasItsFixedTypeHoldsACountedCommentAndWritesNoText)
{
    const RequestClass& c = GetParam();
    auto request = Create<ISCommentRequest>(c.coclass, *c.own);
    ASSERT_TRUE(request);
    CommentRequestType type = InvalidCommentRequestType;
    EXPECT_HR(S_OK, request->get_RequestType(&type));
    EXPECT_EQ(c.type, type);
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

    // ToJSON writes nothing; the get request's entry line shows the text found.
    ScopedBstr callers(u"caller's text");
    BSTR json = callers.Get(), none = nullptr;
    const std::string m = "CCom" + Utf8(c.coclass) + "::";
    const std::string shown = c.type == GetCommentRequestType ? "[caller's text]" : "", empty = shown.empty() ? "" : "[]";
    EXPECT_EQ((std::vector<std::string>{InLine(m + "get_RequestType", "@1"), OutLine(m + "get_RequestType", "@1"),
                                        InLine(m + "ToJSON", "@1") + shown, OutLine(m + "ToJSON", "@1", "caller's text"),
                                        InLine(m + "ToJSON", "@1") + empty, OutLine(m + "ToJSON", "@1", ""),
                                        InLine(m + "ToJSON", "@1") + empty,
                                        "Assertion failed: false: Invalid pointer jsonString"}),
              MaskAddresses(TraceOf([&] {
                  EXPECT_HR(S_OK, request->get_RequestType(&type));
                  EXPECT_HR(S_OK, request->ToJSON(&json));
                  EXPECT_HR(S_OK, request->ToJSON(&none));
                  EXPECT_HR(E_POINTER, request->ToJSON(nullptr));
              })));
    ExpectInvalidPointerReported();
    EXPECT_EQ(callers.Get(), json);
    EXPECT_EQ(nullptr, none);
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
    EXPECT_EQ("1|top 5", TextByName(first.Get(), u"SortOrder") + "|" + TextByName(q1.Get(), u"CommentQualifierValue"))
        << "the snapshots, not the later changes";
    ASSERT_HR(S_OK, first->put_SortOrder(SORTORDER_ASCENDING));
    ASSERT_HR(S_OK, q1->put_CommentQualifierValue(changed.Get()));
    EXPECT_EQ("0|top 9", TextByName(second.Get(), u"SortOrder") + "|" + TextByName(q2.Get(), u"CommentQualifierValue"))
        << "both views share the request's record";
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

TEST(GetResponse, HandsOutDistinctViewsOfItsCommentsOnlyAfterInit)
{
    auto response = Create<ISGetCommentSuccessResponse>(u"GetCommentSuccessResponse", IID_ISGetCommentSuccessResponse);
    int count = 7;
    ISComment* none = Sentinel<ISComment*>();
    EXPECT_HR(OLE_E_BLANK, response->get_Count(&count));
    EXPECT_HR(OLE_E_BLANK, response->get_Comment(0, &none));
    EXPECT_EQ(7, count) << "nothing is written before Init";
    EXPECT_EQ(Sentinel<ISComment*>(), none);

    ScopedBstr text(kTwoComments);
    ASSERT_HR(S_OK, response->Init(text.Get()));
    EXPECT_HR(DISP_E_BADINDEX, response->get_Comment(2, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_HR(DISP_E_BADINDEX, response->get_Comment(-1, &none));
    EXPECT_HR(E_POINTER, response->get_Comment(0, nullptr));
    ScopedComPtr<ISComment> first, second;
    ASSERT_HR(S_OK, response->get_Comment(1, first.Receive()));
    ASSERT_HR(S_OK, response->get_Comment(1, second.Receive()));
    EXPECT_NE(first.Get(), second.Get()) << "a new view for every call";

    const std::string m = "CComGetCommentSuccessResponse::";
    CommentResponseType type;
    SetErrorInfo(0, nullptr);
    EXPECT_EQ((std::vector<std::string>{InLine(m + "get_StatusCode", "@1"),
                                        "Assertion failed: false: Invalid pointer pStatus",
                                        InLine(m + "get_ResponseType", "@1"), OutLine(m + "get_ResponseType", "@1", "2")}),
              MaskAddresses(TraceOf([&] {
                  EXPECT_HR(E_POINTER, response->get_StatusCode(nullptr));
                  EXPECT_HR(S_OK, response->get_ResponseType(&type));
              })));
    ExpectInvalidPointerReported();

    ASSERT_HR(S_OK, response->Init(nullptr));
    EXPECT_EQ("0||0|0", TextByName(response.Get(), u"StatusCode") + "|" + TextByName(response.Get(), u"Description") +
                            "|" + TextByName(response.Get(), u"ResponseType") + "|" +
                            TextByName(response.Get(), u"get_Count", DISPATCH_METHOD))
        << "a null text is no JSON: Init builds an empty model";
}
