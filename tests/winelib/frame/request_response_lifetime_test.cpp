// Lifetime of the views that requests and responses hand out, white-box:
// objects are counted (SComObjectBase::LiveObjectCount) next to the module's
// lock count.  Also the internal operations the service object uses.
#include "tests/winelib/support/WinelibGTest.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "com/CComComment.h"
#include "com/CComDeleteCommentRequest.h"
#include "com/CComDuplicateCommentSuccessResponse.h"
#include "com/CComGetCommentRequest.h"
#include "com/CComGetCommentSuccessResponse.h"
#include "com/CComHideCommentRequest.h"
#include "com/CComHideCommentSuccessResponse.h"
#include "com/CComSortParams.h"
#include "module/LumoCommentaryModule.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

template <class Class, class Interface>
ScopedComPtr<Interface> Make(REFIID riid)
{
    ScopedComPtr<Interface> object;
    EXPECT_HR(S_OK, Class::_CreatorClass::CreateInstance(nullptr, riid, object.ReceiveVoid()));
    return object;
}

class HandedOutViews : public ::testing::Test {
protected:
    void SetUp() override { m_live = SComObjectBase::LiveObjectCount(); }
    void TearDown() override
    {
        EXPECT_EQ(m_live, SComObjectBase::LiveObjectCount()) << "objects left alive";
        EXPECT_EQ(0, g_ComModule.GetLockCount());
    }
    long m_live = 0;
};

}  // namespace

TEST_F(HandedOutViews, CommentsOutliveTheirGetResponseAndItsReplacedModel)
{
    auto response = Make<CComGetCommentSuccessResponse, ISGetCommentSuccessResponse>(IID_ISGetCommentSuccessResponse);
    ScopedBstr first(u"{\"comments\":[{\"commentId\":4,\"text\":\"kept\"}]}"), second(u"{\"comments\":[{}]}");
    ScopedComPtr<ISComment> fromFirst, fromSecond;
    ASSERT_HR(S_OK, response->Init(first.Get()));
    ASSERT_HR(S_OK, response->get_Comment(0, fromFirst.Receive()));
    ASSERT_HR(S_OK, response->Init(second.Get()));
    ASSERT_HR(S_OK, response->get_Comment(0, fromSecond.Receive()));
    response.Reset();
    EXPECT_EQ(m_live + 2, SComObjectBase::LiveObjectCount());
    EXPECT_EQ(2, g_ComModule.GetLockCount());
    EXPECT_EQ("kept", TextByName(fromFirst.Get(), u"Text"));
    ASSERT_HR(S_OK, fromSecond->put_CommentId(6));
    EXPECT_EQ("6", TextByName(fromSecond.Get(), u"CommentId"));
}

TEST_F(HandedOutViews, SortParamViewsOutliveTheirGetRequest)
{
    auto request = Make<CComGetCommentRequest, ISGetCommentRequest>(IID_ISGetCommentRequest);
    auto comment = Make<CComComment, ISComment>(IID_ISComment);
    ASSERT_HR(S_OK, request->put_Comment(comment.Get()));
    comment.Reset();
    ScopedComPtr<ISSortParam> view;
    {
        auto sort = Make<CComSortParam, ISSortParam>(IID_ISSortParam);
        ASSERT_HR(S_OK, sort->put_SortOrder(SORTORDER_DESCENDING));
        ASSERT_HR(S_OK, request->AddSortParam(sort.Get()));
    }
    EXPECT_HR(DISP_E_BADINDEX, request->GetSortParam(1, view.Receive()));
    EXPECT_EQ(m_live + 2, SComObjectBase::LiveObjectCount()) << "request and its comment; a refused index makes none";
    ASSERT_HR(S_OK, request->GetSortParam(0, view.Receive()));
    request.Reset();
    EXPECT_EQ(m_live + 1, SComObjectBase::LiveObjectCount()) << "the request released its comment";
    ASSERT_HR(S_OK, view->put_SortAttribute(SORTATTRIBUTE_CREATIONTIME));
    EXPECT_EQ("1|1", TextByName(view.Get(), u"SortAttribute") + "|" + TextByName(view.Get(), u"SortOrder"));
}

TEST(ServiceObjectSupport, HideRequestListsItsIdsAndUnregisteredResponsesAreMade)
{
    auto hide = Make<CComHideCommentRequest, ISHideCommentRequest>(IID_ISHideCommentRequest);
    for (int id : {5, 5, -1}) ASSERT_HR(S_OK, hide->Add(id));
    CComHideCommentRequest* object = CComHideCommentRequest::FromInterface(hide.Get());
    ASSERT_NE(nullptr, object);
    const SIArray<int32_t>& ids = object->GetCommentIdList();
    EXPECT_EQ((std::vector<int32_t>{5, 5, -1}), (std::vector<int32_t>(ids.begin(), ids.end())));
    EXPECT_EQ(1u, RefCount(hide.Get())) << "finding the object takes no reference";
    auto other = Make<CComDeleteCommentRequest, ISDeleteCommentRequest>(IID_ISDeleteCommentRequest);
    EXPECT_EQ(nullptr, CComHideCommentRequest::FromInterface(other.Get()));
    EXPECT_EQ(nullptr, CComHideCommentRequest::FromInterface(nullptr));

    auto hidden = Make<CComHideCommentSuccessResponse, ISCommentResponse>(IID_ISCommentResponse);
    auto duplicated = Make<CComDuplicateCommentSuccessResponse, ISCommentResponse>(IID_ISCommentResponse);
    ScopedBstr type7(u"{\"responseType\":7}"), type8(u"{\"responseType\":8}");
    ASSERT_HR(S_OK, hidden->Init(type7.Get()));
    ASSERT_HR(S_OK, duplicated->Init(type8.Get()));
    EXPECT_EQ("7|8", TextByName(hidden.Get(), u"ResponseType") + "|" + TextByName(duplicated.Get(), u"ResponseType"));
}
