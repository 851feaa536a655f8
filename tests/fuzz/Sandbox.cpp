// Sandbox: the drive root, the name check that keeps fuzzed paths inside it, and the clean-up.
#include "Sandbox.h"
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>
#include "archive/Archive.h"
#include "system/Messages.h"
#include "system/Paths.h"
#include "system/posix/HostControl.h"

namespace {

std::string root;
int firstFreeDescriptor = -1;

int LowestFreeDescriptor() {
    int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) close(fd);
    return fd;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW* where) {
    // Depth first, so folders are empty by the time they come; the root itself stays.
    if (where->level > 0) remove(path);
    return 0;
}

void RemoveAll(bool keepRoot) {
    nftw(root.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    if (keepRoot)
        mkdir((root + "/c").c_str(), 0755);
    else
        rmdir(root.c_str());
}

void RemoveRootAtExit() { RemoveAll(false); }

// Folds "." and ".." lexically. The root is a fresh folder without links and the run makes
// none, so the lexical answer is the one the file system would give.
bool Inside(const std::string& path) {
    if (path.compare(0, root.size() + 1, root + "/") != 0) return false;
    int depth = 0;
    size_t at = root.size() + 1;
    while (at <= path.size()) {
        size_t slash = path.find('/', at);
        if (slash == std::string::npos) slash = path.size();
        std::string part = path.substr(at, slash - at);
        if (part == "..") {
            if (--depth < 0) return false;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        at = slash + 1;
    }
    return true;
}

bool NameStaysInside(const char* name) { return Inside(HostMapPath(MemberPath(name))); }

}  // namespace

void SandboxBegin() {
    if (root.empty()) {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/sfxfuzz.XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back(0);
        if (!mkdtemp(buffer.data())) {
            perror("sfxfuzz: mkdtemp");
            abort();
        }
        root = buffer.data();
        mkdir((root + "/c").c_str(), 0755);
        atexit(RemoveRootAtExit);
        HostSetDriveRoot(root);
        HostSetModulePath("c:\\dist\\setup.exe");
        HostSetBoxSink([](const std::string&, const std::string&, unsigned) {});
        HostSetLauncher([](const std::string&) { return true; });
    }
    HostResetFaults();
    HostEvents().clear();
    MessageText = "";
    firstFreeDescriptor = LowestFreeDescriptor();
}

void SandboxWriteModule(const uint8_t* data, size_t size) {
    mkdir((root + "/c/dist").c_str(), 0755);
    std::string path = root + "/c/dist/setup.exe";
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        perror("sfxfuzz: module");
        abort();
    }
    for (size_t done = 0; done < size;) {
        ssize_t put = write(fd, data + done, size - done);
        if (put <= 0) {
            perror("sfxfuzz: module");
            abort();
        }
        done += (size_t)put;
    }
    close(fd);
}

bool SandboxNamesStayInside() {
    Archive archive;
    // An archive that doesn't open names nothing; the run will stop at the same place.
    if (!archive.open(ModulePath())) return true;
    if (!NameStaysInside(archive.setupProgram.text()) || !NameStaysInside(archive.projectFile.text()))
        return false;
    for (int32_t i = 0; i < archive.supportFiles.count; ++i)
        if (!NameStaysInside(archive.supportFiles.get(i))) return false;
    return true;
}

static size_t counted;

static int CountEntry(const char*, const struct stat* info, int, struct FTW*) {
    if (S_ISREG(info->st_mode)) ++counted;
    return 0;
}

size_t SandboxCountFiles() {
    counted = 0;
    nftw(root.c_str(), CountEntry, 16, FTW_PHYS);
    return counted;
}

void SandboxEnd() {
    RemoveAll(true);
    HostEvents().clear();
    int now = LowestFreeDescriptor();
    if (now != firstFreeDescriptor) {
        fprintf(stderr, "sfxfuzz: the input left descriptor %d open\n", firstFreeDescriptor);
        abort();
    }
}
