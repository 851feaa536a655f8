// The platform's process start behind StartProgram, one backend each for win32 and posix.
#pragma once
#include <stdint.h>

// Starts the command line in a new console and process group with the default error mode,
// inheriting nothing but the environment and folder; waits up to 1000 ms for it to become
// idle. False when it could not be started. Given somewhere to keep it, the process is kept
// there for WaitForProcess; otherwise it is let go at once.
bool StartDetachedProcess(char* commandLine, void** kept);

// Waits, with no time limit, for a kept process to end, then lets it go. False when the wait or
// its exit code failed.
bool WaitForProcess(void* process, uint32_t* exitCode);
