// The demo's set-up program: notes the command line it was started with in c:\demo-received.txt.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* line = GetCommandLineA();
    HANDLE out = CreateFileA("c:\\demo-received.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (out == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(out, line, lstrlenA(line), &written, NULL);
    WriteFile(out, "\r\n", 2, &written, NULL);
    CloseHandle(out);
    return 0;
}
