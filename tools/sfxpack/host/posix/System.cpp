// The posix backend of the host: memory maps, exclusive creation, fsync and link.
#include "host/System.h"
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include "core/Why.h"

namespace sfx {

static std::string SystemError() { return std::strerror(errno); }

void SetBinary(FILE*) {}

bool IsTerminal(FILE* stream) { return isatty(fileno(stream)) != 0; }

// Closes the descriptor, when there is one, and says why the input can't be read.
static bool CloseAndRefuse(int fd, std::string& why, const std::string& reason) {
    if (fd >= 0) close(fd);
    return Refuse(why, reason);
}

bool OpenInput(const std::string& path, uint64_t maxSize, OpenedInput& input, std::string& why) {
    errno = 0;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return CloseAndRefuse(fd, why, SystemError());
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        // A pipe or device (say /dev/stdin) is read as a stream.
        input.stream = fdopen(fd, "rb");
        return input.stream || CloseAndRefuse(fd, why, SystemError());
    }
    if ((uint64_t)status.st_size > maxSize) return CloseAndRefuse(fd, why, "it is over 2 GiB");
    input.size = (size_t)status.st_size;
    if (input.size) {
        void* pages = mmap(nullptr, input.size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (pages == MAP_FAILED) return CloseAndRefuse(fd, why, SystemError());
        input.pages = pages;
    }
    close(fd);
    return true;
}

void CloseMapping(void* pages, size_t size) { munmap(pages, size); }

void ReleaseMapped(void* pages, size_t mappedSize, const uint8_t* data, size_t size) {
    // The system maps the file's pages in folios of up to 2 MiB, so a byte looked at can bring in
    // its whole folio: the range grows out to 2 MiB bounds (within the mapping) so that no part
    // of a folio it touches stays behind.
    const uintptr_t Folio = 2u << 20;
    uintptr_t low = (uintptr_t)pages, high = low + mappedSize;
    uintptr_t begin = std::max(((uintptr_t)data) & ~(Folio - 1), low);
    uintptr_t end = std::min(((uintptr_t)data + size + Folio - 1) & ~(Folio - 1), high);
    long page = sysconf(_SC_PAGESIZE);
    begin &= ~(uintptr_t)(page - 1);  // the mapping starts on a page
    if (end > begin) madvise((void*)begin, end - begin, MADV_DONTNEED);
}

FILE* CreateExclusive(const std::string& path) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (!file && fd >= 0) close(fd);
    return file;
}

int ProcessId() { return (int)getpid(); }

// File systems that can't sync a file (EINVAL) have nothing to wait for.
bool SyncToDisk(FILE* file) { return fsync(fileno(file)) == 0 || errno == EINVAL; }

bool MoveIntoPlace(const std::string& temporary, const std::string& path, bool replace, std::string& why) {
    // link() never replaces: a file that appeared meanwhile wins, not this one. File systems
    // without hard links (FAT) get the plain rename.
    if (!replace) {
        if (link(temporary.c_str(), path.c_str()) == 0) {
            std::remove(temporary.c_str());
            return true;
        }
        if (errno == EEXIST) return Refuse(why, "it exists");
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0 || Refuse(why, SystemError());
}

std::string ProgramFolder() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? "" : self.parent_path().string();
}

}  // namespace sfx
