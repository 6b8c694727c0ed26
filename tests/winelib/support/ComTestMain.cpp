// GoogleTest in a single-threaded apartment; a program that links the module
// initialises it first, as DllMain does.
#include "tests/winelib/support/WinelibGTest.h"

#include <windows.h>
#include <objbase.h>

#ifdef LUMO_TEST_LINKS_MODULE
#include "module/LumoCommentaryModule.h"
#endif

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
#ifdef LUMO_TEST_LINKS_MODULE
    LumoModuleAttach(GetModuleHandleW(nullptr));
#endif
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
#ifdef LUMO_TEST_LINKS_MODULE
    LumoModuleDetach();
#endif
    return result;
}
