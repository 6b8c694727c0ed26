// GoogleTest inside a Winelib program.  wineg++ defines the Windows platform
// macros, which would make GoogleTest's headers describe a Windows build that
// does not match the Linux library: hide them while GoogleTest is included.
// Include this header first, before any Windows header.
#pragma once

#pragma push_macro("_WIN32")
#pragma push_macro("__WIN32__")
#pragma push_macro("WIN32")
#pragma push_macro("__WIN32")
#pragma push_macro("_WIN64")
#pragma push_macro("WIN64")
#pragma push_macro("__WIN64")
#pragma push_macro("__WIN64__")
#undef _WIN32
#undef __WIN32__
#undef WIN32
#undef __WIN32
#undef _WIN64
#undef WIN64
#undef __WIN64
#undef __WIN64__
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#pragma pop_macro("__WIN64__")
#pragma pop_macro("__WIN64")
#pragma pop_macro("WIN64")
#pragma pop_macro("_WIN64")
#pragma pop_macro("__WIN32")
#pragma pop_macro("WIN32")
#pragma pop_macro("__WIN32__")
#pragma pop_macro("_WIN32")
