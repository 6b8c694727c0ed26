// What every object of the module shares: creation by CLSID and ProgID, its
// interface map and reference counts, error-information support, IDispatch
// and the free-threaded marshaler.
#include "tests/winelib/support/WinelibGTest.h"

#include "module/LumoCommentary.h"
#include "service/object/ISInternalService.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

struct ObjectClass {
    const char16_t* coclass;
    const CLSID* clsid;
    const IID* own;
    const IID* base;  // a further interface the class answers (after its own), or null
};

#define OBJECT_CLASS(name, own, base) \
    ObjectClass { u"" #name, &CLSID_##name, &IID_##own, base }
const ObjectClass kClasses[] = {
    OBJECT_CLASS(Comment, ISComment, nullptr),
    OBJECT_CLASS(SortParam, ISSortParam, nullptr),
    OBJECT_CLASS(CommentQualifier, ISCommentQualifier, nullptr),
    OBJECT_CLASS(LumoCommentaryService, ISLumoCommentaryService, &IID_ISInternalService),
    OBJECT_CLASS(AddCommentRequest, ISAddCommentRequest, nullptr),
    OBJECT_CLASS(GetCommentRequest, ISGetCommentRequest, nullptr),
    OBJECT_CLASS(ModifyCommentRequest, ISModifyCommentRequest, nullptr),
    OBJECT_CLASS(DeleteCommentRequest, ISDeleteCommentRequest, nullptr),
    OBJECT_CLASS(HideCommentRequest, ISHideCommentRequest, nullptr),
    OBJECT_CLASS(DuplicateCommentRequest, ISDuplicateCommentRequest, nullptr),
    OBJECT_CLASS(AddCommentSuccessResponse, ISAddCommentSuccessResponse, &IID_ISCommentResponse),
    OBJECT_CLASS(GetCommentSuccessResponse, ISGetCommentSuccessResponse, &IID_ISCommentResponse),
    OBJECT_CLASS(ModifyCommentSuccessResponse, ISModifyCommentSuccessResponse, &IID_ISCommentResponse),
    OBJECT_CLASS(DeleteCommentSuccessResponse, ISDeleteCommentSuccessResponse, &IID_ISCommentResponse),
    OBJECT_CLASS(CommentErrorResponse, ISCommentErrorResponse, &IID_ISCommentResponse),
};
#undef OBJECT_CLASS

// The free-threaded marshaler's unmarshal class.
const CLSID kInProcFreeMarshaler = {0x0000033a, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace

class EveryObject : public ::testing::TestWithParam<ObjectClass> {};

TEST_P(EveryObject, IsCreatedByClsidAndProgIdAndAnswersItsMap)
{
    const ObjectClass& c = GetParam();
    ScopedComPtr<IUnknown> object = Create<IUnknown>(c.coclass, *c.own);
    ASSERT_HR(S_OK, CoCreateInstance(*c.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.ReceiveVoid()));
    EXPECT_EQ(1u, RefCount(object.Get()));
    std::vector<const IID*> answered = {c.own, &IID_IDispatch, &IID_ISupportErrorInfo, &IID_IMarshal};
    if (c.base) answered.insert(answered.begin() + 1, c.base);
    std::vector<ScopedComPtr<IUnknown>> held(answered.size());
    for (size_t i = 0; i < answered.size(); ++i) {
        ASSERT_HR(S_OK, object->QueryInterface(*answered[i], held[i].ReceiveVoid()));
        EXPECT_EQ(static_cast<ULONG>(i + 2), RefCount(object.Get())) << "each hand-out carries one reference";
        ScopedComPtr<IUnknown> identity;
        ASSERT_HR(S_OK, held[i]->QueryInterface(IID_IUnknown, identity.ReceiveVoid()));
        EXPECT_EQ(object.Get(), identity.Get());
    }
    for (const IID* other : {&IID_IPersist, &IID_ISCommentRequest, &IID_ISCommentResponse, &IID_ISInternalService}) {
        if (other == c.base) continue;
        void* none = Sentinel();
        EXPECT_HR(E_NOINTERFACE, object->QueryInterface(*other, &none));
        EXPECT_EQ(nullptr, none);
    }
    EXPECT_HR(E_POINTER, object->QueryInterface(IID_IDispatch, nullptr));
    held.clear();
    EXPECT_EQ(1u, RefCount(object.Get()));

    ScopedComPtr<ISupportErrorInfo> support;
    ASSERT_HR(S_OK, object->QueryInterface(IID_ISupportErrorInfo, support.ReceiveVoid()));
    EXPECT_HR(S_OK, support->InterfaceSupportsErrorInfo(*c.own));
    for (const IID* other : {&IID_IDispatch, &IID_IUnknown, &IID_ISupportErrorInfo, c.base ? c.base : &IID_IMarshal})
        EXPECT_HR(S_FALSE, support->InterfaceSupportsErrorInfo(*other));

    ScopedComPtr<IDispatch> dispatch;
    ASSERT_HR(S_OK, object->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()));
    UINT count = 0;
    EXPECT_HR(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);

    ScopedComPtr<IMarshal> marshal;
    ASSERT_HR(S_OK, object->QueryInterface(IID_IMarshal, marshal.ReceiveVoid()));
    CLSID unmarshaler = GUID_NULL;
    ASSERT_HR(S_OK,
              marshal->GetUnmarshalClass(*c.own, nullptr, MSHCTX_INPROC, nullptr, MSHLFLAGS_NORMAL, &unmarshaler));
    EXPECT_TRUE(IsEqualGUID(kInProcFreeMarshaler, unmarshaler));
}

INSTANTIATE_TEST_SUITE_P(Module, EveryObject, ::testing::ValuesIn(kClasses),
                         [](const ::testing::TestParamInfo<ObjectClass>& info) { return Utf8(info.param.coclass); });
