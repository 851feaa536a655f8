// The posix backend of the process start: recorded in the event log, decided by the launcher, and
// its end given by the tests.
#include <sys/stat.h>
#include <string>
#include "launch/Process.h"
#include "system/posix/HostControl.h"

extern HostLauncher hostLauncher;

static bool FirstWordIsFile(const std::string& commandLine) {
    std::string program = commandLine.substr(0, commandLine.find(' '));
    struct stat info;
    return stat(HostMapPath(program.c_str()).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool StartDetachedProcess(char* commandLine, void** kept) {
    HostEvents().push_back(std::string("Start ") + commandLine);
    if (HostShouldFail(HostCall::StartProcess)) return false;
    bool started = hostLauncher ? hostLauncher(commandLine) : FirstWordIsFile(commandLine);
    if (started && kept) *kept = &hostLauncher;
    return started;
}

bool WaitForProcess(void*, uint32_t* exitCode) {
    HostEvents().push_back("Wait");
    bool ended = !HostShouldFail(HostCall::Wait);
    // As on Windows, a failed wait gives no exit code.
    *exitCode = ended ? HostProgramExit() : 0;
    return ended;
}
