#include "tests/winelib/support/WinelibGTest.h"

#include <tuple>

#include "module/LumoCommentary.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

// The error information of a failure an object chose itself.
std::string OwnFailure(const char* message, const char16_t* coclass, const IID& own)
{
    return std::string(message) + "|CorvelEnterprise14." + Utf8(coclass) + ".1|" + GuidText(own);
}
const char kNullOut[] = "Invalid pointer: a required output parameter was not supplied.";
const char kBadIndex[] = "The index is outside the list.";

}  // namespace

TEST(EveryRequest, HasItsFixedTypeHoldsACountedCommentAndWritesNoText)
{
    const std::tuple<const char16_t*, const IID*, CommentRequestType> requests[] = {
        {u"AddCommentRequest", &IID_ISAddCommentRequest, AddCommentRequestType},
        {u"GetCommentRequest", &IID_ISGetCommentRequest, GetCommentRequestType},
        {u"ModifyCommentRequest", &IID_ISModifyCommentRequest, ModifyCommentRequestType},
        {u"DeleteCommentRequest", &IID_ISDeleteCommentRequest, DeleteCommentRequestType},
        {u"HideCommentRequest", &IID_ISHideCommentRequest, HideCommentRequestType},
        {u"DuplicateCommentRequest", &IID_ISDuplicateCommentRequest, DuplicateCommentRequestType}};
    for (const auto& [coclass, own, kind] : requests) {
        SCOPED_TRACE(Utf8(coclass));
        auto request = Create<ISCommentRequest>(coclass, *own);
        auto comment = Create<ISComment>(u"Comment", IID_ISComment);
        ASSERT_TRUE(request && comment);
        CommentRequestType type = InvalidCommentRequestType;
        ISComment* held = Sentinel<ISComment*>();
        EXPECT_HR(S_OK, request->get_RequestType(&type));
        EXPECT_HR(S_OK, request->get_Comment(&held));
        EXPECT_EQ(kind, type);
        EXPECT_EQ(nullptr, held);
        ASSERT_HR(S_OK, request->put_Comment(comment.Get()));
        ASSERT_HR(S_OK, request->put_Comment(comment.Get()));
        EXPECT_EQ(2u, RefCount(comment.Get())) << "one reference held, also when stored twice";
        ASSERT_HR(S_OK, request->get_Comment(&held));
        EXPECT_EQ(comment.Get(), held);
        EXPECT_EQ(3u, RefCount(comment.Get())) << "one more for the caller";
        held->Release();
        ASSERT_HR(S_OK, request->put_Comment(nullptr));
        EXPECT_EQ(1u, RefCount(comment.Get()));

        // ToJSON writes nothing; the get request's entry line shows the text.
        ScopedBstr callers(u"caller's text");
        BSTR json = callers.Get(), none = nullptr;
        std::vector<std::string> lines = FrameLines(
            "CCom" + Utf8(coclass), {"get_RequestType", "ToJSON=caller's text", "ToJSON=", "ToJSON!jsonString"});
        if (kind == GetCommentRequestType) lines[2] += "[caller's text]", lines[4] += "[]", lines[6] += "[]";
        EXPECT_EQ(lines, TraceOf([&] {
                      request->get_RequestType(&type), request->ToJSON(&json), request->ToJSON(&none);
                      EXPECT_HR(E_POINTER, request->ToJSON(nullptr));
                  }));
        EXPECT_EQ(kInvalidPointerReported, TakeErrorInfo());
        EXPECT_EQ(callers.Get(), json);
        EXPECT_EQ(nullptr, none);
        EXPECT_HR(E_POINTER, request->get_RequestType(nullptr));
        EXPECT_EQ(OwnFailure(kNullOut, coclass, *own), TakeErrorInfo());
        EXPECT_HR(E_POINTER, request->get_Comment(nullptr));
        EXPECT_EQ(OwnFailure(kNullOut, coclass, *own), TakeErrorInfo());
    }
}

