// The installer's run: unpack and start the set-up program, or clean its files up again.
#pragma once

// The exit codes of an unattended run's own failures: a range of their own, so that an admin can
// tell them from a set-up program's (none is 1618, 1641, 3010 or 1707).
enum ExitCode {
    ExitNoArchive = 9601,  // no archive behind the stub, or it could not be read
    ExitFolderRefused,     // the set-up folder could be changed or redirected by others
    ExitMemberFailed,      // a member was not unpacked
    ExitNotStarted,        // the set-up program could not be started
    ExitWaitFailed,        // the wait for the set-up program failed
};

// The whole run behind WinMain; the tail is the command line after the program's own name.
// Attended, always 0. Unattended, the set-up program's exit code when that is not 0, else the
// code of the first failure met, else 0.
int RunInstaller(void* module, const char* tail);
