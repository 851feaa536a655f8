// The platform's process start behind StartProgram, one backend each for win32 and posix.
#pragma once

// Starts the command line in a new console and process group with the default error mode,
// inheriting nothing but the environment and folder; waits up to 1000 ms for it to become
// idle, then lets it go. False when it could not be started.
bool StartDetachedProcess(char* commandLine);
