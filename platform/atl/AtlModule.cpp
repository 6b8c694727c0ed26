#include "platform/atl/AtlModule.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <atliface.h>

#include <cstdio>
#include <new>
#include <utility>

#include "platform/atl/AtlObject.h"
#include "platform/com/ScopedBstr.h"
#include "platform/com/ScopedComPtr.h"

CComModule g_ComModule;

// The system registrar's identifiers, which atliface.h only declares.
EXTERN_C const CLSID CLSID_Registrar = {0x44ec053a, 0x400f, 0x11d0, {0x9d, 0xcd, 0x00, 0xa0, 0xc9, 0x03, 0x91, 0xd3}};
EXTERN_C const IID IID_IRegistrar = {0x44ec053b, 0x400f, 0x11d0, {0x9d, 0xcd, 0x00, 0xa0, 0xc9, 0x03, 0x91, 0xd3}};

namespace {

HRESULT HresultFromLastError() noexcept
{
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// The registrar script quotes texts with single quotes and doubles a quote
// inside them.  Writes a NUL-terminated copy of text with every ' doubled.
void EscapeSingleQuotes(const WCHAR* text, WCHAR (&out)[2 * MAX_PATH + 1]) noexcept
{
    size_t n = 0;
    for (const WCHAR* p = text; *p && n + 2 < sizeof out / sizeof out[0]; ++p) {
        out[n++] = *p;
        if (*p == u'\'') out[n++] = u'\'';
    }
    out[n] = 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// CComModule

HRESULT CComModule::Init(SComClassEntry* classTable, HINSTANCE instance, const GUID* libid) noexcept
{
    m_csObjMap.Init();
    m_csTermFuncs.Init();
    m_hInst = instance;
    m_plibid = libid;
    m_classTable = classTable;
    for (SComClassEntry* entry = m_classTable; entry && entry->pclsid; ++entry)
        if (entry->pfnObjectMain) entry->pfnObjectMain(true);
    return S_OK;
}

void CComModule::Term() noexcept
{
    if (!m_classTable) return;
    for (SComClassEntry* entry = m_classTable; entry->pclsid; ++entry) {
        IUnknown* classObject = __atomic_exchange_n(&entry->pCF, nullptr, __ATOMIC_ACQ_REL);
        if (classObject) classObject->Release();
        if (entry->pfnObjectMain) entry->pfnObjectMain(false);
    }
    m_classTable = nullptr;

    TermNode* node;
    {
        CComCritSecLock lock(m_csTermFuncs);
        node = std::exchange(m_termFuncs, nullptr);
    }
    while (node) {
        node->func(node->data);
        delete std::exchange(node, node->next);
    }
    m_csTermFuncs.Term();
    m_csObjMap.Term();
}

HRESULT CComModule::AddTermFunc(TermFunc func, DWORD_PTR data) noexcept
{
    if (!m_classTable || !m_csTermFuncs.IsInitialized()) return E_UNEXPECTED;
    auto* node = new (std::nothrow) TermNode{func, data, nullptr};
    if (!node) return E_OUTOFMEMORY;
    CComCritSecLock lock(m_csTermFuncs);
    node->next = m_termFuncs;
    m_termFuncs = node;
    return S_OK;
}

HRESULT CComModule::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) noexcept
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (SComClassEntry* entry = m_classTable; entry && entry->pclsid; ++entry) {
        if (!entry->pfnGetClassObject || !IsEqualGUID(rclsid, *entry->pclsid)) continue;
        IUnknown* classObject = __atomic_load_n(&entry->pCF, __ATOMIC_ACQUIRE);
        if (!classObject) {
            CComCritSecLock lock(m_csObjMap);
            classObject = entry->pCF;
            if (!classObject) {
                const HRESULT hr = entry->pfnGetClassObject(entry->pfnCreateInstance, IID_IUnknown,
                                                            reinterpret_cast<void**>(&classObject));
                if (FAILED(hr)) return hr;
                __atomic_store_n(&entry->pCF, classObject, __ATOMIC_RELEASE);
            }
        }
        return classObject->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CComModule::GetModulePath(WCHAR (&path)[MAX_PATH]) const noexcept
{
    const DWORD length = GetModuleFileNameW(m_hInst, path, MAX_PATH);
    if (length == 0) return HresultFromLastError();
    if (length == MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    return S_OK;
}

HRESULT CComModule::RegisterServer(BOOL bRegTypeLib) noexcept
{
    for (SComClassEntry* entry = m_classTable; entry && entry->pclsid; ++entry) {
        const HRESULT hr = entry->pfnUpdateRegistry(TRUE);
        if (FAILED(hr)) return hr;
        // Component categories would be registered here; no class has any.
    }
    return bRegTypeLib ? RegisterTypeLib() : S_OK;
}

HRESULT CComModule::UnregisterServer(BOOL bUnRegTypeLib) noexcept
{
    for (SComClassEntry* entry = m_classTable; entry && entry->pclsid; ++entry) {
        // Component categories would be removed here; no class has any.
        const HRESULT hr = entry->pfnUpdateRegistry(FALSE);
        if (FAILED(hr)) return hr;
    }
    return bUnRegTypeLib ? UnRegisterTypeLib() : S_OK;
}

HRESULT CComModule::UpdateRegistryFromResource(UINT resourceId, BOOL bRegister) noexcept
{
    WCHAR path[MAX_PATH];
    HRESULT hr = GetModulePath(path);
    if (FAILED(hr)) return hr;
    WCHAR escaped[2 * MAX_PATH + 1];
    EscapeSingleQuotes(path, escaped);

    ScopedComPtr<IRegistrar> registrar;
    hr = CoCreateInstance(CLSID_Registrar, nullptr, CLSCTX_INPROC_SERVER, IID_IRegistrar, registrar.ReceiveVoid());
    if (FAILED(hr)) return hr;
    // The module is a library, not the process's program file: its path goes
    // in unquoted.
    if (FAILED(hr = registrar->AddReplacement(u"APPID", u""))) return hr;
    if (FAILED(hr = registrar->AddReplacement(u"Module", escaped))) return hr;
    if (FAILED(hr = registrar->AddReplacement(u"Module_Raw", escaped))) return hr;

    char narrow[16];
    std::snprintf(narrow, sizeof narrow, "#%u", resourceId);
    WCHAR resourceName[16];
    for (size_t i = 0; i < sizeof narrow; ++i)
        if (!(resourceName[i] = static_cast<unsigned char>(narrow[i]))) break;

    return bRegister ? registrar->ResourceRegisterSz(path, resourceName, u"REGISTRY")
                     : registrar->ResourceUnregisterSz(path, resourceName, u"REGISTRY");
}

HRESULT CComModule::RegisterTypeLib() noexcept
{
    WCHAR path[MAX_PATH];
    HRESULT hr = GetModulePath(path);
    if (FAILED(hr)) return hr;
    ScopedComPtr<ITypeLib> library;
    if (FAILED(hr = LoadTypeLib(path, library.Receive()))) return hr;

    // The directory of the library's help file, when it names one.
    ScopedBstr helpFile;
    WCHAR helpDirectory[MAX_PATH] = {0};
    if (SUCCEEDED(library->GetDocumentation(-1, nullptr, nullptr, nullptr, helpFile.Receive())) &&
        helpFile.Length() > 0 && helpFile.Length() < MAX_PATH) {
        lstrcpynW(helpDirectory, helpFile.Get(), MAX_PATH);
        WCHAR* lastSeparator = nullptr;
        for (WCHAR* p = helpDirectory; *p; ++p)
            if (*p == u'\\' || *p == u'/') lastSeparator = p;
        if (lastSeparator)
            *lastSeparator = 0;
        else
            helpDirectory[0] = 0;
    }
    // Registration is machine-wide; the per-user variant would only be used
    // with per-user registration, which this module never switches on.
    return ::RegisterTypeLib(library.Get(), path, helpDirectory[0] ? helpDirectory : nullptr);
}

HRESULT CComModule::UnRegisterTypeLib() noexcept
{
    WCHAR path[MAX_PATH];
    HRESULT hr = GetModulePath(path);
    if (FAILED(hr)) return hr;
    ScopedComPtr<ITypeLib> library;
    if (FAILED(hr = LoadTypeLib(path, library.Receive()))) return hr;
    TLIBATTR* attributes = nullptr;
    if (FAILED(hr = library->GetLibAttr(&attributes))) return hr;
    hr = ::UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                             attributes->syskind);
    library->ReleaseTLibAttr(attributes);
    return hr;
}

// ---------------------------------------------------------------------------
// CComClassFactory

HRESULT CComClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer && !IsEqualGUID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    if (!m_pfnCreateInstance) return E_UNEXPECTED;
    return m_pfnCreateInstance(outer, riid, ppv);
}

HRESULT CComClassFactory::LockServer(BOOL lock) noexcept
{
    if (lock)
        g_ComModule.Lock();
    else
        g_ComModule.Unlock();
    return S_OK;
}
