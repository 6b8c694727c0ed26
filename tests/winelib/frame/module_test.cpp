// The module's class objects and lock count, white-box: the module's code
// (class table and exports) is linked into this program, so live objects can
// be counted (SComObjectBase::LiveObjectCount) next to DllCanUnloadNow.
#include "tests/winelib/support/WinelibGTest.h"

#include <windows.h>
#include <objbase.h>
#include <olectl.h>

#include "com/CComComment.h"
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
        ASSERT_HR(S_OK, DllCanUnloadNow()) << "every test starts with an unlocked module";
        m_live = SComObjectBase::LiveObjectCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(m_live, SComObjectBase::LiveObjectCount()) << "objects left alive";
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
    ScopedComPtr<IUnknown> asUnknown;
    EXPECT_HR(S_OK, DllGetClassObject(CLSID_Comment, IID_IUnknown, asUnknown.ReceiveVoid()));
    IUnknown* none = Sentinel<IUnknown*>();
    EXPECT_HR(E_NOINTERFACE, DllGetClassObject(CLSID_Comment, IID_IDispatch, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(nullptr, none);
}

TEST_F(ModuleLifetime, LockServerHoldsTheModuleUntilMatched)
{
    ScopedComPtr<IClassFactory> factory = ClassObject(CLSID_SortParam);
    ASSERT_HR(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_HR(S_FALSE, DllCanUnloadNow());
    factory = ClassObject(CLSID_SortParam);
    ASSERT_HR(S_OK, factory->LockServer(FALSE));
    factory.Reset();
    EXPECT_HR(S_OK, DllCanUnloadNow());
}

TEST_F(ModuleLifetime, EveryLiveObjectHoldsTheModule)
{
    ScopedComPtr<IClassFactory> factory = ClassObject(CLSID_CommentQualifier);
    ScopedComPtr<IUnknown> plain, aggregated;
    ASSERT_HR(S_OK, factory->CreateInstance(nullptr, IID_ISCommentQualifier, plain.ReceiveVoid()));
    CountingOuter outer;
    ASSERT_HR(S_OK, factory->CreateInstance(&outer, IID_IUnknown, aggregated.ReceiveVoid()));
    factory.Reset();
    EXPECT_EQ(m_live + 2, SComObjectBase::LiveObjectCount());
    EXPECT_EQ(2, g_ComModule.GetLockCount());
    EXPECT_HR(S_FALSE, DllCanUnloadNow());
    plain.Reset();
    EXPECT_HR(S_FALSE, DllCanUnloadNow());
    aggregated.Reset();
    EXPECT_EQ(m_live, SComObjectBase::LiveObjectCount());
}

TEST_F(ModuleLifetime, CreateInstanceChecksItsArguments)
{
    ScopedComPtr<IClassFactory> factory = ClassObject(CLSID_Comment);
    EXPECT_HR(E_POINTER, factory->CreateInstance(nullptr, IID_ISComment, nullptr));
    CountingOuter outer;
    void* refused = Sentinel();
    EXPECT_HR(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_ISComment, &refused));
    EXPECT_EQ(nullptr, refused);
    EXPECT_EQ(m_live, SComObjectBase::LiveObjectCount());
}

TEST_F(ModuleLifetime, OnlyTheTableClassesHaveAClassObject)
{
    for (const SComClassEntry* entry = g_LumoClassTable; entry->pclsid; ++entry)
        EXPECT_TRUE(ClassObject(*entry->pclsid)) << "row " << entry - g_LumoClassTable + 1;
    const CLSID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    const CLSID* unavailable[] = {&CLSID_HideCommentSuccessResponse, &CLSID_DuplicateCommentSuccessResponse, &unknown};
    for (const CLSID* clsid : unavailable) {
        void* none = Sentinel();
        EXPECT_HR(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(*clsid, IID_IClassFactory, &none));
        EXPECT_EQ(nullptr, none);
    }
    EXPECT_HR(E_POINTER, DllGetClassObject(CLSID_Comment, IID_IClassFactory, nullptr));
}

TEST(ClassTable, HoldsTheFifteenClassesInOrder)
{
    const CLSID* expected[] = {&CLSID_LumoCommentaryService, &CLSID_Comment, &CLSID_AddCommentRequest,
                               &CLSID_DeleteCommentRequest, &CLSID_ModifyCommentRequest, &CLSID_HideCommentRequest,
                               &CLSID_DuplicateCommentRequest, &CLSID_SortParam, &CLSID_CommentQualifier,
                               &CLSID_GetCommentRequest, &CLSID_AddCommentSuccessResponse,
                               &CLSID_DeleteCommentSuccessResponse, &CLSID_ModifyCommentSuccessResponse,
                               &CLSID_GetCommentSuccessResponse, &CLSID_CommentErrorResponse};
    size_t count = 0;
    for (const SComClassEntry* entry = g_LumoClassTable; entry->pclsid; ++entry, ++count) {
        ASSERT_LT(count, std::size(expected));
        EXPECT_TRUE(IsEqualGUID(*expected[count], *entry->pclsid)) << "row " << count + 1;
    }
    EXPECT_EQ(std::size(expected), count);
}

// --- the model record behind an object ----------------------------------------------

TEST(ModelRecord, AttachedRecordIsSharedOrBorrowed)
{
    CComObject<CComComment>* object = nullptr;
    ASSERT_HR(S_OK, CComObject<CComComment>::CreateInstance(&object));
    object->AddRef();
    auto record = std::make_shared<CComComment::Record>();
    std::weak_ptr<CComComment::Record> watch = record;
    ASSERT_HR(S_OK, object->AttachModel(record));
    EXPECT_EQ(record.get(), object->GetModel());
    record.reset();
    ScopedBstr text(u"changed");
    ASSERT_HR(S_OK, object->put_Text(text.Get()));
    EXPECT_EQ(u"changed", std::u16string(watch.lock()->getText().c_str())) << "a put changes the shared record";
    EXPECT_HR(E_POINTER, object->AttachModel(std::shared_ptr<CComComment::Record>()));
    EXPECT_HR(E_POINTER, object->AttachModel(static_cast<CComComment::Record*>(nullptr)));
    EXPECT_FALSE(watch.expired()) << "the object keeps the shared record alive; a refused attach changes nothing";
    CComComment::Record borrowed;
    ASSERT_HR(S_OK, object->AttachModel(&borrowed));
    EXPECT_TRUE(watch.expired()) << "attaching gives the previous record up";
    ASSERT_HR(S_OK, object->put_CommentId(9));
    object->Release();
    EXPECT_EQ(9, borrowed.getCommentId()) << "a borrowed record outlives the object, which never frees it";
}

TEST(ModelRecord, OnlyCommentsOfThisModuleAreFoundBehindTheirInterface)
{
    ScopedComPtr<ISComment> comment;
    ASSERT_HR(S_OK, CComCreator<CComObject<CComComment>>::CreateInstance(nullptr, IID_ISComment, comment.ReceiveVoid()));
    CComComment* object = CComComment::FromInterface(comment.Get());
    ASSERT_NE(nullptr, object);
    EXPECT_EQ(static_cast<ISComment*>(object), comment.Get());
    EXPECT_EQ(1u, RefCount(comment.Get())) << "finding the object takes no reference";
    EXPECT_EQ(nullptr, CComComment::FromInterface(nullptr));

    // An ISComment implemented elsewhere (here: the free-threaded marshaler's
    // IUnknown answering nothing of ours) is refused.
    ScopedComPtr<IUnknown> foreign;
    ASSERT_HR(S_OK, CoCreateFreeThreadedMarshaler(nullptr, foreign.Receive()));
    EXPECT_EQ(nullptr, CComComment::FromInterface(reinterpret_cast<ISComment*>(foreign.Get())));
}
