// The common base of every automation object and the frame of every
// automation method.
//
// A concrete class derives, in this order, from SComObjectBase,
// CComCoClass<itself, its CLSID>, ISupportErrorInfoImpl<its IID> and
// IDispatchImpl<its dual interface, ...>, sets its locale to
// kDefaultObjectLocale in its constructor and lists in its interface map its
// own interface, IDispatch, ISupportErrorInfo and the free-threaded marshaler
// (SCOM_INTERFACE_ENTRY_MARSHALER).
//
// A method body runs in the frame with the SCOM_* macros.  The file that
// holds the methods defines its trace area, the file's name:
//
//     static constexpr char kTraceArea[] = "CComComment";
//
//     STDMETHODIMP CComComment::get_Text(BSTR* text) noexcept
//     try {
//         SCOM_METHOD("CComCommentRequest::get_Text");  // scope + entry line
//         SCOM_CHECK_OUT(text, "text");                 // null -> E_POINTER report
//         SCOM_STORE_BSTR(text, m_pComment->getText()); // the work
//         SCOM_RETURN_VALUE(*text);                     // exit line, S_OK
//     }
//     SCOM_CATCH_ALL
//
// Trace lines read "IN:\t[<method>]\t[<object address>]\t[-]\t" on entry and
// "OUT:\t[<method>]\t[<object address>]\t[0]\t" (or "...\t[0]\t[<value>]")
// on success.  With tracing off a line costs one SLogger::ShouldTrace call
// and builds no text.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdint>
#include <new>

#include "platform/atl/AtlCore.h"
#include "platform/atl/AtlDispatch.h"
#include "platform/atl/AtlObject.h"
#include "platform/com/ReportTessarError.h"
#include "platform/foundation/SLogger.h"
#include "platform/foundation/SResManager.h"
#include "platform/foundation/SResString.h"
#include "platform/foundation/SString.h"
#include "platform/foundation/STrace.h"
#include "platform/framework/JTCAdoptCurrentThread.h"

// The user-default locale that every concrete class sets at construction.
constexpr uint32_t kDefaultObjectLocale = 0x0400;

class SComObjectBase : public CComObjectRootEx<CComMultiThreadModel> {
public:
    SComObjectBase() noexcept;
    virtual ~SComObjectBase();

    void SetObjectLocale(uint32_t locale) noexcept { m_ObjectLocale = locale; }
    // The locale; a locale of 0 raises an assertion first (file
    // "scomobjectbase", line 65, "m_ObjectLocale!=0", the dynamic class name).
    uint32_t GetObjectLocale() const noexcept
    {
        if (m_ObjectLocale == 0) ReportNullLocale();
        return m_ObjectLocale;
    }

    // Aggregates the free-threaded marshaler with the controlling IUnknown.
    HRESULT FinalConstruct() noexcept;
    // Releases the marshaler.
    void FinalRelease() noexcept;

    // Objects constructed and not yet destroyed, in this copy of the module
    // code (for lifetime checks).
    static long LiveObjectCount() noexcept;

protected:
    IUnknown* m_pUnkMarshaler;
    uint32_t m_ObjectLocale;

private:
    void ReportNullLocale() const noexcept;
};

// The free-threaded marshaler's entry of an interface map.
#define SCOM_INTERFACE_ENTRY_MARSHALER() COM_INTERFACE_ENTRY_AGGREGATE(IID_IMarshal, m_pUnkMarshaler)

// The per-call scope of an automation method: adopts the calling thread for
// the ORB's thread library and sets the thread's resource locale to the
// object's; both are undone when the scope ends, on every way out.
class SComMethodGuard {
public:
    explicit SComMethodGuard(const SComObjectBase* object) noexcept : m_open(object != nullptr)
    {
        if (m_open) SResManager::ThreadInitialize(object->GetObjectLocale(), m_cookie);
    }
    ~SComMethodGuard()
    {
        // Runs before the member m_adopt is destroyed: locale first, then the
        // thread adoption.
        if (m_open) SResManager::ThreadUninitialize(m_cookie);
    }
    SComMethodGuard(const SComMethodGuard&) = delete;
    SComMethodGuard& operator=(const SComMethodGuard&) = delete;

private:
    JTCAdoptCurrentThread m_adopt;
    uintptr_t m_cookie = 0;
    bool m_open;
};

// Builds and hands over one entry or exit line ("IN" or "OUT").  Call it only
// when SLogger::ShouldTrace(3, area) is true (SCOM_TRACE does).
void SComTraceMethodLine(const char* area, int line, const char16_t* direction, const char16_t* method,
                         const SComObjectBase* object, const char16_t* format, const STraceParameter& p1,
                         const STraceParameter& p2 = STraceParameter(),
                         const STraceParameter& p3 = STraceParameter());

