// The host contender: the stub's own run (directory, extraction, start) built for the host, with
// c:\ mapped to a folder and the start of the set-up program only recorded.
// Usage: sfxhostextract INSTALLER DRIVEROOT  (members land in DRIVEROOT/c/_setup)
#include <cstdio>
#include <string>
#include "driver/Installer.h"
#include "system/posix/HostControl.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INSTALLER DRIVEROOT\n", argv[0]);
        return 2;
    }
    int boxes = 0;
    HostSetBoxSink([&boxes](const std::string& caption, const std::string& text, unsigned) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        ++boxes;
    });
    HostSetDriveRoot(argv[2]);
    HostSetModulePath(argv[1]);
    HostSetLauncher([](const std::string&) { return true; });
    RunInstaller(nullptr, "");
    // Every failure shows a box; a run that showed one did not unpack everything.
    return boxes ? 1 : 0;
}
