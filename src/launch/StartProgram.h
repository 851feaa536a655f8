// Starting the unpacked set-up program, which then runs on by itself or is waited for.
#pragma once
#include "launch/Process.h"

// Starts the program named by the command line's first word, unchanged, and gives it up to a
// second to become ready for input. False after the "Cannot run " box. Given somewhere to keep
// it, the process is kept there for WaitForProcess.
bool StartProgram(char* commandLine, void** kept = nullptr);
