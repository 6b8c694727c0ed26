// The main function of a COM test program: GoogleTest in a single-threaded
// apartment.
#pragma once

#include <windows.h>
#include <objbase.h>

inline int RunComTests(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
