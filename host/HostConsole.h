// The console object that scripts run by the host see as "WScript": it has
// the one method scripts use to print, Echo, which writes its arguments
// separated by blanks and ends the line (UTF-8 on standard output).
#pragma once

#include <objbase.h>
#include <oleauto.h>

#include <atomic>

class HostConsole : public IDispatch {
public:
    static HostConsole* Create();  // one reference, owned by the caller

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

private:
    HostConsole() = default;
    virtual ~HostConsole() = default;
    static HRESULT Echo(const DISPPARAMS* params);

    std::atomic<ULONG> m_refs{1};
};
