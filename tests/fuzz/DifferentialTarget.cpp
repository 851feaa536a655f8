// Fuzz target: the stub's whole extraction run against what sfxpack foretells for the same bytes.
// The files the run leaves and their bytes, and the boxes it shows in order, must be the ones
// sfxpack reports; any difference aborts with both sides printed.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>
#include "Sandbox.h"
#include "read/Inspect.h"
#include "read/StubRun.h"
#include "driver/Installer.h"
#include "system/Paths.h"
#include "system/posix/HostControl.h"

namespace {

using FileId = std::pair<dev_t, ino_t>;

bool Identify(const std::string& path, FileId& id) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    id = {info.st_dev, info.st_ino};
    return true;
}

// Whether the run could create the file: the host decides, by what it let the run make. A file
// the stub made can be opened for writing again; a path through a file, a folder, or a folder
// that isn't there can't.
bool Writable(const std::string& path) {
    int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
}

sfx::Bytes Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return sfx::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

[[noreturn]] void Disagree(const std::string& what) {
    fprintf(stderr, "sfxfuzz: the stub and sfxpack disagree: %s\n", what.c_str());
    abort();
}

std::string Show(const std::vector<std::string>& boxes) {
    std::string out;
    for (const std::string& box : boxes) out += "[" + box + "] ";
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sfx::Bytes file(data, data + size);
    sfx::StubRun expected = sfx::PredictStubRun(file, sfx::Inspect(file));

    SandboxBegin();
    SandboxWriteModule(data, size);
    if (!SandboxNamesStayInside()) {
        SandboxEnd();
        return 0;
    }
    std::vector<std::string> boxes;
    HostSetBoxSink([&](const std::string& caption, const std::string& text, unsigned) {
        boxes.push_back(caption + ": " + text);
    });
    RunInstaller(nullptr, "");
    HostSetBoxSink([](const std::string&, const std::string&, unsigned) {});

    FileId module;
    if (!Identify(HostMapPath(ModulePath()), module)) Disagree("the module is gone");
    std::vector<std::string> wanted;
    for (const std::string& box : expected.openBoxes) wanted.push_back("Error: " + box);
    std::map<FileId, std::pair<std::string, const sfx::Bytes*>> files;  // last write wins
    bool overModule = false;
    for (const sfx::StubStep& step : expected.steps) {
        if (step.action == sfx::StubAction::ShowsBox) wanted.push_back("Error: " + step.box);
        if (step.action != sfx::StubAction::Writes) continue;
        std::string host = HostMapPath(step.path.c_str());
        FileId id;
        if (!Writable(host) || !Identify(host, id)) {
            wanted.push_back("Message: Cannot create file: " + step.path);
            continue;
        }
        // A name that leads back to the installer overwrites what the stub is still reading.
        if (id == module) overModule = true;
        files[id] = {step.path, &step.data};
    }
    if (!overModule) {
        if (boxes != wanted) Disagree("boxes shown " + Show(boxes) + "; foretold " + Show(wanted));
        for (const auto& [id, written] : files)
            if (Slurp(HostMapPath(written.first.c_str())) != *written.second)
                Disagree(written.first + " does not hold the " + std::to_string(written.second->size()) +
                         " bytes foretold");
        size_t made = SandboxCountFiles() - 1;  // the module aside
        if (made != files.size())
            Disagree("the run made " + std::to_string(made) + " files; foretold " + std::to_string(files.size()));
    }
    SandboxEnd();
    return 0;
}
