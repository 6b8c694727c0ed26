// Opens a block of includes of Linux libraries (GoogleTest, Google Benchmark)
// inside Winelib code.  wineg++ defines the Windows platform macros, which
// would make such headers describe a Windows build that does not match the
// Linux library they belong to: the macros are hidden until
// UnixHeadersEnd.h restores them.  Include both before any Windows header.
//
//   #include "platform/com/UnixHeadersBegin.h"
//   #include <gtest/gtest.h>
//   #include "platform/com/UnixHeadersEnd.h"
//
// No include guard: the pair may open and close more than one block.
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
