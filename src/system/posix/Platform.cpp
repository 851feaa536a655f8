// The posix backend of file access and paths: plain descriptors, drive letters mapped to folders.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include "system/Platform.h"
#include "system/posix/HostControl.h"

extern char hostCurrentDrive;
const std::string& HostModulePath();

static int Descriptor(FileHandle file) { return (int)(intptr_t)file; }

// A handle left open is invisible here but not on Windows, where the output files are opened
// unshared: the set-up program could not be started or read while one is still open.
static int openFiles = 0;

int HostOpenFiles() { return openFiles; }

FileHandle Opened(int fd) {
    if (fd >= 0) ++openFiles;
    return (FileHandle)(intptr_t)fd;
}

FileHandle PlatformOpenInput(const char* name) {
    if (HostShouldFail(HostCall::Open)) return InvalidFile();
    int fd = ::open(HostMapPath(name).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    // A folder opens on posix, but not as an input file on the platform the stub mimics.
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    return Opened(fd);
}

FileHandle PlatformCreateOutput(const char* name) {
    if (HostShouldFail(HostCall::Create)) return InvalidFile();
    std::string path = HostMapPath(name);
    // A read-only file can't be emptied, even by root, as on the platform the stub mimics.
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && !(info.st_mode & S_IWUSR)) return InvalidFile();
    return Opened(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

uint32_t PlatformSeek(FileHandle file, int32_t distance, SeekOrigin origin) {
    if (HostShouldFail(HostCall::Seek)) return 0xFFFFFFFFu;
    int whence = origin == SeekBegin ? SEEK_SET : origin == SeekCurrent ? SEEK_CUR : SEEK_END;
    off_t position = lseek(Descriptor(file), distance, whence);
    if (position < 0 || position >= 0xFFFFFFFFLL) return 0xFFFFFFFFu;
    return (uint32_t)position;
}

bool PlatformRead(FileHandle file, void* buffer, int32_t count, int32_t* done) {
    *done = 0;
    if (HostShouldFail(HostCall::Read) || count < 0) return false;
    ssize_t got = ::read(Descriptor(file), buffer, (size_t)count);
    if (got < 0) return false;
    *done = (int32_t)got;
    return true;
}

bool PlatformWrite(FileHandle file, const void* buffer, int32_t count, int32_t* done) {
    *done = 0;
    if (HostShouldFail(HostCall::Write) || count < 0) return false;
    ssize_t put = ::write(Descriptor(file), buffer, (size_t)count);
    if (put < 0) return false;
    *done = (int32_t)put;
    return true;
}

int PlatformClose(FileHandle file) {
    if (::close(Descriptor(file)) != 0) return 0;
    --openFiles;
    return 1;
}

int64_t PlatformFileSize(FileHandle file) {
    struct stat info;
    if (fstat(Descriptor(file), &info) != 0) return -1;
    return (int64_t)info.st_size;
}

void PlatformModuleFileName(void*, char* buffer, uint32_t size) {
    const std::string& path = HostModulePath();
    size_t n = path.size() < size - 1 ? path.size() : size - 1;
    path.copy(buffer, n);
    buffer[n] = 0;
}

void PlatformChangeDrive(char letter) {
    hostCurrentDrive = (char)(letter - 'A' + 'a');
    ::mkdir(HostMapPath((std::string(1, letter) + ":").c_str()).c_str(), 0755);
}

void HostRecordMadeFolder(const void* descriptor);

void PlatformMakeFolder(const char* path, const void* descriptor) {
    if (HostShouldFail(HostCall::MakeFolder)) return;
    HostRecordMadeFolder(descriptor);
    // A private descriptor gives the others no rights, as Wine maps it to the mode.
    ::mkdir(HostMapPath(path).c_str(), descriptor ? 0700 : 0755);
}

void PlatformRemoveFolder(const char* path) { ::rmdir(HostMapPath(path).c_str()); }

void PlatformDeleteFile(const char* path) { ::unlink(HostMapPath(path).c_str()); }

void PlatformRemoveFile(const char* path) { ::unlink(HostMapPath(path).c_str()); }
