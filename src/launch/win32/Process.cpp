// The win32 backend of the process start: CreateProcessA with the exact flags, the idle wait, and
// the wait for the end.
#include <windows.h>
#include <string.h>
#include "launch/Process.h"

// CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP | CREATE_DEFAULT_ERROR_MODE.
static const DWORD StartFlags = 0x04000210;

bool StartDetachedProcess(char* commandLine, void** kept) {
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof process);
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, StartFlags, NULL, NULL, &startup,
                        &process))
        return false;
    WaitForInputIdle(process.hProcess, 1000);
    // Only an unattended run waits for the set-up program; nothing needs its thread.
    CloseHandle(process.hThread);
    if (kept)
        *kept = process.hProcess;
    else
        CloseHandle(process.hProcess);
    return true;
}

bool WaitForProcess(void* process, uint32_t* exitCode) {
    DWORD code = 0;
    bool ended = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
    CloseHandle(process);
    *exitCode = code;
    return ended;
}
