// A stand-in set-up program: appends the command line it was started with to a note file
// (c:\probe.txt for the tests; the demo builds it with its own NOTE_PATH).
#include <windows.h>

#ifndef NOTE_PATH
#define NOTE_PATH "c:\\probe.txt"
#endif

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* line = GetCommandLineA();
    HANDLE out = CreateFileA(NOTE_PATH, FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (out == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(out, line, lstrlenA(line), &written, NULL);
    WriteFile(out, "\n", 1, &written, NULL);
    CloseHandle(out);
    return 0;
}
