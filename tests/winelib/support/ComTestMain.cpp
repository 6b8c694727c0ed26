// The main function of every COM test program: GoogleTest in a
// single-threaded apartment.  A program that links the module's code
// (LUMO_TEST_LINKS_MODULE) initialises its module object first, as DllMain
// does it in the DLL.
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
