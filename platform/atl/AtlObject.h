// The object library layer, part 3: the outermost object wrappers, creation,
// the class factory and the class's creation policy.
//
//   CComObject<T>          a plain object: IUnknown on the root's count; takes
//                          the module lock from construction to destruction
//   CComContainedObject<T> the inner part of an aggregated object: its
//                          IUnknown delegates to the outer object
//   CComAggObject<T>       an aggregated object: the non-delegating IUnknown
//                          that the outer object holds; takes the module lock
//   CComObjectCached<T>    a class object cached by the module: it holds the
//                          module lock only while a client holds it
//
// Creation is two-phase: construction, then the critical section and
// FinalConstruct under an add-ref guard; a failure at any step deletes the
// object and returns the failure.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <unknwn.h>

#include <new>

#include "platform/atl/AtlCore.h"
#include "platform/atl/AtlModule.h"

// Runs the construction steps after the constructor.  On failure the caller
// deletes the object.
template <class T>
inline HRESULT SComConstructObject(T* object) noexcept
{
    HRESULT hr = object->_AtlInitialConstruct();
    if (SUCCEEDED(hr)) {
        object->InternalFinalConstructAddRef();
        hr = object->FinalConstruct();
        object->InternalFinalConstructRelease();
    }
    return hr;
}

// Allocates an object, reporting a failed allocation (or a constructor that
// ran out of memory) as null.
template <class T, class Arg>
inline T* SComAllocateObject(Arg arg) noexcept
{
    try {
        return new T(arg);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

template <class Base>
class CComObject final : public Base {
public:
    using _BaseClass = Base;

    explicit CComObject(void* = nullptr) noexcept
    {
        g_ComModule.Lock();
        this->SetControllingUnknown(this->GetUnknown());
    }
    ~CComObject()
    {
        this->m_dwRef = Base::kDestroyingRefCount;
        this->FinalRelease();
        g_ComModule.Unlock();
    }

    STDMETHOD_(ULONG, AddRef)() noexcept override { return this->InternalAddRef(); }
    STDMETHOD_(ULONG, Release)() noexcept override
    {
        const ULONG count = this->InternalRelease();
        if (count == 0) delete this;
        return count;
    }
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) noexcept override
    {
        return this->_InternalQueryInterface(riid, ppv);
    }

    // Makes a finally constructed object with a reference count of 0 (the
    // caller queries it, which gives the first reference).  For objects that
    // the module creates for itself.
    static HRESULT CreateInstance(CComObject<Base>** pp) noexcept
    {
        if (!pp) return E_POINTER;
        *pp = nullptr;
        auto* object = SComAllocateObject<CComObject<Base>>(nullptr);
        if (!object) return E_OUTOFMEMORY;
        const HRESULT hr = SComConstructObject(object);
        if (FAILED(hr)) {
            delete object;
            return hr;
        }
        *pp = object;
        return S_OK;
    }
};

template <class Base>
class CComContainedObject final : public Base {
public:
    explicit CComContainedObject(void* outer) noexcept
    {
        this->m_pOuterUnknown = static_cast<IUnknown*>(outer);
        this->SetControllingUnknown(this->m_pOuterUnknown);
    }

    STDMETHOD_(ULONG, AddRef)() noexcept override { return this->m_pOuterUnknown->AddRef(); }
    STDMETHOD_(ULONG, Release)() noexcept override { return this->m_pOuterUnknown->Release(); }
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) noexcept override
    {
        return this->m_pOuterUnknown->QueryInterface(riid, ppv);
    }
};

template <class Contained>
class CComAggObject final : public IUnknown, public CComObjectRootEx<typename Contained::_ThreadModel> {
public:
    explicit CComAggObject(void* outer) : m_contained(outer) { g_ComModule.Lock(); }
    ~CComAggObject()
    {
        this->m_dwRef = this->kDestroyingRefCount;
        m_contained.FinalRelease();
        g_ComModule.Unlock();
    }

    HRESULT _AtlInitialConstruct() noexcept
    {
        const HRESULT hr = m_contained._AtlInitialConstruct();
        return SUCCEEDED(hr) ? CComObjectRootEx<typename Contained::_ThreadModel>::_AtlInitialConstruct() : hr;
    }
    HRESULT FinalConstruct() noexcept { return m_contained.FinalConstruct(); }

    STDMETHOD_(ULONG, AddRef)() noexcept override { return this->InternalAddRef(); }
    STDMETHOD_(ULONG, Release)() noexcept override
    {
        const ULONG count = this->InternalRelease();
        if (count == 0) delete this;
        return count;
    }
    // The non-delegating IUnknown: IUnknown is this object, everything else
    // comes from the contained object's map (and adds a reference to the
    // outer object).
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) noexcept override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualGUID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return m_contained._InternalQueryInterface(riid, ppv);
    }

    CComContainedObject<Contained> m_contained;
};