// The failure path of a null out-pointer: assertion "false" with the message,
// then ReportTessarError(GUID_NULL, GUID_NULL, 42505, {}, E_POINTER).
HRESULT SComReportInvalidPointer(const char* area, int line, const char* message) noexcept;

// Clears the thread's error information and returns hr.
inline HRESULT SComClearErrorInfo(HRESULT hr) noexcept
{
    SetErrorInfo(0, nullptr);
    return hr;
}

// A failure an object chooses itself, without a frame check behind it (a
// response used before Init, an index outside a list, a null pointer where
// the method makes no frame check): reported through ReportTessarError with
// the class's CLSID, its own interface and a message of its own, so that a
// client never reads the error information of an earlier call.  No assertion,
// no trace line.
inline HRESULT SComReportFailure(REFCLSID clsid, REFIID iid, uint32_t messageNumber, HRESULT hr) noexcept
{
    return ReportTessarError(clsid, iid, messageNumber, SIArray<SWCharString>(), hr);
}

// The text of a BSTR up to its first NUL; a null BSTR is the empty text.
inline SWCharString SComBstrText(BSTR text) { return SWCharString(static_cast<const char16_t*>(text)); }

// A new BSTR with a copy of the text stored through out (SysAllocString: an
// empty text gives an empty, non-null BSTR).  E_OUTOFMEMORY stores nothing.
inline HRESULT SComAllocBstr(const SWCharString& text, BSTR* out) noexcept
{
    BSTR copy = SysAllocString(text.c_str());
    if (!copy) return E_OUTOFMEMORY;
    *out = copy;
    return S_OK;
}

// --- the frame, as used in method bodies ----------------------------------

// Opens the per-call scope and writes the entry line "[-]\t".
#define SCOM_METHOD(traceName)                                                                    \
    const char16_t* const scomMethodName = u"" traceName;                                         \
    SComMethodGuard scomMethodGuard(this);                                                        \
    SCOM_TRACE(u"IN", u"[%1]\t", STraceParameter(u"-"))

// One trace line of the current method; the parameters are evaluated only
// when the cheap test says the line may be written.
#define SCOM_TRACE(direction, format, ...)                                                        \
    do {                                                                                          \
        if (SLogger::ShouldTrace(3, kTraceArea))                                                  \
            SComTraceMethodLine(kTraceArea, __LINE__, direction, scomMethodName, this, format,    \
                                __VA_ARGS__);                                                     \
    } while (0)

// A null out-pointer ends the method through the error reporter.
#define SCOM_CHECK_OUT(pointer, parameterName)                                                    \
    do {                                                                                          \
        if (!(pointer)) return SComReportInvalidPointer(kTraceArea, __LINE__, "Invalid pointer " parameterName); \
    } while (0)

// Stores a new BSTR copy of the text; out of memory ends the method.
#define SCOM_STORE_BSTR(out, text)                                                                \
    do {                                                                                          \
        const HRESULT scomStoreResult = SComAllocBstr((text), (out));                             \
        if (FAILED(scomStoreResult)) return scomStoreResult;                                      \
    } while (0)

// Success without an out-value: exit line "[0]\t", S_OK.
#define SCOM_RETURN_OK()                                                                          \
    do {                                                                                          \
        SCOM_TRACE(u"OUT", u"[%1]\t", STraceParameter(static_cast<long>(S_OK)));                  \
        return S_OK;                                                                              \
    } while (0)

// Success with one out-value: exit line "[0]\t[<value>]", S_OK.  The value is
// read back from what was stored: a long for 32-bit integers, an int for
// enumerations and booleans, a wide text for BSTRs.
#define SCOM_RETURN_VALUE(value)                                                                  \
    do {                                                                                          \
        SCOM_TRACE(u"OUT", u"[%1]\t[%2]", STraceParameter(static_cast<long>(S_OK)), STraceParameter(value)); \
        return S_OK;                                                                              \
    } while (0)

// The handlers of a method's function-try-block: no exception leaves an
// automation method.  Design decision: memory exhaustion inside a method
// returns E_OUTOFMEMORY (with the object unchanged where the failure came
// before the store); anything else, which no method of this module raises,
// returns E_UNEXPECTED.  Either clears the thread's error information, which
// would otherwise describe an earlier call.
#define SCOM_CATCH_ALL                                                                            \
    catch (const std::bad_alloc&) { return SComClearErrorInfo(E_OUTOFMEMORY); }                   \
    catch (...) { return SComClearErrorInfo(E_UNEXPECTED); }
