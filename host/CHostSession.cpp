#include "host/CHostSession.h"

CHostSession* CHostSession::Create(const Settings& settings) { return new CHostSession(settings); }

HRESULT STDMETHODCALLTYPE CHostSession::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_ISHostSession)) return E_NOINTERFACE;
    *object = static_cast<ISHostSession*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CHostSession::AddRef() { return ++m_refs; }

ULONG STDMETHODCALLTYPE CHostSession::Release()
{
    const ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
}

HRESULT CHostSession::CopyOut(const SWCharString& text, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = SysAllocString(text.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE CHostSession::GetServerFilter(BSTR* filter)
{
    return m_failQueries ? E_FAIL : CopyOut(m_settings.serverFilter, filter);
}

HRESULT STDMETHODCALLTYPE CHostSession::GetLocaleId(LCID* locale)
{
    if (!locale) return E_POINTER;
    if (m_failQueries) return E_FAIL;
    *locale = m_settings.locale;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CHostSession::GetClusterName(BSTR* cluster)
{
    return m_failQueries ? E_FAIL : CopyOut(m_settings.cluster, cluster);
}

HRESULT STDMETHODCALLTYPE CHostSession::GetRequestLogonToken(BSTR* token)
{
    return CopyOut(m_settings.logonToken, token);
}
