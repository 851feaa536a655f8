// The win32 backend of the process start: CreateProcessA with the exact flags, then the idle wait.
#include <windows.h>
#include <string.h>
#include "launch/Process.h"

// CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP | CREATE_DEFAULT_ERROR_MODE.
static const DWORD StartFlags = 0x04000210;

bool StartDetachedProcess(char* commandLine) {
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof process);
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, StartFlags, NULL, NULL, &startup,
                        &process))
        return false;
    WaitForInputIdle(process.hProcess, 1000);
    // Nothing watches the set-up program, so its handles go at once.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
