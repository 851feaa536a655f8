// The installer's run: unpack and start the set-up program, or clean its files up again.
#pragma once

// The whole run behind WinMain; the tail is the command line after the program's own name.
// Always 0, the exit code.
int RunInstaller(void* module, const char* tail);
