// The method frame and object layer, through a probe built on SComObjectBase.
#include "tests/winelib/support/WinelibGTest.h"

#include <new>

#include "module/LumoCommentaryModule.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

static const IID IID_IFrameProbe = {0xb0a3f0e2, 0x2c44, 0x4e8c, {0x9d, 0x55, 0x3f, 0x1c, 0x6a, 0x8e, 0x7d, 0x10}};

struct IFrameProbe : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Run(int mode, LONG* out) = 0;
};

namespace {

enum Mode { kStoreLocale, kThrowBadAlloc, kThrowOther };

std::string g_observed;  // locale, depth and adoption seen inside the last Run
bool g_failFinalConstruct = false;

static constexpr char kTraceArea[] = "FrameProbe";

class FrameProbe : public SComObjectBase, public IFrameProbe {
public:
    FrameProbe() { SetObjectLocale(0x0409); }

    BEGIN_COM_MAP(FrameProbe)
    COM_INTERFACE_ENTRY(IFrameProbe)
    SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()

    HRESULT FinalConstruct() noexcept { return g_failFinalConstruct ? E_FAIL : SComObjectBase::FinalConstruct(); }

    STDMETHOD(Run)(int mode, LONG* out) noexcept override
    try {
        SCOM_METHOD("FrameProbe::Run");
        SCOM_CHECK_OUT(out, "out");
        g_observed = std::to_string(SResManager::ThreadLocale()) + " " + std::to_string(SResManager::ThreadDepth()) +
                     " " + std::to_string(JTCAdoptCurrentThread::isAdopted());
        if (mode == kThrowBadAlloc) throw std::bad_alloc();
        if (mode == kThrowOther) throw 42;
        *out = static_cast<LONG>(SResManager::ThreadLocale());
        SCOM_RETURN_VALUE(static_cast<long>(*out));
    }
    SCOM_CATCH_ALL
};

class Frame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HR(S_OK,
                  CComCreator<CComObject<FrameProbe>>::CreateInstance(nullptr, IID_IFrameProbe, m_probe.ReceiveVoid()));
    }

    ScopedComPtr<IFrameProbe> m_probe;
};

}  // namespace

TEST_F(Frame, ScopeHoldsTheObjectLocaleForTheCallOnlyAndClosesOnEveryWayOut)
{
    uintptr_t outer = 0;
    SResManager::ThreadInitialize(0x0407, outer);
    LONG value = 0;
    ASSERT_HR(S_OK, m_probe->Run(kStoreLocale, &value));
    EXPECT_EQ("1033 2 1", g_observed)
        << "the object's locale, nested; the calling thread is known to the ORB's thread library";
    EXPECT_EQ(0x0407u, SResManager::ThreadLocale());
    EXPECT_EQ(1, SResManager::ThreadDepth());
    SResManager::ThreadUninitialize(outer);

    EXPECT_HR(E_POINTER, m_probe->Run(kStoreLocale, nullptr));
    EXPECT_EQ(0, SResManager::ThreadDepth());
    for (const auto& [mode, result] :
         {std::pair<Mode, HRESULT>{kThrowBadAlloc, E_OUTOFMEMORY}, {kThrowOther, E_UNEXPECTED}}) {
        EXPECT_HR(E_POINTER, m_probe->Run(kStoreLocale, nullptr));
        EXPECT_HR(result, m_probe->Run(mode, &value));
        EXPECT_EQ(0, SResManager::ThreadDepth());
        EXPECT_EQ("(none)", TakeErrorInfo()) << "the earlier report is gone";
    }
    EXPECT_EQ(0u, SResManager::ThreadLocale());
}

TEST(Creation, AFailedStepDeletesTheNewObject)
{
    const long live = SComObjectBase::LiveObjectCount();
    const LONG locks = g_ComModule.GetLockCount();
    g_failFinalConstruct = true;
    auto* object = Sentinel<CComObject<FrameProbe>*>();
    EXPECT_HR(E_FAIL, CComObject<FrameProbe>::CreateInstance(&object));
    EXPECT_EQ(nullptr, object);
    void* unknown = Sentinel();
    EXPECT_HR(E_FAIL, CComCreator<CComObject<FrameProbe>>::CreateInstance(nullptr, IID_IUnknown, &unknown));
    EXPECT_EQ(nullptr, unknown);
    g_failFinalConstruct = false;
    EXPECT_HR(E_NOINTERFACE, CComCreator<CComObject<FrameProbe>>::CreateInstance(nullptr, IID_IDispatch, &unknown));
    EXPECT_EQ(live, SComObjectBase::LiveObjectCount());
    EXPECT_EQ(locks, g_ComModule.GetLockCount());
    EXPECT_HR(E_POINTER, CComObject<FrameProbe>::CreateInstance(nullptr));
    EXPECT_HR(E_POINTER, CComCreator<CComObject<FrameProbe>>::CreateInstance(nullptr, IID_IUnknown, nullptr));
}
