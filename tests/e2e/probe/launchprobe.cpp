// A stand-in deployment tool: starts the command line in c:\launch.txt with its own standard
// handles, waits for it, and writes "exit CODE" to c:\launched.txt. Its tail is the longest wait
// in seconds, then /hidden to start the program on a window station of its own without a visible
// display, as a service's. A program still running at the end of the wait counts as hung (a box
// there is never answered): it is ended and "hung" is written.
#include <windows.h>

static void Say(const char* text) {
    HANDLE out = CreateFileA("c:\\launched.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    WriteFile(out, text, (DWORD)lstrlenA(text), &written, NULL);
    CloseHandle(out);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR tail, int) {
    DWORD seconds = 0;
    while (*tail >= '0' && *tail <= '9') seconds = seconds * 10 + (DWORD)(*tail++ - '0');
    while (*tail == ' ') ++tail;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (lstrcmpA(tail, "/hidden") == 0) {
        HWINSTA station = CreateWindowStationA("sfxhidden", 0, WINSTA_ALL_ACCESS, NULL);
        HWINSTA own = GetProcessWindowStation();
        SetProcessWindowStation(station);
        CreateDesktopA("Default", NULL, NULL, 0, GENERIC_ALL, NULL);
        SetProcessWindowStation(own);
        startup.lpDesktop = (char*)"sfxhidden\\Default";
    }
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);

    static char line[4096];
    HANDLE in = CreateFileA("c:\\launch.txt", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    DWORD size = 0;
    ReadFile(in, line, sizeof line - 1, &size, NULL);
    CloseHandle(in);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        Say("not started");
        return 1;
    }
    if (WaitForSingleObject(process.hProcess, seconds * 1000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        Say("hung");
        return 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    char text[32];
    wsprintfA(text, "exit %lu", code);
    Say(text);
    return 0;
}
