#include "host/HostConsole.h"

#include <cstdio>
#include <string>

#include "platform/foundation/SString.h"

namespace {
constexpr DISPID kDispidEcho = 1;
}

HostConsole* HostConsole::Create() { return new HostConsole(); }

HRESULT STDMETHODCALLTYPE HostConsole::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE HostConsole::AddRef() { return ++m_refs; }

ULONG STDMETHODCALLTYPE HostConsole::Release()
{
    const ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
}

HRESULT STDMETHODCALLTYPE HostConsole::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostConsole::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE HostConsole::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        if (i == 0 && names[0] && SWCharString(names[0]).compareNoCase(u"Echo") == 0) {
            ids[0] = kDispidEcho;
        } else {
            ids[i] = DISPID_UNKNOWN;
            hr = DISP_E_UNKNOWNNAME;
        }
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE HostConsole::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                              VARIANT* result, EXCEPINFO*, UINT*)
{
    if (id != kDispidEcho) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (result) VariantInit(result);
    return Echo(params);
}

HRESULT HostConsole::Echo(const DISPPARAMS* params)
{
    std::u16string line;
    const UINT count = params ? params->cArgs : 0;
    // Arguments arrive last first.
    for (UINT i = count; i-- > 0;) {
        VARIANT text;
        VariantInit(&text);
        const HRESULT hr = VariantChangeType(&text, &params->rgvarg[i], VARIANT_ALPHABOOL, VT_BSTR);
        if (FAILED(hr)) return hr;
        if (!line.empty() || i + 1 != count) line += u' ';
        if (V_BSTR(&text)) line.append(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
        VariantClear(&text);
    }
    const std::string utf8 = lumoUtf16ToUtf8(line);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return S_OK;
}
