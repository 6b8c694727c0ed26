#include "tests/winelib/support/WinelibGTest.h"

#include "module/LumoCommentaryModule.h"
#include "tests/winelib/support/ComTestMain.h"

// The module's code is linked into this program: its module object is
// initialised here as DllMain does it in the DLL.
int main(int argc, char** argv)
{
    LumoModuleAttach(GetModuleHandleW(nullptr));
    const int result = RunComTests(argc, argv);
    LumoModuleDetach();
    return result;
}
