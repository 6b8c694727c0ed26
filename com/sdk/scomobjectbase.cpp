#include "com/sdk/scomobjectbase.h"

#include <cxxabi.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <typeinfo>

#include "platform/foundation/SAssert.h"
#include "platform/foundation/SResString.h"
#include "platform/foundation/SWCharStringConv.h"

namespace {

std::atomic<long> g_liveObjects{0};

// Where the locale assertion is reported: the base's header and the line of
// its test there.
constexpr char kLocaleAssertFile[] = "scomobjectbase";
constexpr int kLocaleAssertLine = 65;

}  // namespace

SComObjectBase::SComObjectBase() noexcept : m_pUnkMarshaler(nullptr), m_ObjectLocale(0)
{
    g_liveObjects.fetch_add(1, std::memory_order_relaxed);
}

SComObjectBase::~SComObjectBase()
{
    // FinalRelease has run by now; this only covers an object destroyed
    // without it.
    if (m_pUnkMarshaler) m_pUnkMarshaler->Release();
    g_liveObjects.fetch_sub(1, std::memory_order_relaxed);
}

long SComObjectBase::LiveObjectCount() noexcept { return g_liveObjects.load(); }

HRESULT SComObjectBase::FinalConstruct() noexcept
{
    return CoCreateFreeThreadedMarshaler(GetControllingUnknown(), &m_pUnkMarshaler);
}

void SComObjectBase::FinalRelease() noexcept
{
    if (m_pUnkMarshaler) {
        m_pUnkMarshaler->Release();
        m_pUnkMarshaler = nullptr;
    }
}

void SComObjectBase::ReportNullLocale() const noexcept
{
    if (!ShouldAssert()) return;
    // The dynamic class name, demangled ("CComObject<CComComment>").
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    SAssert(kLocaleAssertFile, kLocaleAssertLine, "m_ObjectLocale!=0", status == 0 && demangled ? demangled : mangled);
    std::free(demangled);
}

void SComTraceMethodLine(const char* area, int line, const char16_t* direction, const char16_t* method,
                         const SComObjectBase* object, const char16_t* format, const STraceParameter& p1,
                         const STraceParameter& p2, const STraceParameter& p3)
{
    SWCharString text(direction);
    text += u":\t[";
    text += method;
    text += u"]\t[";
    text += SWCharStringConv::ToString(static_cast<const void*>(object));
    text += u"]\t";
    text += format;
    if (!g_STraceOff.load(std::memory_order_relaxed) && SLogger::ShouldTrace_slowpath(14, area, line))
        STraceObj(14, area, line, 0)(text.c_str(), p1, p2, p3);
}

HRESULT SComReportInvalidPointer(const char* area, int line, const char* message) noexcept
{
    if (ShouldAssert()) SAssert(area, line, "false", message);
    return ReportTessarError(GUID_NULL, GUID_NULL, lumo_messages::kInvalidPointer, SIArray<SWCharString>(), E_POINTER);
}
