// The object library layer, part 4: IDispatch from the registered type
// library, and ISupportErrorInfo.
//
// IDispatchImpl answers the four IDispatch methods from one ITypeInfo per
// interface.  That type information is held by a CComTypeInfoHolder, a static
// object per interface: it loads the registered type library on first use,
// publishes the type information with an interlocked compare-exchange (a
// thread that loses the race releases its copy) and releases it when the
// module terminates.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "platform/atl/AtlModule.h"

class CComTypeInfoHolder {
public:
    constexpr CComTypeInfoHolder(const GUID* guid, const GUID* libid, WORD major, WORD minor) noexcept
        : m_pguid(guid), m_plibid(libid), m_wMajor(major), m_wMinor(minor)
    {
    }
    CComTypeInfoHolder(const CComTypeInfoHolder&) = delete;
    CComTypeInfoHolder& operator=(const CComTypeInfoHolder&) = delete;

    // The type information with a reference for the caller.
    HRESULT GetTI(LCID lcid, ITypeInfo** ppInfo) noexcept;

    HRESULT GetTypeInfo(UINT itinfo, LCID lcid, ITypeInfo** pptinfo) noexcept;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* dispids) noexcept;
    HRESULT Invoke(IDispatch* object, DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepinfo, UINT* argerr) noexcept;

private:
    // The published type information, loaded once; the holder keeps its
    // reference until the module terminates.
    HRESULT EnsureTI(LCID lcid, ITypeInfo** ppInfo) noexcept;
    static void Cleanup(DWORD_PTR holder) noexcept;

    const GUID* m_pguid;
    const GUID* m_plibid;
    WORD m_wMajor;
    WORD m_wMinor;
    ITypeInfo* m_pInfo = nullptr;
};

// IDispatch of a dual interface T described in the type library.
template <class T, const IID* piid, const GUID* plibid, WORD wMajor, WORD wMinor,
          class TypeInfoHolder = CComTypeInfoHolder>
class IDispatchImpl : public T {
public:
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) noexcept override
    {
        if (!pctinfo) return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    STDMETHOD(GetTypeInfo)(UINT itinfo, LCID lcid, ITypeInfo** pptinfo) noexcept override
    {
        return s_tih.GetTypeInfo(itinfo, lcid, pptinfo);
    }
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* dispids) noexcept override
    {
        return s_tih.GetIDsOfNames(riid, names, count, lcid, dispids);
    }
    STDMETHOD(Invoke)(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excepinfo, UINT* argerr) noexcept override
    {
        return s_tih.Invoke(static_cast<T*>(this), member, riid, lcid, flags, params, result, excepinfo, argerr);
    }

private:
    static inline TypeInfoHolder s_tih{piid, plibid, wMajor, wMinor};
};

// Error information is supported for the class's own interface only.
template <const IID* piid>
class ISupportErrorInfoImpl : public ISupportErrorInfo {
public:
    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) noexcept override
    {
        return IsEqualGUID(riid, *piid) ? S_OK : S_FALSE;
    }
};