template <class Base>
class CComObjectCached final : public Base {
public:
    explicit CComObjectCached(void* = nullptr) noexcept { this->SetControllingUnknown(this->GetUnknown()); }
    ~CComObjectCached()
    {
        this->m_dwRef = Base::kDestroyingRefCount;
        this->FinalRelease();
    }

    // The module's own reference is the first; the module lock is held while
    // anybody else holds one (count 1 -> 2 locks, 2 -> 1 unlocks).  The
    // critical section keeps a lock and the matching unlock in order.
    STDMETHOD_(ULONG, AddRef)() noexcept override
    {
        CComCritSecLock lock(this->m_critsec);
        const ULONG count = this->InternalAddRef();
        if (count == 2) g_ComModule.Lock();
        return count;
    }
    STDMETHOD_(ULONG, Release)() noexcept override
    {
        ULONG count;
        {
            CComCritSecLock lock(this->m_critsec);
            count = this->InternalRelease();
            if (count == 1) g_ComModule.Unlock();
        }
        if (count == 0) delete this;
        return count;
    }
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) noexcept override
    {
        return this->_InternalQueryInterface(riid, ppv);
    }
};

// Makes one finally constructed object of T and asks it for riid.
template <class T>
class CComCreator {
public:
    static HRESULT CreateInstance(void* outer, REFIID riid, void** ppv) noexcept
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        T* object = SComAllocateObject<T>(outer);
        if (!object) return E_OUTOFMEMORY;
        HRESULT hr = SComConstructObject(object);
        if (SUCCEEDED(hr)) hr = object->QueryInterface(riid, ppv);
        if (FAILED(hr)) delete object;
        return hr;
    }
};

// Plain object without an outer object, aggregated object with one.
template <class PlainCreator, class AggregatedCreator>
class CComCreator2 {
public:
    static HRESULT CreateInstance(void* outer, REFIID riid, void** ppv) noexcept
    {
        return outer ? AggregatedCreator::CreateInstance(outer, riid, ppv)
                     : PlainCreator::CreateInstance(nullptr, riid, ppv);
    }
};

// The class factory of one class-table entry.
class CComClassFactory : public IClassFactory, public CComObjectRootEx<CComMultiThreadModel> {
public:
    BEGIN_COM_MAP(CComClassFactory)
        COM_INTERFACE_ENTRY(IClassFactory)
    END_COM_MAP()

    // E_POINTER for a null result pointer; CLASS_E_NOAGGREGATION for an outer
    // object with any interface but IUnknown; otherwise the entry's creator.
    STDMETHOD(CreateInstance)(IUnknown* outer, REFIID riid, void** ppv) noexcept override;
    // TRUE takes one module lock, FALSE gives one back.
    STDMETHOD(LockServer)(BOOL lock) noexcept override;

    void SetCreator(SComCreatorFunc creator) noexcept { m_pfnCreateInstance = creator; }

protected:
    ~CComClassFactory() = default;

private:
    SComCreatorFunc m_pfnCreateInstance = nullptr;
};

// Makes the cached class object of a class-table entry.
template <class Factory>
class CComClassObjectCreator {
public:
    static HRESULT CreateClassObject(SComCreatorFunc instanceCreator, REFIID riid, void** ppv) noexcept
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        auto* factory = SComAllocateObject<CComObjectCached<Factory>>(nullptr);
        if (!factory) return E_OUTOFMEMORY;
        factory->SetCreator(instanceCreator);
        HRESULT hr = SComConstructObject(factory);
        if (SUCCEEDED(hr)) hr = factory->QueryInterface(riid, ppv);
        if (FAILED(hr)) delete factory;
        return hr;
    }
};

// The creation policy and the class-table hooks of a class: aggregatable,
// one cached class factory, no description, no categories, no class
// initialisation or termination.
template <class T, const CLSID* pclsid>
class CComCoClass {
public:
    using _CreatorClass = CComCreator2<CComCreator<CComObject<T>>, CComCreator<CComAggObject<T>>>;
    using _ClassFactoryCreatorClass = CComClassObjectCreator<CComClassFactory>;

    static const CLSID& GetObjectCLSID() noexcept { return *pclsid; }
    static const char16_t* GetObjectDescription() noexcept { return nullptr; }
    static const SComCategoryEntry* GetCategoryMap() noexcept { return nullptr; }
    static void ObjectMain(bool /*starting*/) noexcept {}
};
