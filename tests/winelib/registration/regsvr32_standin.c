/* A stand-in for REGSVR32.EXE in the registration tests: a real Windows
 * program that records the command line it was started with (UTF-8) in the
 * file named by the environment variable LUMO_REGSVR32_RECORD, and does
 * nothing else.  The file is written under a temporary name and renamed, so
 * that a reader never sees it half-written. */
#include <windows.h>

int wmain(void)
{
    WCHAR record[MAX_PATH], partial[MAX_PATH + 8];
    const WCHAR* line = GetCommandLineW();
    char text[4096];
    DWORD written = 0;
    int length;
    HANDLE file;

    if (!GetEnvironmentVariableW(L"LUMO_REGSVR32_RECORD", record, MAX_PATH)) return 2;
    lstrcpyW(partial, record);
    lstrcatW(partial, L".part");
    length = WideCharToMultiByte(CP_UTF8, 0, line, -1, text, sizeof text, NULL, NULL);
    if (length <= 0) return 3;
    file = CreateFileW(partial, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 4;
    WriteFile(file, text, (DWORD)(length - 1), &written, NULL);
    CloseHandle(file);
    return MoveFileExW(partial, record, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