TEST(GetRequest, StoresSnapshotsAndHandsOutDistinctLiveViews)
{
    auto request = Create<ISGetCommentRequest>(u"GetCommentRequest", IID_ISGetCommentRequest);
    auto sort = Create<ISSortParam>(u"SortParam", IID_ISSortParam);
    auto qualifier = Create<ISCommentQualifier>(u"CommentQualifier", IID_ISCommentQualifier);
    ScopedBstr top(u"top 5"), changed(u"top 9"), value;
    ASSERT_HR(S_OK, sort->put_SortOrder(SORTORDER_DESCENDING));
    ASSERT_HR(S_OK, qualifier->put_CommentQualifierValue(top.Get()));
    ASSERT_HR(S_OK, request->AddSortParam(sort.Get()));
    ASSERT_HR(S_OK, request->AddCommentQualifier(qualifier.Get()));
    ASSERT_HR(S_OK, sort->put_SortOrder(SORTORDER_ASCENDING));
    ASSERT_HR(S_OK, qualifier->put_CommentQualifierValue(changed.Get()));
    EXPECT_HR(E_POINTER, request->AddSortParam(nullptr));
    EXPECT_EQ(OwnFailure("A required object argument was not supplied.", u"GetCommentRequest", IID_ISGetCommentRequest),
              TakeErrorInfo());
    int sorts = 0, qualifiers = 0;
    ASSERT_HR(S_OK, request->get_SortParamCount(&sorts));
    ASSERT_HR(S_OK, request->get_CommentQualifierCount(&qualifiers));
    EXPECT_EQ("1 1", std::to_string(sorts) + " " + std::to_string(qualifiers));

    ScopedComPtr<ISSortParam> first, second;
    ScopedComPtr<ISCommentQualifier> q1, q2;
    ASSERT_HR(S_OK, request->GetSortParam(0, first.Receive()));
    ASSERT_HR(S_OK, request->GetSortParam(0, second.Receive()));
    ASSERT_HR(S_OK, request->GetCommentQualifier(0, q1.Receive()));
    ASSERT_HR(S_OK, request->GetCommentQualifier(0, q2.Receive()));
    EXPECT_NE(first.Get(), second.Get());
    SortOrderType order = SORTORDER_ASCENDING;
    auto views = [&] {
        second->get_SortOrder(&order), q2->get_CommentQualifierValue(value.Receive());
        return std::to_string(order) + "|" + Utf8(value.Get());
    };
    EXPECT_EQ("1|top 5", views()) << "the snapshots, not the later changes";
    ASSERT_HR(S_OK, first->put_SortOrder(SORTORDER_ASCENDING));
    ASSERT_HR(S_OK, q1->put_CommentQualifierValue(changed.Get()));
    EXPECT_EQ("0|top 9", views()) << "both views share the request's record";

    for (int index : {-1, 1}) {
        ISSortParam* none = Sentinel<ISSortParam*>();
        EXPECT_HR(DISP_E_BADINDEX, request->GetSortParam(index, &none));
        EXPECT_EQ(nullptr, none);
        EXPECT_EQ(OwnFailure(kBadIndex, u"GetCommentRequest", IID_ISGetCommentRequest), TakeErrorInfo());
        EXPECT_HR(DISP_E_BADINDEX, request->GetCommentQualifier(index, q1.Receive()));
    }
    EXPECT_EQ(FrameLines("CComGetCommentRequest", {"GetSortParam", "GetCommentQualifier"}), TraceOf([&] {
                  EXPECT_HR(S_OK, request->GetSortParam(0, nullptr));
                  EXPECT_HR(S_OK, request->GetCommentQualifier(0, nullptr));
              }));
    request.Reset();
    EXPECT_EQ("0|top 9", views()) << "the views outlive the request";
}

TEST(GetResponse, ReportsWhatItCannotAnswer)
{
    auto response = Create<ISGetCommentSuccessResponse>(u"GetCommentSuccessResponse", IID_ISGetCommentSuccessResponse);
    auto failure = [](const char* message) {
        return OwnFailure(message, u"GetCommentSuccessResponse", IID_ISGetCommentSuccessResponse);
    };
    const std::string blank = failure("The response holds no reply yet: call Init with the reply text first.");
    int count = 7;
    LONG status = 7;
    ISComment* none = Sentinel<ISComment*>();
    EXPECT_HR(OLE_E_BLANK, response->get_Count(&count));
    EXPECT_EQ(blank, TakeErrorInfo());
    EXPECT_HR(OLE_E_BLANK, response->get_Comment(0, &none));
    EXPECT_EQ(blank, TakeErrorInfo());
    EXPECT_HR(OLE_E_BLANK, response->get_StatusCode(&status));
    EXPECT_EQ(blank, TakeErrorInfo());
    EXPECT_EQ("7 7", std::to_string(count) + " " + std::to_string(status)) << "nothing is written before Init";
    EXPECT_EQ(Sentinel<ISComment*>(), none);

    ScopedBstr text(u"{\"responseType\":2,\"comments\":[{\"commentId\":4}]}");
    ASSERT_HR(S_OK, response->Init(text.Get()));
    EXPECT_HR(DISP_E_BADINDEX, response->get_Comment(-1, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(failure(kBadIndex), TakeErrorInfo());
    EXPECT_HR(E_POINTER, response->get_Comment(0, nullptr));
    EXPECT_HR(E_POINTER, response->get_Count(nullptr));
    EXPECT_EQ(failure(kNullOut), TakeErrorInfo());
    CommentResponseType type;
    EXPECT_EQ(FrameLines("CComGetCommentSuccessResponse", {"get_StatusCode!pStatus", "get_ResponseType=2"}),
              TraceOf([&] { response->get_StatusCode(nullptr), response->get_ResponseType(&type); }));
    EXPECT_EQ(kInvalidPointerReported, TakeErrorInfo());
}
