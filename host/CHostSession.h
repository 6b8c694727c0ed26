// The host program's session object: what it hands to the commentary service
// object with SetCOMSession.  It answers the four operations the service
// object uses from the values the host logged on with; every other operation
// of the session answers E_NOTIMPL.
#pragma once

#include <atomic>

#include "platform/foundation/SString.h"
#include "platform/host/ISHostSession.h"

class CHostSession : public ISHostSession {
public:
    struct Settings {
        LCID locale = 0x0409;
        SWCharString cluster;
        SWCharString serverFilter;
        SWCharString logonToken;
    };

    // Created with one reference, owned by the caller.
    static CHostSession* Create(const Settings& settings);

    // A session whose locale and server-selection queries fail (the service
    // object then falls back to the user-default locale, and cannot connect).
    void FailQueries(bool fail) { m_failQueries = fail; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // The four operations the commentary service uses.
    HRESULT STDMETHODCALLTYPE GetServerFilter(BSTR* filter) override;
    HRESULT STDMETHODCALLTYPE GetLocaleId(LCID* locale) override;
    HRESULT STDMETHODCALLTYPE GetClusterName(BSTR* cluster) override;
    HRESULT STDMETHODCALLTYPE GetRequestLogonToken(BSTR* token) override;

    // The rest of the host's session.
    HRESULT STDMETHODCALLTYPE Reserved03() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved04() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved05() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved06() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved07() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved09() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved14() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved15() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved16() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved17() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved20() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved21() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved22() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved23() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved24() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved25() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved26() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved27() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved28() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved29() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved30() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved31() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved32() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved34() override { return E_NOTIMPL; }

private:
    explicit CHostSession(const Settings& settings) : m_settings(settings) {}
    virtual ~CHostSession() = default;
    static HRESULT CopyOut(const SWCharString& text, BSTR* out);

    std::atomic<ULONG> m_refs{1};
    Settings m_settings;
    bool m_failQueries = false;
};
