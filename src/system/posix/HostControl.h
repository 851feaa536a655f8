// Host-only controls of the posix backend: where boxes go, where drive letters lead, which
// platform call fails, and a log of the run's visible steps for tests to read.
#pragma once
#include <functional>
#include <optional>
#include <stdint.h>
#include <string>
#include <vector>

// The platform calls that tests can make fail.
enum class HostCall { Open, Create, Seek, Read, Write, AllocGlobal, AllocBlock, MakeFolder, StartProcess, Wait, Count };

// Makes the nth call of that kind from now on fail (1 = the next one); 0 makes every one fail.
void HostFailCall(HostCall call, int nth);
// Clears every planned failure and every counter.
void HostResetFaults();
// Calls of that kind since the last reset.
int HostCallCount(HostCall call);
// For the backends: counts the call and tells whether it is to fail.
bool HostShouldFail(HostCall call);

// Files opened or created through the backend and not yet closed; nothing resets it, so a test
// compares it with its own value at the start.
int HostOpenFiles();

// Every box goes to the sink; without one it is printed to stderr as "Message: ..." or "Error: ...".
using HostBoxSink = std::function<void(const std::string& caption, const std::string& text, unsigned style)>;
void HostSetBoxSink(HostBoxSink sink);

// Drive-letter paths lead to ROOT/<lower-case letter>/..., with backslashes turned into slashes.
void HostSetDriveRoot(const std::string& root);
std::string HostMapPath(const char* path);

// What ModulePath gives on the host.
void HostSetModulePath(const std::string& path);

// The run's visible steps in order: "PumpMessages", "WaitCursor", "Sleep 1000", "Start <line>",
// "Wait" and, in an unattended run, "Report <kind> <text>" for each failure.
std::vector<std::string>& HostEvents();

// Decides whether a process start succeeds; by default it does when the first word names a file.
using HostLauncher = std::function<bool(const std::string& commandLine)>;
void HostSetLauncher(HostLauncher launcher);

// Whether the window station has a visible display, and the exit code the started program ends
// with when the run waits for it. Reset with the faults.
bool& HostDisplayVisible();
uint32_t& HostProgramExit();

// What the backend tells of the set-up folder's safety. Left alone, it reads the real folder: a
// link when lstat says so, and a descriptor made from the Unix mode as Wine makes one (SYSTEM in
// full, the owner's bits for the owner, the others' bits for Everyone). Reset with the faults.
struct HostFolderAnswers {
    bool keepsAccessLists = true;
    bool knowsUser = true;
    bool openDenied = false;  // the folder can't be opened to read its security
    // When set: what reading the security gives, whatever the folder; empty fails.
    std::optional<std::vector<uint8_t>> descriptor;
};
HostFolderAnswers& HostFolder();
// The running user's SID on the host.
const std::vector<uint8_t>& HostUserSid();
// The descriptor the last folder was made with; empty when it was made without one.
const std::vector<uint8_t>& HostMadeFolderDescriptor();

// One entry of an access list: type 0 allows, 1 denies.
struct HostAccessEntry {
    uint8_t type, flags;
    uint32_t mask;
    std::vector<uint8_t> sid;
};
// A self-relative descriptor put together byte by byte: the header with the control bits, the
// owner at 20, then the access list of the entries.
std::vector<uint8_t> HostDescriptor(const std::vector<uint8_t>& owner, const std::vector<HostAccessEntry>& entries,
                                    uint16_t control = 0x8004);
