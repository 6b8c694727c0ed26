// The object library layer, part 1: threading model, critical sections, the
// interface map and the object root.
//
// Every COM class of the module is built in layers:
//
//   CComObjectRootEx<ThreadModel>   reference count (or the outer object when
//                                   aggregated), critical section, the
//                                   table-driven QueryInterface
//   your class                      its interfaces and its interface map
//                                   (BEGIN_COM_MAP ... END_COM_MAP)
//   CComObject<T> / CComAggObject<T> / CComObjectCached<T>
//                                   IUnknown, creation and the module lock
//                                   (platform/atl/AtlObject.h)
//
// Interface maps are static tables built from captureless lambdas: each entry
// turns the object pointer into one interface pointer with static_cast, so a
// wrong entry is a compile error, not a wrong offset.  GUIDs are compared
// bytewise (IsEqualGUID), never through integer arrays.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <climits>

// A critical section with explicit initialisation.  Init may be called once;
// the destructor deletes the section only when it was initialised, so an
// object whose construction failed half-way is destroyed safely.
class CComCriticalSection {
public:
    CComCriticalSection() noexcept = default;
    ~CComCriticalSection() { Term(); }
    CComCriticalSection(const CComCriticalSection&) = delete;
    CComCriticalSection& operator=(const CComCriticalSection&) = delete;

    HRESULT Init() noexcept
    {
        if (!m_initialized) {
            InitializeCriticalSection(&m_section);
            m_initialized = true;
        }
        return S_OK;
    }
    void Term() noexcept
    {
        if (m_initialized) {
            DeleteCriticalSection(&m_section);
            m_initialized = false;
        }
    }
    void Lock() noexcept { EnterCriticalSection(&m_section); }
    void Unlock() noexcept { LeaveCriticalSection(&m_section); }
    bool IsInitialized() const noexcept { return m_initialized; }

private:
    CRITICAL_SECTION m_section{};
    bool m_initialized = false;
};

// Holds a critical section for the lifetime of a scope.
class CComCritSecLock {
public:
    explicit CComCritSecLock(CComCriticalSection& section) noexcept : m_section(section) { m_section.Lock(); }
    ~CComCritSecLock() { m_section.Unlock(); }
    CComCritSecLock(const CComCritSecLock&) = delete;
    CComCritSecLock& operator=(const CComCritSecLock&) = delete;

private:
    CComCriticalSection& m_section;
};

// Objects that any thread may call: reference counts change atomically.
struct CComMultiThreadModel {
    static ULONG Increment(LONG* p) noexcept { return static_cast<ULONG>(InterlockedIncrement(p)); }
    static ULONG Decrement(LONG* p) noexcept { return static_cast<ULONG>(InterlockedDecrement(p)); }
    using CriticalSection = CComCriticalSection;
};

// One row of an interface map.  A direct entry casts the object to the
// interface; an aggregate entry hands the query to an inner object.
struct SComInterfaceEntry {
    const IID* piid;
    IUnknown* (*cast)(void* object);
    HRESULT (*delegate)(void* object, REFIID riid, void** ppv);
};

// Asks an aggregated inner object (such as the free-threaded marshaler) for
// an interface; a missing inner object answers E_NOINTERFACE.
inline HRESULT SComQueryAggregate(IUnknown* inner, REFIID riid, void** ppv) noexcept
{
    return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
}

