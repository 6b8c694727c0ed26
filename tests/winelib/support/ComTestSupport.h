// Helpers of the COM test programs: readable HRESULTs, sentinels, objects
// made as clients and as the module make them, calls by name as a script
// makes them, error information, trace lines (captured, and with masked
// addresses) and threads of the Windows kind.
// Include after tests/winelib/support/WinelibGTest.h.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "com/sdk/scomobjectbase.h"
#include "platform/com/ScopedBstr.h"
#include "platform/com/ScopedComPtr.h"
#include "platform/foundation/SResString.h"
#include "platform/foundation/SString.h"
#include "platform/foundation/STraceCapture.h"
#include "platform/foundation/SWCharStringConv.h"

namespace comtest {

// An HRESULT as GoogleTest shows it: 0x80004003 rather than -2147467261.
struct Hr {
    HRESULT value;
    bool operator==(const Hr& o) const { return value == o.value; }
};
inline std::ostream& operator<<(std::ostream& out, const Hr& hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr.value));
    return out << text;
}
#define EXPECT_HR(expected, call) EXPECT_EQ(comtest::Hr{static_cast<HRESULT>(expected)}, comtest::Hr{call})
#define ASSERT_HR(expected, call) ASSERT_EQ(comtest::Hr{static_cast<HRESULT>(expected)}, comtest::Hr{call})

// A value no call writes on its own: proves what a call stores.
template <class T = void*>
T Sentinel() { return reinterpret_cast<T>(static_cast<uintptr_t>(0xdeadbeef)); }

inline std::string Utf8(const char16_t* text) { return text ? SWCharString(text).toUtf8() : std::string("(null)"); }
inline std::string Utf8(const std::u16string& text) { return Utf8(text.c_str()); }
inline std::u16string Wide(const std::string& text) { return SWCharString::fromUtf8(text).str(); }

// The reference count an object reports after one more AddRef/Release pair.
inline ULONG RefCount(IUnknown* unknown)
{
    unknown->AddRef();
    return unknown->Release();
}

// Created as a client creates it: by the ProgID "CorvelEnterprise14.<coclass>.1".
template <class Interface>
ScopedComPtr<Interface> Create(const std::u16string& coclass, REFIID riid)
{
    ScopedComPtr<Interface> object;
    CLSID clsid;
    EXPECT_HR(S_OK, CLSIDFromProgID((u"CorvelEnterprise14." + coclass + u".1").c_str(), &clsid)) << Utf8(coclass);
    EXPECT_HR(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, object.ReceiveVoid()));
    return object;
}

// Made as the module makes its own objects, through the class's creator
// (programs that link the module's code).
template <class Class, class Interface>
ScopedComPtr<Interface> Make(REFIID riid)
{
    ScopedComPtr<Interface> object;
    EXPECT_HR(S_OK, Class::_CreatorClass::CreateInstance(nullptr, riid, object.ReceiveVoid()));
    return object;
}

// A member called by name as a script calls it: GetIDsOfNames, then Invoke.
// flags: DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT or DISPATCH_METHOD; at
// most one argument.
inline HRESULT InvokeByName(IUnknown* object, const char16_t* name, WORD flags, VARIANT* argument, VARIANT* result)
{
    ScopedComPtr<IDispatch> dispatch;
    HRESULT hr = object->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid());
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0, putId = DISPID_PROPERTYPUT;
    if (SUCCEEDED(hr)) hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS params{argument, nullptr, argument ? 1u : 0u, 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    if (result) VariantInit(result);
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

// An owning VARIANT: empty, a BSTR (null for a null text), VT_I4 or VT_BOOL.
struct Variant {
    Variant() { VariantInit(&v); }
    explicit Variant(const char16_t* text) : Variant()
    {
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = text ? SysAllocString(text) : nullptr;
    }
    explicit Variant(LONG value) : Variant()
    {
        V_VT(&v) = VT_I4;
        V_I4(&v) = value;
    }
    explicit Variant(bool value) : Variant()
    {
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    ~Variant() { VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT v;
};

// A member called by name, its result as text (VariantChangeType to VT_BSTR;
// "null" for an empty object reference), or "failed 0x..." when a step fails.
inline std::string TextByName(IUnknown* object, const char16_t* name, WORD flags = DISPATCH_PROPERTYGET,
                              VARIANT* argument = nullptr)
{
    Variant result;
    HRESULT hr = InvokeByName(object, name, flags, argument, &result.v);
    if (SUCCEEDED(hr) && (V_VT(&result.v) == VT_DISPATCH || V_VT(&result.v) == VT_UNKNOWN) && !V_UNKNOWN(&result.v))
        return "null";
    if (SUCCEEDED(hr)) hr = VariantChangeType(&result.v, &result.v, 0, VT_BSTR);
    std::ostringstream text;
    if (FAILED(hr))
        text << "failed " << Hr{hr};
    else
        text << Utf8(V_BSTR(&result.v));
    return text.str();
}
// A property put by name; the result of the call.
template <class Value>
HRESULT PutByName(IUnknown* object, const char16_t* name, Value value)
{
    Variant argument(value);
    return InvokeByName(object, name, DISPATCH_PROPERTYPUT, &argument.v, nullptr);
}

// What the last failing call left in the thread's error information.
struct ErrorInfoText {
    std::string description = "(none)", source;
    GUID guid = GUID_NULL;
};
inline ErrorInfoText TakeErrorInfo()
{
    ErrorInfoText out;
    ScopedComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Receive()) != S_OK || !info) return out;
    ScopedBstr text;
    if (SUCCEEDED(info->GetDescription(text.Receive()))) out.description = Utf8(text.Get());
    if (SUCCEEDED(info->GetSource(text.Receive()))) out.source = Utf8(text.Get());
    info->GetGUID(&out.guid);
    return out;
}

// Expects the error information of a null pointer argument: the message of
// number 42505, no source, no interface.
inline void ExpectInvalidPointerReported()
{
    const ErrorInfoText error = TakeErrorInfo();
    EXPECT_EQ(SResString(lumo_messages::kInvalidPointer, 0).text().toUtf8(), error.description);
    EXPECT_EQ("", error.source);
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, error.guid));
}

