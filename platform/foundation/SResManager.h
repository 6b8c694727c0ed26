// Per-thread resource state: the locale in which the current call loads its
// resource texts.  Every automation call brackets its work with
// ThreadInitialize/ThreadUninitialize; calls nest (a COM method calling
// another object's method on the same thread) and each level restores the
// locale of the level around it.
#pragma once

#include <cstdint>

class SResManager {
public:
    // Counted process-wide initialisation, at module load and unload.
    static bool Initialize();
    static void Terminate();
    static bool IsInitialized();

    static void ThreadInitialize(uint32_t locale, uintptr_t& cookie);
    static void ThreadUninitialize(uintptr_t cookie);

    // The locale of the innermost open call on this thread; 0 outside calls.
    static uint32_t ThreadLocale();
    // Number of open calls on this thread.
    static int ThreadDepth();
};
