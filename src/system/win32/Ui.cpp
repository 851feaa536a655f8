// The win32 backend of the user interface: boxes, the queue, the cursor, the pause, the display
// and the reports of an unattended run.
#include <windows.h>
#include "system/Ui.h"

void ShowBox(const char* text, const char* caption, BoxStyle style) {
    MessageBoxA(NULL, text, caption, MB_OK | (UINT)style);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void ShowWaitCursor() { SetCursor(LoadCursorA(NULL, IDC_WAIT)); }

void Pause(unsigned milliseconds) { Sleep(milliseconds); }

bool DisplayVisible() {
    USEROBJECTFLAGS flags;
    HWINSTA station = GetProcessWindowStation();
    if (!station || !GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, NULL)) return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

// The event log's calls are looked up rather than imported: only an unattended run that fails
// needs them, and imported they would take the import table past a file page. advapi32 is loaded
// already, for the set-up folder's security.
typedef HANDLE(WINAPI* RegisterSourceCall)(LPCSTR, LPCSTR);
typedef BOOL(WINAPI* ReportEventCall)(HANDLE, WORD, WORD, DWORD, PSID, WORD, DWORD, LPCSTR*, LPVOID);

static HANDLE EventLog() {
    static HANDLE log;
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    auto registerSource = (RegisterSourceCall)(void*)GetProcAddress(advapi, "RegisterEventSourceA");
    // Registered once, at the first report; the process's end lets it go.
    if (!log && registerSource) log = registerSource(NULL, "sfxstub");
    return log;
}

void ReportFailure(char* line, int32_t length, unsigned kind) {
    // A GUI program started from a console or with redirected handles has a standard error;
    // one started from the shell has none. The line goes in one write, so that no other writer's
    // output lands between the text and its line end.
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD done;
    // No handle is null; a failed call gives INVALID_HANDLE_VALUE.
    if (error != NULL && error != INVALID_HANDLE_VALUE) WriteFile(error, line, (DWORD)length, &done, NULL);
    line[length - 2] = 0;
    HANDLE log = EventLog();
    auto reportEvent = (ReportEventCall)(void*)GetProcAddress(GetModuleHandleA("advapi32.dll"), "ReportEventA");
    const char* text = line;
    if (log && reportEvent) reportEvent(log, EVENTLOG_ERROR_TYPE, 0, kind, NULL, 1, 0, &text, NULL);
}