// An outer object for aggregation: it counts its own references and hands
// every query it does not answer itself to the inner object.
class CountingOuter : public IUnknown {
public:
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (!IsEqualGUID(riid, IID_IUnknown)) return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return InterlockedIncrement(&refs); }
    STDMETHOD_(ULONG, Release)() override { return InterlockedDecrement(&refs); }

    LONG refs = 1;
    IUnknown* inner = nullptr;
};

// --- trace lines -------------------------------------------------------------

// The address every trace line of an object shows: its SComObjectBase part.
inline std::string AddressOf(const SComObjectBase* object)
{
    return SWCharStringConv::ToString(static_cast<const void*>(object)).toUtf8();
}

// The entry and exit lines of one automation method, as the frame writes them.
inline std::string InLine(const std::string& method, const std::string& address)
{
    return "IN:\t[" + method + "]\t[" + address + "]\t[-]\t";
}
inline std::string OutLine(const std::string& method, const std::string& address)
{
    return "OUT:\t[" + method + "]\t[" + address + "]\t[0]\t";
}
inline std::string OutLine(const std::string& method, const std::string& address, const std::string& value)
{
    return OutLine(method, address) + "[" + value + "]";
}

// The lines the body writes at trace level 14.
inline std::vector<std::string> TraceOf(const std::function<void()>& body)
{
    STraceCapture capture(14);
    body();
    return capture.linesUtf8();
}

// Replaces each distinct object address (0x + 16 hex digits) by @1, @2, ... in
// order of first appearance, so that lines of one object keep one name.
inline std::vector<std::string> MaskAddresses(std::vector<std::string> lines)
{
    static const std::regex address("0x[0-9A-F]{16}");
    std::map<std::string, std::string> names;
    for (std::string& line : lines) {
        std::smatch found;
        while (std::regex_search(line, found, address)) {
            auto name = names.emplace(found.str(), "@" + std::to_string(names.size() + 1)).first;
            line.replace(found.position(), found.length(), name->second);
        }
    }
    return lines;
}

// --- threads -----------------------------------------------------------------

// A thread of the Windows kind: one that the C++ library starts is unknown to
// Wine and must not call into the object runtime.  Joined at the latest when
// destroyed.
class WinThread {
public:
    explicit WinThread(std::function<void()> body)
        : m_body(std::move(body)), m_handle(CreateThread(nullptr, 0, &WinThread::Main, this, 0, nullptr))
    {
        EXPECT_NE(nullptr, m_handle);
    }
    ~WinThread() { Join(); }
    WinThread(const WinThread&) = delete;
    WinThread& operator=(const WinThread&) = delete;
    void Join()
    {
        if (!m_handle) return;
        WaitForSingleObject(m_handle, INFINITE);
        CloseHandle(m_handle);
        m_handle = nullptr;
    }

private:
    static DWORD WINAPI Main(void* self)
    {
        static_cast<WinThread*>(self)->m_body();
        return 0;
    }
    std::function<void()> m_body;
    HANDLE m_handle;
};

}  // namespace comtest
