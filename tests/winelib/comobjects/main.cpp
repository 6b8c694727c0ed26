#include "tests/winelib/support/WinelibGTest.h"

#include "tests/winelib/support/ComTestMain.h"

int main(int argc, char** argv) { return RunComTests(argc, argv); }
