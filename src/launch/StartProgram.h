// Starting the unpacked set-up program, which then runs on by itself.
#pragma once

// Starts the program named by the command line's first word, unquoted and unchanged, and gives
// it up to a second to become ready for input. False after the "Cannot run " box.
bool StartProgram(char* commandLine);
