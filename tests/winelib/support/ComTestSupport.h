// Helpers of the COM test programs: readable HRESULTs and texts, automation
// calls by name as a script makes them, and the expected trace lines.
// Include after tests/winelib/support/WinelibGTest.h.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "platform/com/ScopedBstr.h"
#include "platform/com/ScopedComPtr.h"
#include "platform/foundation/SResString.h"
#include "platform/foundation/SString.h"

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

// The reference count an object reports after one more AddRef/Release pair.
inline ULONG RefCount(IUnknown* unknown)
{
    unknown->AddRef();
    return unknown->Release();
}

// Creates an object by ProgID, as CreateObject does.
template <class Interface>
HRESULT CreateByProgId(const char16_t* progId, REFIID riid, ScopedComPtr<Interface>& out)
{
    CLSID clsid;
    const HRESULT hr = CLSIDFromProgID(progId, &clsid);
    return FAILED(hr) ? hr : CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, out.ReceiveVoid());
}

// Late-bound calls through IDispatch: GetIDsOfNames, then Invoke.
class Dispatch {
public:
    explicit Dispatch(IDispatch* object) : m_object(object) {}

    HRESULT IdOf(const char16_t* name, DISPID* id) const
    {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        return m_object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
    }
    // flags: DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT or DISPATCH_METHOD;
    // at most one argument.
    HRESULT Call(const char16_t* name, WORD flags, VARIANT* argument, VARIANT* result) const
    {
        DISPID id;
        HRESULT hr = IdOf(name, &id);
        if (FAILED(hr)) return hr;
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params{argument, nullptr, argument ? 1u : 0u, 0};
        if (flags == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &putId;
            params.cNamedArgs = 1;
        }
        if (result) VariantInit(result);
        return m_object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
    }

private:
    IDispatch* m_object;
};

// A member called by name as a script calls it, its result as text
// (VariantChangeType to VT_BSTR; "null" for an empty object reference), or
// "failed 0x..." when a step fails.
inline std::string TextByName(IUnknown* object, const char16_t* name, WORD flags = DISPATCH_PROPERTYGET,
                              VARIANT* argument = nullptr)
{
    ScopedComPtr<IDispatch> dispatch;
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = object->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid());
    if (SUCCEEDED(hr)) hr = Dispatch(dispatch.Get()).Call(name, flags, argument, &result);
    if (SUCCEEDED(hr) && (V_VT(&result) == VT_DISPATCH || V_VT(&result) == VT_UNKNOWN) && !V_UNKNOWN(&result))
        return "null";
    if (SUCCEEDED(hr)) hr = VariantChangeType(&result, &result, 0, VT_BSTR);
    std::ostringstream text;
    if (FAILED(hr))
        text << "failed " << Hr{hr};
    else
        text << Utf8(V_BSTR(&result));
    VariantClear(&result);
    return text.str();
}

// An owning VARIANT.
struct Variant {
    Variant() { VariantInit(&v); }
    explicit Variant(const char16_t* text) : Variant()
    {
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(text);
    }
    explicit Variant(LONG value) : Variant()
    {
        V_VT(&v) = VT_I4;
        V_I4(&v) = value;
    }
    ~Variant() { VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT v;
};

// What the last failing call left in the thread's error information.
struct ErrorInfoText {
    bool present = false;
    std::string description, source;
    GUID guid = GUID_NULL;
};
inline ErrorInfoText TakeErrorInfo()
{
    ErrorInfoText out;
    ScopedComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Receive()) != S_OK || !info) return out;
    out.present = true;
    ScopedBstr text;
    if (SUCCEEDED(info->GetDescription(text.Receive()))) out.description = Utf8(text.Get());
    if (SUCCEEDED(info->GetSource(text.Receive()))) out.source = Utf8(text.Get());
    info->GetGUID(&out.guid);
    return out;
}

// The message of number 42505 as the error reporter records it.
inline std::string InvalidPointerText() { return SResString(lumo_messages::kInvalidPointer, 0).text().toUtf8(); }

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
    return "OUT:\t[" + method + "]\t[" + address + "]\t[0]\t[" + value + "]";
}

}  // namespace comtest
