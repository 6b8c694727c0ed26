// The module's class objects, lock count and the lifetime of everything it
// hands out, white-box: the module's code (class table and exports) is linked
// into this program, so live objects are counted
// (SComObjectBase::LiveObjectCount) next to DllCanUnloadNow.  Also the hide
// request's id list, which only the module sees.
#include "tests/winelib/support/WinelibGTest.h"

#include "com/CComComment.h"
#include "com/CComDeleteCommentRequest.h"
#include "com/CComGetCommentRequest.h"
#include "com/CComGetCommentSuccessResponse.h"
#include "com/CComHideCommentRequest.h"
#include "com/CComSortParams.h"
#include "module/LumoCommentary.h"
#include "module/LumoCommentaryModule.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

ScopedComPtr<IClassFactory> ClassObject(REFCLSID clsid)
{
    ScopedComPtr<IClassFactory> factory;
    EXPECT_HR(S_OK, DllGetClassObject(clsid, IID_IClassFactory, factory.ReceiveVoid()));
    return factory;
}

// Every test starts and ends with an unlocked module and no live object of
// its own.
class ModuleLifetime : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HR(S_OK, DllCanUnloadNow());
        m_live = SComObjectBase::LiveObjectCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(m_live, SComObjectBase::LiveObjectCount()) << "objects left alive";
        EXPECT_EQ(0, g_ComModule.GetLockCount());
        EXPECT_HR(S_OK, DllCanUnloadNow());
    }
    long m_live = 0;
};

}  // namespace

TEST_F(ModuleLifetime, ClassObjectIsCachedAndLocksOnlyWhileAClientHoldsIt)
{
    ScopedComPtr<IClassFactory> first = ClassObject(CLSID_Comment);
    ASSERT_TRUE(first);
    EXPECT_HR(S_FALSE, DllCanUnloadNow());
    EXPECT_EQ(2u, RefCount(first.Get())) << "the module's reference and the client's";
    ScopedComPtr<IClassFactory> second = ClassObject(CLSID_Comment);
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(1, g_ComModule.GetLockCount()) << "one lock however many clients hold it";
    second.Reset();
    EXPECT_HR(S_FALSE, DllCanUnloadNow());
    first.Reset();
    EXPECT_HR(S_OK, DllCanUnloadNow());
    IUnknown* none = Sentinel<IUnknown*>();
    EXPECT_HR(E_NOINTERFACE, DllGetClassObject(CLSID_Comment, IID_IDispatch, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(nullptr, none);
    const CLSID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    for (const CLSID* clsid : {&CLSID_HideCommentSuccessResponse, &CLSID_DuplicateCommentSuccessResponse, &unknown}) {
        void* refused = Sentinel();
        EXPECT_HR(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(*clsid, IID_IClassFactory, &refused));
        EXPECT_EQ(nullptr, refused);
    }
    EXPECT_HR(E_POINTER, DllGetClassObject(CLSID_Comment, IID_IClassFactory, nullptr));
}

TEST_F(ModuleLifetime, LockServerHoldsTheModuleUntilMatched)
{
    ScopedComPtr<IClassFactory> factory = ClassObject(CLSID_SortParam);
    ASSERT_HR(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_HR(S_FALSE, DllCanUnloadNow());
    factory = ClassObject(CLSID_SortParam);
    ASSERT_HR(S_OK, factory->LockServer(FALSE));
}

TEST_F(ModuleLifetime, EveryLiveObjectHoldsTheModule)
{
    ScopedComPtr<IClassFactory> factory = ClassObject(CLSID_CommentQualifier);
    ScopedComPtr<IUnknown> plain, aggregated;
    EXPECT_HR(E_POINTER, factory->CreateInstance(nullptr, IID_ISCommentQualifier, nullptr));
    ASSERT_HR(S_OK, factory->CreateInstance(nullptr, IID_ISCommentQualifier, plain.ReceiveVoid()));
    CountingOuter outer;
    ASSERT_HR(S_OK, factory->CreateInstance(&outer, IID_IUnknown, aggregated.ReceiveVoid()));
    factory.Reset();
    EXPECT_EQ(m_live + 2, SComObjectBase::LiveObjectCount());
    EXPECT_EQ(2, g_ComModule.GetLockCount());
    plain.Reset();
    EXPECT_HR(S_FALSE, DllCanUnloadNow());
}

TEST_F(ModuleLifetime, CommentsOutliveTheirGetResponseAndItsReplacedModel)
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
    EXPECT_HR(S_FALSE, DllCanUnloadNow());
    EXPECT_EQ("kept", TextByName(fromFirst.Get(), u"Text"));
    ASSERT_HR(S_OK, fromSecond->put_CommentId(6));
    EXPECT_EQ("6", TextByName(fromSecond.Get(), u"CommentId"));
}

TEST_F(ModuleLifetime, ViewsOutliveTheirGetRequest)
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

// What the service object reads behind a hide request's interface: the id
// list as added, repeats included.
TEST(HideRequest, KeepsItsIdsInTheOrderAdded)
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
}
