// Running the real stubs under Wine: which loader runs which stub, the shared prefix, and the
// calls that a run made, read back from Wine's relay trace.
#pragma once
#include <string>
#include <vector>
#include "support/HostRun.h"

// One shipped stub and what runs it: the PE32+ under Wine's 64-bit loader, which starts in well
// under a second; the PE32 under the 32-bit loader, which runs under qemu on kernels that can't
// run i386 programs themselves.
struct Stub {
    std::string name;    // "win64", "win32": the test's parameter name
    std::string exe;     // the bare stub
    std::string probe;   // a set-up program of the same kind that notes its command line
    std::string loader;  // Wine's loader for that kind
};
// The clone, its preset builds and the built sfxpack (E2ePaths.cpp).
extern const char* const SourceDir;
extern const char* const BuildDir;
extern const char* const SfxpackPath;
const Stub& Win64Stub();
const Stub& Win32Stub();
// Whether the 32-bit loader is made to run under qemu (SFX_WINE32_QEMU=1).
bool Wine32Emulated();

// The prefix shared by every Wine user of the project, made on first use, and its drive C:; the
// PE32 runs use a second one, chosen for the rest of the process by UseWinePrefixOf.
void UseWinePrefixOf(const Stub& stub);
const std::string& WinePrefix();
std::string DriveC();
// Waits for the prefix's lock and gives its descriptor (closing it lets go), or -1: c:\_setup is
// one folder for every Wine user of the machine, so runs take turns.
int LockWinePrefix();
// Makes sure the prefix's server runs with umask 000, as the prefix script starts it, restarting
// one that runs with another (the folders a run makes have their access lists from it).
void ServeWithOpenUmask();
// Waits until no program of the tests' own (the stubs and the set-up programs they start) runs in
// the prefix any more; false if one still runs after the time-out. A set-up program outlives the
// stub that started it, and the next run must not meet it still holding c:\_setup's files.
bool AwaitOwnProgramsGone(int timeoutSeconds);

// One call from the relay trace: its name and its arguments, strings unescaped.
struct Call {
    std::string name;
    std::vector<std::string> args;
};

struct WineRun {
    int exitCode = -1;
    std::vector<Call> calls;
    std::string trace;

    // Modules appear as they were imported (KERNEL32, user32), so names match ignoring case.
    std::vector<Call> named(const std::string& name) const;
    // The boxes as (caption, text, style) in the order shown.
    std::vector<Box> boxes() const;
    // The command lines handed to CreateProcessA.
    std::vector<std::string> started() const;
};

// Runs the Windows program at `windowsPath` with the tail, from drive C:'s root, under the stub's
// loader, with the relay trace when asked and the environment's assignments on top. A run that
// outlives the time-out counts as a hang (exit code 124). The caller holds the prefix lock.
WineRun RunUnderWine(const Stub& stub, const std::string& windowsPath, const std::string& tail,
                     bool traced = true, int timeoutSeconds = 120, const std::string& environment = "");

// Host files, read and written whole; folders on the way are made.
sfx::Bytes ReadHostFile(const std::string& path);
void WriteHostFile(const std::string& path, const sfx::Bytes& bytes);
bool HostExists(const std::string& path);
// Every file under a folder, as paths relative to it, sorted.
std::vector<std::string> FilesUnder(const std::string& folder);
