// A stand-in set-up program: appends the command line it was started with to c:\probe.txt.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* line = GetCommandLineA();
    HANDLE out = CreateFileA("c:\\probe.txt", FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (out == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(out, line, lstrlenA(line), &written, NULL);
    WriteFile(out, "\n", 1, &written, NULL);
    CloseHandle(out);
    return 0;
}
