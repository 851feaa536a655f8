// Host-only controls of the posix backend: fault plans, the box sink, the drive root, the event log.
#include "system/posix/HostControl.h"
#include <cctype>
#include <cstdio>

namespace {
struct Plan {
    int calls = 0;
    int failAt = -1;  // -1 never, 0 always, n the nth call from the reset
};
Plan plans[(int)HostCall::Count];
HostBoxSink boxSink;
std::string driveRoot = ".";
std::string modulePath = "sfxstub.exe";
std::vector<std::string> events;
HostFolderAnswers folderAnswers;
bool displayVisible = true;
uint32_t programExit = 0;
}  // namespace

// The drive that a path rooted without a letter is taken on; the backend's drive change sets it.
char hostCurrentDrive = 'c';

HostLauncher hostLauncher;

void HostFailCall(HostCall call, int nth) {
    Plan& plan = plans[(int)call];
    plan.failAt = nth == 0 ? 0 : plan.calls + nth;
}

void HostResetFaults() {
    for (Plan& plan : plans) plan = Plan();
    folderAnswers = HostFolderAnswers();
    displayVisible = true;
    programExit = 0;
}

bool& HostDisplayVisible() { return displayVisible; }

uint32_t& HostProgramExit() { return programExit; }

HostFolderAnswers& HostFolder() { return folderAnswers; }

int HostCallCount(HostCall call) { return plans[(int)call].calls; }

bool HostShouldFail(HostCall call) {
    Plan& plan = plans[(int)call];
    ++plan.calls;
    return plan.failAt == 0 || plan.failAt == plan.calls;
}

void HostSetBoxSink(HostBoxSink sink) { boxSink = std::move(sink); }

void HostDeliverBox(const char* text, const char* caption, unsigned style) {
    if (boxSink) {
        boxSink(caption, text, style);
        return;
    }
    // A box that can't be printed has nowhere else to go.
    std::fprintf(stderr, "%s: %s\n", caption, text);  // NOLINT(cert-err33-c)
}

void HostSetDriveRoot(const std::string& root) { driveRoot = root; }

std::string HostMapPath(const char* path) {
    std::string mapped;
    std::string rest = path;
    if (rest.size() >= 2 && rest[1] == ':' && std::isalpha((unsigned char)rest[0])) {
        mapped = driveRoot + "/" + (char)std::tolower((unsigned char)rest[0]);
        rest = rest.substr(2);
        if (rest.empty() || rest[0] != '\\') mapped += "/";
    } else if (!rest.empty() && rest[0] == '\\') {
        // Rooted on the current drive.
        mapped = driveRoot + "/" + hostCurrentDrive;
    }
    for (char& c : rest)
        if (c == '\\') c = '/';
    return mapped + rest;
}

void HostSetModulePath(const std::string& path) { modulePath = path; }

const std::string& HostModulePath() { return modulePath; }

std::vector<std::string>& HostEvents() { return events; }

void HostSetLauncher(HostLauncher launcher) { hostLauncher = std::move(launcher); }
