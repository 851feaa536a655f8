// A DLL to plant beside an installer under the name of one that the stub's run loads at run time:
// under Wine, user32 loads uxtheme.dll for LoadCursorA. Loaded, it leaves c:\dist\planted.txt.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        HANDLE note = CreateFileA("c:\\dist\\planted.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (note != INVALID_HANDLE_VALUE) CloseHandle(note);
    }
    return TRUE;
}
