// The entry point of the LumoCommentary module.
#include <windows.h>

#include "module/LumoCommentaryModule.h"
#include "platform/foundation/SDateTime.h"
#include "platform/foundation/SLogger.h"

// Tracing and time rendering stay available from the first static
// initialiser to the last static destructor of the module.
static TraceLogInitExit s_traceLogInitExit;
static SimpleTimeInitExit s_simpleTimeInitExit;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        LumoModuleAttach(instance);
        DisableThreadLibraryCalls(instance);
        break;
    case DLL_PROCESS_DETACH:
        LumoModuleDetach();
        break;
    default:
        break;
    }
    return TRUE;
}
