// The object library layer, part 2: the module object and its class table.
//
// One global CComModule (g_ComModule) per module holds the class table, the
// type-library identity, the lock count and the critical section that guards
// the creation of class objects.  The module initialises it from DllMain
// (Init) and terminates it at unload (Term).
#pragma once

#include <windows.h>
#include <objbase.h>

#include "platform/atl/AtlCore.h"

// Makes an instance of a class: a plain object when outer is null, an
// aggregated one otherwise (asked for riid; failures leave *ppv null).
using SComCreatorFunc = HRESULT (*)(void* outer, REFIID riid, void** ppv);
// Makes the class object of an entry, bound to the entry's instance creator.
using SComClassObjectCreatorFunc = HRESULT (*)(SComCreatorFunc instanceCreator, REFIID riid, void** ppv);

// A component category of a class (no class of this module has any).
struct SComCategoryEntry {
    int kind;
    const GUID* pcatid;
};

// One row of the class table.
struct SComClassEntry {
    const CLSID* pclsid;
    HRESULT (*pfnUpdateRegistry)(BOOL bRegister);
    SComClassObjectCreatorFunc pfnGetClassObject;
    SComCreatorFunc pfnCreateInstance;
    IUnknown* pCF;  // the cached class object; null until first asked for
    const char16_t* (*pfnGetObjectDescription)();
    const SComCategoryEntry* (*pfnGetCategoryMap)();
    void (*pfnObjectMain)(bool bStarting);
};

// A class-table row for a class with its creators and hooks (CComCoClass
// supplies the hooks; DECLARE_REGISTRY_RESOURCEID the registration routine).
#define OBJECT_ENTRY(clsid, class)                                                               \
    {&(clsid), &class ::UpdateRegistry, &class ::_ClassFactoryCreatorClass::CreateClassObject,    \
     &class ::_CreatorClass::CreateInstance, nullptr, &class ::GetObjectDescription,            \
     &class ::GetCategoryMap, &class ::ObjectMain},
#define END_OBJECT_MAP() {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}

// Every class of the module registers through the module's one script.
#define DECLARE_REGISTRY_RESOURCEID(id)                                                          \
    static HRESULT UpdateRegistry(BOOL bRegister) noexcept                                       \
    {                                                                                            \
        return g_ComModule.UpdateRegistryFromResource(id, bRegister);                            \
    }

class CComModule {
public:
    using TermFunc = void (*)(DWORD_PTR data);

    // The module object does no work when it is constructed: every member
    // starts at zero, Init creates the critical sections and Term deletes them.
    CComModule() noexcept = default;
    CComModule(const CComModule&) = delete;
    CComModule& operator=(const CComModule&) = delete;

    // Records the class table, the module handle and the type library, and
    // calls every entry's initialisation hook in table order.
    HRESULT Init(SComClassEntry* classTable, HINSTANCE instance, const GUID* libid) noexcept;
    // Releases the cached class objects (calling each entry's termination
    // hook), runs the termination list and deletes the critical sections.
    // Safe to call more than once.
    void Term() noexcept;
    bool IsInitialized() const noexcept { return m_classTable != nullptr; }

    // The lock count: live objects, unmatched LockServer(TRUE) calls and
    // class objects held by clients.  Changed atomically.
    LONG Lock() noexcept { return InterlockedIncrement(&m_nLockCnt); }
    LONG Unlock() noexcept { return InterlockedDecrement(&m_nLockCnt); }
    LONG GetLockCount() const noexcept { return InterlockedCompareExchange(const_cast<LONG*>(&m_nLockCnt), 0, 0); }

    HINSTANCE GetModuleInstance() const noexcept { return m_hInst; }
    const GUID* GetTypeLibId() const noexcept { return m_plibid; }

    // The class object of the first entry with the CLSID, created once under
    // the class-object lock and cached; CLASS_E_CLASSNOTAVAILABLE for an
    // unknown CLSID.
    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) noexcept;

    // Applies every entry's registration routine in table order (stopping at
    // the first failure), then registers the type library.
    HRESULT RegisterServer(BOOL bRegTypeLib) noexcept;
    // Applies every entry's registration routine in unregister mode (stopping
    // at the first failure), then unregisters the type library.
    HRESULT UnregisterServer(BOOL bUnRegTypeLib) noexcept;

    // Applies the REGISTRY resource through the system registrar with the
    // replacements APPID, Module and Module_Raw.
    HRESULT UpdateRegistryFromResource(UINT resourceId, BOOL bRegister) noexcept;
    HRESULT RegisterTypeLib() noexcept;
    HRESULT UnRegisterTypeLib() noexcept;

    // Runs func(data) at Term, the last added first.  E_UNEXPECTED before
    // Init or after Term.
    HRESULT AddTermFunc(TermFunc func, DWORD_PTR data) noexcept;

    // The module's file path as GetModuleFileNameW gives it (260 characters
    // at most): S_OK, the system error, or 0x8007007A when the path fills
    // the whole buffer.
    HRESULT GetModulePath(WCHAR (&path)[MAX_PATH]) const noexcept;

private:
    struct TermNode {
        TermFunc func;
        DWORD_PTR data;
        TermNode* next;
    };

    LONG m_nLockCnt = 0;
    SComClassEntry* m_classTable = nullptr;
    HINSTANCE m_hInst = nullptr;
    const GUID* m_plibid = nullptr;
    TermNode* m_termFuncs = nullptr;
    CComCriticalSection m_csObjMap;     // guards the creation of class objects
    CComCriticalSection m_csTermFuncs;  // guards the termination list
};

extern CComModule g_ComModule;
