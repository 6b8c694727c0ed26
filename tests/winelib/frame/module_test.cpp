// The module's class objects, lock count and object lifetimes, its code linked in.
#include "tests/winelib/support/WinelibGTest.h"

#include "com/CComComment.h"
#include "com/CComDeleteCommentRequest.h"
#include "com/CComGetCommentRequest.h"
#include "com/CComGetCommentSuccessResponse.h"
#include "com/CComHideCommentRequest.h"
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

TEST_F(ModuleLifetime, ClassObjectsLockServerAndLiveObjectsHoldTheModule)
{
    ScopedComPtr<IClassFactory> first = ClassObject(CLSID_Comment), second = ClassObject(CLSID_Comment);
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(3u, RefCount(first.Get())) << "the module's reference and the clients'";
    EXPECT_EQ(1, g_ComModule.GetLockCount()) << "one lock however many clients hold it";
    second.Reset();
    EXPECT_HR(S_FALSE, DllCanUnloadNow());
    ASSERT_HR(S_OK, first->LockServer(TRUE));
    first.Reset();
    EXPECT_HR(S_FALSE, DllCanUnloadNow());
    ScopedComPtr<IClassFactory> factory = ClassObject(CLSID_CommentQualifier);
    ASSERT_HR(S_OK, factory->LockServer(FALSE));
    ScopedComPtr<IUnknown> plain, aggregated;
    CountingOuter outer;
    EXPECT_HR(E_POINTER, factory->CreateInstance(nullptr, IID_ISCommentQualifier, nullptr));
    EXPECT_HR(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IDispatch, plain.ReceiveVoid()));
    ASSERT_HR(S_OK, factory->CreateInstance(nullptr, IID_ISCommentQualifier, plain.ReceiveVoid()));
    ASSERT_HR(S_OK, factory->CreateInstance(&outer, IID_IUnknown, aggregated.ReceiveVoid()));
    factory.Reset();
    EXPECT_EQ(m_live + 2, SComObjectBase::LiveObjectCount());
    EXPECT_EQ(2, g_ComModule.GetLockCount());
    plain.Reset();
    EXPECT_HR(S_FALSE, DllCanUnloadNow());

    const CLSID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    for (const CLSID* clsid : {&CLSID_HideCommentSuccessResponse, &CLSID_DuplicateCommentSuccessResponse, &unknown}) {
        void* refused = Sentinel();
        EXPECT_HR(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(*clsid, IID_IClassFactory, &refused));
        EXPECT_EQ(nullptr, refused);
    }
    IUnknown* none = Sentinel<IUnknown*>();
    EXPECT_HR(E_NOINTERFACE, DllGetClassObject(CLSID_Comment, IID_IDispatch, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(nullptr, none);
    EXPECT_HR(E_POINTER, DllGetClassObject(CLSID_Comment, IID_IClassFactory, nullptr));
}

TEST_F(ModuleLifetime, ViewsOutliveTheResponseTheyCameFrom)
{
    auto response = Make<CComGetCommentSuccessResponse, ISGetCommentSuccessResponse>(IID_ISGetCommentSuccessResponse);
    ScopedBstr first(u"{\"comments\":[{\"commentId\":4,\"text\":\"kept\"}]}"), second(u"{\"comments\":[{}]}"), text;
    ScopedComPtr<ISComment> fromFirst, fromSecond;
    ASSERT_HR(S_OK, response->Init(first.Get()));
    ASSERT_HR(S_OK, response->get_Comment(0, fromFirst.Receive()));
    ASSERT_HR(S_OK, response->Init(second.Get()));
    ASSERT_HR(S_OK, response->get_Comment(0, fromSecond.Receive()));
    response.Reset();
    EXPECT_EQ(m_live + 2, SComObjectBase::LiveObjectCount());
    LONG id = 0;
    ASSERT_HR(S_OK, fromFirst->get_Text(text.Receive()));
    ASSERT_HR(S_OK, fromSecond->put_CommentId(6));
    ASSERT_HR(S_OK, fromSecond->get_CommentId(&id));
    EXPECT_EQ("kept 6", Utf8(text.Get()) + " " + std::to_string(id));
}

TEST_F(ModuleLifetime, TheModuleRecognisesItsOwnCommentsAndHideRequests)
{
    auto hide = Make<CComHideCommentRequest, ISHideCommentRequest>(IID_ISHideCommentRequest);
    for (int id : {5, 5, -1}) ASSERT_HR(S_OK, hide->Add(id));
    const CComHideCommentRequest* object = CComHideCommentRequest::FromInterface(hide.Get());
    ASSERT_NE(nullptr, object);
    const SIArray<int32_t>& ids = object->GetCommentIdList();
    EXPECT_EQ((std::vector<int32_t>{5, 5, -1}), (std::vector<int32_t>(ids.begin(), ids.end())));
    EXPECT_EQ(1u, RefCount(hide.Get())) << "finding the object takes no reference";
    auto other = Make<CComDeleteCommentRequest, ISDeleteCommentRequest>(IID_ISDeleteCommentRequest);
    EXPECT_EQ(nullptr, CComHideCommentRequest::FromInterface(other.Get()));
    EXPECT_EQ(nullptr, CComHideCommentRequest::FromInterface(nullptr));

    auto plain = Make<CComComment, ISComment>(IID_ISComment);
    EXPECT_EQ(static_cast<CComComment*>(plain.Get()), CComComment::FromInterface(plain.Get()));
    CountingOuter outer;
    ScopedComPtr<IUnknown> inner;
    ScopedComPtr<ISComment> aggregated;
    ASSERT_HR(S_OK, CComComment::_CreatorClass::CreateInstance(&outer, IID_IUnknown, inner.ReceiveVoid()));
    outer.inner = inner.Get();
    ASSERT_HR(S_OK, outer.QueryInterface(IID_ISComment, aggregated.ReceiveVoid()));
    ScopedComPtr<IUnknown> identity;
    ASSERT_HR(S_OK, aggregated->QueryInterface(IID_IUnknown, identity.ReceiveVoid()));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity.Get()) << "the identity is the outer object";
    identity.Reset();
    const CComComment* found = CComComment::FromInterface(aggregated.Get());
    EXPECT_TRUE(found && found != static_cast<CComComment*>(plain.Get()) && found->GetModel());
    aggregated.Reset();
    ScopedComPtr<IUnknown> foreign;  // the free-threaded marshaler, an object of no class of ours
    ASSERT_HR(S_OK, CoCreateFreeThreadedMarshaler(nullptr, foreign.Receive()));
    EXPECT_EQ(nullptr, CComComment::FromInterface(reinterpret_cast<ISComment*>(foreign.Get())));
    EXPECT_EQ(nullptr, CComComment::FromInterface(reinterpret_cast<ISComment*>(hide.Get())));
}
