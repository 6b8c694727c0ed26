// The platform's COM support: the error reporter and the owning wrappers.
#include "tests/winelib/support/WinelibGTest.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "module/LumoCommentary.h"
#include "platform/com/ReportTessarError.h"
#include "platform/foundation/SResManager.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

// Counts the references it is given and taken.
class CountedObject : public IUnknown {
public:
    STDMETHOD(QueryInterface)(REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++refs; }
    STDMETHOD_(ULONG, Release)() override { return --refs; }
    ULONG refs = 1;
};

}  // namespace

TEST(ReportTessarError, RecordsTheMessageAndReturnsTheResult)
{
    SIArray<SWCharString> texts;
    texts.append(u"svc-7");
    SetErrorInfo(0, nullptr);
    EXPECT_HR(static_cast<HRESULT>(0x80049000), ReportTessarError(CLSID_Comment, IID_ISComment, lumo_messages::kManualRetryNeeded, texts,
                                            static_cast<HRESULT>(0x80049000)));
    const ErrorInfoText error = TakeErrorInfo();
    ASSERT_TRUE(error.present);
    EXPECT_EQ("The commentary service (svc-7) did not answer after all retries; please try again.", error.description);
    EXPECT_EQ("CorvelEnterprise14.Comment.1", error.source) << "the class's ProgID";
    EXPECT_TRUE(IsEqualGUID(IID_ISComment, error.guid));
}

TEST(ReportTessarError, NullIdentifiersLeaveSourceAndGuidEmpty)
{
    EXPECT_HR(E_POINTER, ReportTessarError(GUID_NULL, GUID_NULL, lumo_messages::kInvalidPointer, {}, E_POINTER));
    const ErrorInfoText error = TakeErrorInfo();
    ASSERT_TRUE(error.present);
    EXPECT_EQ(InvalidPointerText(), error.description);
    EXPECT_EQ("", error.source);
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, error.guid));
    EXPECT_HR(S_FALSE, ReportTessarError(GUID_NULL, GUID_NULL, 99999, {}, S_FALSE));
    EXPECT_EQ("Unknown message 99999", TakeErrorInfo().description);
}

TEST(ScopedWrappers, OwnExactlyOneReference)
{
    CountedObject object;
    {
        object.AddRef();
        ScopedComPtr<IUnknown> held(&object);  // adopts the reference just taken
        EXPECT_EQ(2u, object.refs);
        ScopedComPtr<IUnknown> moved(std::move(held));
        EXPECT_EQ(nullptr, held.Get());
        EXPECT_EQ(2u, object.refs);
        IUnknown* handedOut = moved.Release();
        EXPECT_EQ(&object, handedOut);
        EXPECT_EQ(2u, object.refs) << "Release hands the reference over, it does not drop it";
        moved.Reset(handedOut);
        *moved.Receive() = nullptr;  // Receive drops what was held
        EXPECT_EQ(1u, object.refs);
        object.AddRef();
        moved.Reset(&object);
    }
    EXPECT_EQ(1u, object.refs);
    ScopedBstr text(u"abc");
    BSTR taken = text.Release();
    EXPECT_EQ(nullptr, text.Get());
    text.Reset(taken);
    EXPECT_EQ(3u, text.Length());
    EXPECT_EQ(nullptr, *text.Receive()) << "Receive frees what was held";
}
