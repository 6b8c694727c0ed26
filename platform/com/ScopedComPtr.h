// An owning interface pointer, shaped like std::unique_ptr: it holds one
// reference and releases it when it goes out of scope.
//
//   ScopedComPtr<ITypeLib> library;
//   HRESULT hr = LoadTypeLib(path, library.Receive());   // takes the reference
//   ...
//   ITypeLib* handedOut = library.Release();             // the caller owns it now
//
// Release() gives up ownership like unique_ptr::release (it does not call
// IUnknown::Release); Reset() drops the held reference.  Not copyable.
#pragma once

#include <unknwn.h>

#include <utility>

template <class Interface>
class ScopedComPtr {
public:
    ScopedComPtr() noexcept = default;
    // Adopts a reference the caller already owns (no AddRef).
    explicit ScopedComPtr(Interface* owned) noexcept : m_ptr(owned) {}
    ~ScopedComPtr() { Reset(); }
    ScopedComPtr(const ScopedComPtr&) = delete;
    ScopedComPtr& operator=(const ScopedComPtr&) = delete;
    ScopedComPtr(ScopedComPtr&& other) noexcept : m_ptr(other.Release()) {}
    ScopedComPtr& operator=(ScopedComPtr&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    // Releases the held reference and adopts the given one (no AddRef).
    void Reset(Interface* owned = nullptr) noexcept
    {
        Interface* old = std::exchange(m_ptr, owned);
        if (old) old->Release();
    }
    // Gives the held reference to the caller; the wrapper becomes empty.
    Interface* Release() noexcept { return std::exchange(m_ptr, nullptr); }
    // Empties the wrapper and returns the address for an out-parameter that
    // hands over a reference.
    Interface** Receive() noexcept
    {
        Reset();
        return &m_ptr;
    }
    // The same as Receive(), typed for QueryInterface-style out-parameters.
    void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }

    // Queries the held object for another interface into a second wrapper.
    template <class Other>
    HRESULT QueryInterface(REFIID riid, ScopedComPtr<Other>& out) const noexcept
    {
        if (!m_ptr) return E_POINTER;
        return m_ptr->QueryInterface(riid, out.ReceiveVoid());
    }

    Interface* Get() const noexcept { return m_ptr; }
    Interface* operator->() const noexcept { return m_ptr; }
    explicit operator bool() const noexcept { return m_ptr != nullptr; }

private:
    Interface* m_ptr = nullptr;
};
