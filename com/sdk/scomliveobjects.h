// The live objects of one class of the module, by the address of their own
// interface part.  This is how the module recognises its own comment and
// hide-request objects behind an interface pointer that a client hands back,
// without any identity that QueryInterface would answer.
//
// An object adds itself in its constructor and leaves in its destructor.  A
// pointer is found only when it is exactly the own-interface part of a live
// object of the class (or of one of the interfaces that part derives from:
// IDispatch, ISCommentRequest), which is what the object hands out, also when
// it is aggregated: the outer object passes the inner object's interface
// pointer on unchanged.  An interface implemented elsewhere, also one that
// wraps or delegates to an object of this module, is not found.  Finding
// calls nothing on the pointer, so an object of another implementation is
// never asked anything.
#pragma once

#include <mutex>
#include <unordered_set>

template <class T, class Interface>
class SComLiveObjects {
public:
    static void Add(T* object) { Guarded([&](Set& set) { set.insert(static_cast<Interface*>(object)); }); }
    static void Remove(T* object) noexcept
    {
        Guarded([&](Set& set) { set.erase(static_cast<Interface*>(object)); });
    }

    // The object behind the pointer, or null.  Borrowed: the caller's
    // reference on the pointer keeps the object alive.
    static T* Find(const void* pointer) noexcept
    {
        bool live = false;
        Guarded([&](Set& set) { live = pointer && set.count(pointer) != 0; });
        return live ? static_cast<T*>(static_cast<Interface*>(const_cast<void*>(pointer))) : nullptr;
    }

private:
    using Set = std::unordered_set<const void*>;
    struct Registry {
        std::mutex mutex;
        Set set;
    };

    template <class Action>
    static void Guarded(Action action)
    {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        action(registry.set);
    }
    static Registry& TheRegistry()
    {
        // Never destroyed: objects may outlive the module's static objects.
        static Registry* registry = new Registry;
        return *registry;
    }
};