// The interface map of a class.  The first entry is the object's identity:
// a query for IUnknown answers it.  A class defines it as
//
//     BEGIN_COM_MAP(CComComment)
//         COM_INTERFACE_ENTRY(ISComment)
//         COM_INTERFACE_ENTRY(IDispatch)
//         COM_INTERFACE_ENTRY_AGGREGATE(IID_IMarshal, m_pUnkMarshaler)
//     END_COM_MAP()
#define BEGIN_COM_MAP(x)                                                                          \
public:                                                                                           \
    using _ComMapClass = x;                                                                       \
    HRESULT _InternalQueryInterface(REFIID riid, void** ppv) noexcept                             \
    {                                                                                             \
        return InternalQueryInterface(this, _GetEntries(), riid, ppv);                            \
    }                                                                                             \
    IUnknown* GetUnknown() noexcept { return _GetEntries()[0].cast(this); }                       \
    static const SComInterfaceEntry* _GetEntries() noexcept                                       \
    {                                                                                             \
        static const SComInterfaceEntry entries[] = {
// An interface the class derives from, answered under IID_<name>.
#define COM_INTERFACE_ENTRY(x) COM_INTERFACE_ENTRY_IID(IID_##x, x)
// An interface the class derives from, answered under the given identifier.
#define COM_INTERFACE_ENTRY_IID(iid, x)                                                           \
    {&(iid),                                                                                      \
     [](void* object) -> IUnknown* { return static_cast<x*>(static_cast<_ComMapClass*>(object)); }, \
     nullptr},
// An identifier answered by an aggregated inner object held in a member.
#define COM_INTERFACE_ENTRY_AGGREGATE(iid, punk)                                                  \
    {&(iid), nullptr, [](void* object, REFIID riid, void** ppv) -> HRESULT {                      \
         return SComQueryAggregate(static_cast<_ComMapClass*>(object)->punk, riid, ppv);          \
     }},
#define END_COM_MAP()                                                                             \
    {nullptr, nullptr, nullptr}                                                                   \
    }                                                                                             \
    ;                                                                                             \
    return entries;                                                                               \
    }

// The root of every object: the reference count (or, when the object is
// aggregated, the outer object's IUnknown), a critical section that derived
// classes may use (the automation frame never takes it), and the controlling
// IUnknown.
template <class ThreadModel>
class CComObjectRootEx {
public:
    using _ThreadModel = ThreadModel;

    CComObjectRootEx() noexcept : m_dwRef(0) {}
    CComObjectRootEx(const CComObjectRootEx&) = delete;
    CComObjectRootEx& operator=(const CComObjectRootEx&) = delete;

    ULONG InternalAddRef() noexcept { return ThreadModel::Increment(&m_dwRef); }
    ULONG InternalRelease() noexcept { return ThreadModel::Decrement(&m_dwRef); }

    // Construction steps run by the creators (platform/atl/AtlObject.h): the
    // critical section first, then FinalConstruct under an extra reference
    // so that a query and release inside it cannot destroy the object.
    HRESULT _AtlInitialConstruct() noexcept { return m_critsec.Init(); }
    void InternalFinalConstructAddRef() noexcept { InternalAddRef(); }
    void InternalFinalConstructRelease() noexcept { InternalRelease(); }
    HRESULT FinalConstruct() noexcept { return S_OK; }
    void FinalRelease() noexcept {}

    void Lock() noexcept { m_critsec.Lock(); }
    void Unlock() noexcept { m_critsec.Unlock(); }

    // Design decision: the creating wrapper hands the root the object's
    // controlling IUnknown (its own identity, or the outer object when it is
    // aggregated) before FinalConstruct, so that a shared base class can
    // aggregate inner objects without a virtual hook.
    IUnknown* GetControllingUnknown() const noexcept { return m_pControllingUnknown; }
    void SetControllingUnknown(IUnknown* unknown) noexcept { m_pControllingUnknown = unknown; }

    // The table-driven query behind every map.
    static HRESULT InternalQueryInterface(void* object, const SComInterfaceEntry* entries, REFIID riid,
                                          void** ppv) noexcept
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualGUID(riid, IID_IUnknown)) {
            IUnknown* identity = entries[0].cast(object);
            identity->AddRef();
            *ppv = identity;
            return S_OK;
        }
        for (const SComInterfaceEntry* entry = entries; entry->piid; ++entry) {
            if (!IsEqualGUID(riid, *entry->piid)) continue;
            if (entry->cast) {
                IUnknown* unknown = entry->cast(object);
                unknown->AddRef();
                *ppv = unknown;
                return S_OK;
            }
            const HRESULT hr = entry->delegate(object, riid, ppv);
            if (SUCCEEDED(hr)) return hr;
        }
        return E_NOINTERFACE;
    }

protected:
    // Guard value set while an object is being destroyed, so that an AddRef
    // and Release pair inside FinalRelease cannot delete it a second time.
    static constexpr LONG kDestroyingRefCount = -(LONG_MAX / 2);

    union {
        LONG m_dwRef;
        IUnknown* m_pOuterUnknown;
    };
    typename ThreadModel::CriticalSection m_critsec;
    IUnknown* m_pControllingUnknown = nullptr;
};
