// Counted references of the service framework.
//
// Plain C++: the Winelib module includes this header; no ORB header lies
// behind it.
//
// CRefCount is the base of every framework object handed out by counted
// reference (service manager, ServerSpec, managed service, stub
// helper, server session).  A new object starts with a count of 0; the first
// SRefPtr (or addRef) that takes it brings the count to 1, and the release
// that brings it back to 0 deletes the object.  Counting is atomic, so
// references may be taken and dropped on any thread.
#pragma once

#include <atomic>
#include <utility>

class CRefCount {
public:
    CRefCount() = default;
    CRefCount(const CRefCount&) = delete;
    CRefCount& operator=(const CRefCount&) = delete;

    virtual void addRef();
    // Drops one reference; deletes the object when it was the last one.
    virtual void release();

    // The current count (for tests and diagnostics; racy by nature).
    int refCount() const { return m_refCount.load(std::memory_order_acquire); }

protected:
    virtual ~CRefCount();

private:
    std::atomic<int> m_refCount{0};
};

// Owning counted pointer: holds one reference of a T (anything with addRef and
// release).  Null by default.
template <class T>
class SRefPtr {
public:
    SRefPtr() = default;
    SRefPtr(T* p) : m_p(p)  // NOLINT: a raw pointer converts implicitly, as in the platform
    {
        if (m_p) m_p->addRef();
    }
    SRefPtr(const SRefPtr& o) : SRefPtr(o.m_p) {}
    SRefPtr(SRefPtr&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    template <class U>
    SRefPtr(const SRefPtr<U>& o) : SRefPtr(o.get())  // NOLINT: derived to base
    {
    }
    ~SRefPtr() { reset(); }

    SRefPtr& operator=(const SRefPtr& o)
    {
        SRefPtr(o).swap(*this);
        return *this;
    }
    SRefPtr& operator=(SRefPtr&& o) noexcept
    {
        SRefPtr(std::move(o)).swap(*this);
        return *this;
    }
    SRefPtr& operator=(T* p)
    {
        SRefPtr(p).swap(*this);
        return *this;
    }

    // Drops the reference held (if any).
    void reset()
    {
        T* p = m_p;
        m_p = nullptr;
        if (p) p->release();
    }
    void swap(SRefPtr& o) noexcept { std::swap(m_p, o.m_p); }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    bool isNull() const { return m_p == nullptr; }

private:
    T* m_p = nullptr;
};
