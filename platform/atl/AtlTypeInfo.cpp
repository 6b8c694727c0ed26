#include "platform/atl/AtlDispatch.h"

HRESULT CComTypeInfoHolder::EnsureTI(LCID lcid, ITypeInfo** ppInfo) noexcept
{
    ITypeInfo* info = __atomic_load_n(&m_pInfo, __ATOMIC_ACQUIRE);
    if (!info) {
        ITypeLib* library = nullptr;
        HRESULT hr = LoadRegTypeLib(*m_plibid, m_wMajor, m_wMinor, lcid, &library);
        if (FAILED(hr)) return hr;
        ITypeInfo* loaded = nullptr;
        hr = library->GetTypeInfoOfGuid(*m_pguid, &loaded);
        library->Release();
        if (FAILED(hr)) return hr;
        void* previous = InterlockedCompareExchangePointer(reinterpret_cast<void**>(&m_pInfo), loaded, nullptr);
        if (previous) {
            // Another thread published first: use its copy.
            loaded->Release();
            info = static_cast<ITypeInfo*>(previous);
        } else {
            info = loaded;
            // Released when the module terminates.  Before the module object
            // is initialised there is no termination list; the reference is
            // then kept for the life of the process.
            g_ComModule.AddTermFunc(&CComTypeInfoHolder::Cleanup, reinterpret_cast<DWORD_PTR>(this));
        }
    }
    *ppInfo = info;
    return S_OK;
}

void CComTypeInfoHolder::Cleanup(DWORD_PTR holder) noexcept
{
    auto* self = reinterpret_cast<CComTypeInfoHolder*>(holder);
    ITypeInfo* info = __atomic_exchange_n(&self->m_pInfo, nullptr, __ATOMIC_ACQ_REL);
    if (info) info->Release();
}

HRESULT CComTypeInfoHolder::GetTI(LCID lcid, ITypeInfo** ppInfo) noexcept
{
    if (!ppInfo) return E_POINTER;
    *ppInfo = nullptr;
    ITypeInfo* info = nullptr;
    const HRESULT hr = EnsureTI(lcid, &info);
    if (FAILED(hr)) return hr;
    info->AddRef();
    *ppInfo = info;
    return S_OK;
}

HRESULT CComTypeInfoHolder::GetTypeInfo(UINT itinfo, LCID lcid, ITypeInfo** pptinfo) noexcept
{
    if (!pptinfo) return E_POINTER;
    *pptinfo = nullptr;
    if (itinfo != 0) return DISP_E_BADINDEX;
    return GetTI(lcid, pptinfo);
}

HRESULT CComTypeInfoHolder::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* dispids) noexcept
{
    if (!IsEqualGUID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    const HRESULT hr = EnsureTI(lcid, &info);
    if (FAILED(hr)) return hr;
    return info->GetIDsOfNames(names, count, dispids);
}

HRESULT CComTypeInfoHolder::Invoke(IDispatch* object, DISPID member, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepinfo, UINT* argerr) noexcept
{
    if (!IsEqualGUID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    const HRESULT hr = EnsureTI(lcid, &info);
    if (FAILED(hr)) return hr;
    const HRESULT invoked = info->Invoke(object, member, flags, params, result, excepinfo, argerr);
    // Object-valued properties are described as plain property puts.  A
    // script's "Set obj.Prop = value" asks for a put by reference; such a put
    // is answered by the property put when the interface has no put by
    // reference of its own.
    if (invoked == DISP_E_MEMBERNOTFOUND && flags == DISPATCH_PROPERTYPUTREF)
        return info->Invoke(object, member, DISPATCH_PROPERTYPUT, params, result, excepinfo, argerr);
    return invoked;
}
