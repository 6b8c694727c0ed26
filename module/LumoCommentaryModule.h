// The LumoCommentary module as a whole: its class table, its load and unload
// sequence and the bodies of its four exports (DllGetClassObject,
// DllCanUnloadNow, DllRegisterServer, DllUnregisterServer, declared by the
// system headers).  DllMain (module/LumoCommentaryDll.cpp) calls the load and
// unload routines; test programs that link the module's code directly call
// them themselves.
#pragma once

#include <windows.h>

#include "platform/atl/AtlModule.h"

// The fifteen classes of the module, in registration-table order.
extern SComClassEntry g_LumoClassTable[];

// Process attach: module object (class table, instance, type library),
// logger, resource manager.  Always succeeds.
void LumoModuleAttach(HINSTANCE instance) noexcept;
// Process detach: the same in reverse.
void LumoModuleDetach() noexcept;
