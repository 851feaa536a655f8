// Files, folders and the terminal test, through the C and C++ libraries where they can serve.
#include "host/Host.h"
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include "cli/Failure.h"
#include "core/Names.h"
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sfx {

namespace fs = std::filesystem;

static std::string SystemError() { return std::strerror(errno); }

Bytes ReadInput(const std::string& path) {
    InputFile input(path);
    return Bytes(input.bytes().begin(), input.bytes().end());
}

int64_t InputSize(const std::string& path) {
    if (path == "-") return -1;
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (error) throw Failure(ExitUsage, "cannot read " + Printable(path) + ": " + error.message());
    if (fs::is_directory(status)) throw Failure(ExitUsage, "cannot read " + Printable(path) + ": it is a folder");
    if (!fs::is_regular_file(status)) return -1;  // a pipe or device: its size shows only as it is read
    uintmax_t size = fs::file_size(path, error);
    return error ? -1 : (int64_t)size;
}

void RequireInputSize(const std::string& path, uint64_t limit, const char* what) {
    int64_t size = InputSize(path);
    if (size >= 0 && (uint64_t)size > limit)
        throw Failure(ExitUsage, Printable(path) + ": " + what + " of " + std::to_string(size) +
                                     " bytes is over the limit of " + std::to_string(limit) + " bytes");
}

// Reads a stream that has no size to stat, refusing it once it passes the limit.
static Bytes ReadStream(FILE* file, const std::string& path) {
    Bytes bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + got > MaxFileSize)
            throw Failure(ExitUsage, "cannot read " + Printable(path) + ": it is over 2 GiB");
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (std::ferror(file)) throw Failure(ExitUsage, "cannot read " + Printable(path) + ": " + SystemError());
    return bytes;
}

InputFile::InputFile(const std::string& path) {
    if (path == "-") {
#ifdef _WIN32
        // Installers are binary: no CR-LF translation, no stop at a ^Z byte.
        _setmode(_fileno(stdin), _O_BINARY);
#endif
        copy = ReadStream(stdin, path);
        view = ByteView(copy);
        return;
    }
    int64_t size = InputSize(path);
    if (size >= 0 && (uint64_t)size > MaxFileSize)
        throw Failure(ExitUsage, "cannot read " + Printable(path) + ": it is over 2 GiB (" + std::to_string(size) +
                                     " bytes); no installer can be that large");
    std::string failure = "cannot read " + Printable(path) + ": ";
#ifdef _WIN32
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw Failure(ExitUsage, failure + "the system refuses to open it");
    LARGE_INTEGER length;
    bool sized = GetFileSizeEx(file, &length);
    if (sized && length.QuadPart > 0 && (uint64_t)length.QuadPart <= MaxFileSize) {
        HANDLE section = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        mapping = section ? MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0) : nullptr;
        if (section) CloseHandle(section);
        mappedSize = (size_t)length.QuadPart;
    }
    CloseHandle(file);
    if (!sized || (uint64_t)length.QuadPart > MaxFileSize || (length.QuadPart > 0 && !mapping))
        throw Failure(ExitUsage, failure + "the system refuses to map it");
    view = ByteView((const uint8_t*)mapping, mappedSize, this);
#else
    errno = 0;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw Failure(ExitUsage, failure + SystemError());
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        // A pipe or device (say /dev/stdin) is read as a stream.
        FILE* stream = fdopen(fd, "rb");
        if (!stream) {
            close(fd);
            throw Failure(ExitUsage, failure + SystemError());
        }
        try {
            copy = ReadStream(stream, path);
        } catch (...) {
            std::fclose(stream);
            throw;
        }
        std::fclose(stream);
        view = ByteView(copy);
        return;
    }
    if ((uint64_t)status.st_size > MaxFileSize) {
        close(fd);
        throw Failure(ExitUsage, failure + "it is over 2 GiB");
    }
    mappedSize = (size_t)status.st_size;
    if (mappedSize) {
        void* pages = mmap(nullptr, mappedSize, PROT_READ, MAP_PRIVATE, fd, 0);
        if (pages == MAP_FAILED) {
            std::string why = SystemError();
            close(fd);
            throw Failure(ExitUsage, failure + why);
        }
        mapping = pages;
    }
    close(fd);
    view = ByteView((const uint8_t*)mapping, mappedSize, this);
#endif
}

InputFile::~InputFile() {
    if (!mapping) return;
#ifdef _WIN32
    UnmapViewOfFile(mapping);
#else
    munmap(mapping, mappedSize);
#endif
}

// Only a file's pages come back as they were when read again: standard input's copy is never
// handed here, its view having no keeper.
void InputFile::release(const uint8_t* data, size_t size) const {
#ifndef _WIN32
    // The system maps the file's pages in folios of up to 2 MiB, so a byte looked at can bring in
    // its whole folio: the range grows out to 2 MiB bounds (within the mapping) so that no part
    // of a folio it touches stays behind. Pages beyond it that are still wanted come back on the
    // next look, from the page cache.
    const uintptr_t Folio = 2u << 20;
    uintptr_t low = (uintptr_t)mapping, high = low + mappedSize;
    uintptr_t begin = std::max(((uintptr_t)data) & ~(Folio - 1), low);
    uintptr_t end = std::min(((uintptr_t)data + size + Folio - 1) & ~(Folio - 1), high);
    long page = sysconf(_SC_PAGESIZE);
    begin &= ~(uintptr_t)(page - 1);  // the mapping starts on a page
    if (end > begin) madvise((void*)begin, end - begin, MADV_DONTNEED);
#else
    (void)data, (void)size;
#endif
}

OutputFile::OutputFile(const std::string& target) : path(target) {
    if (path == "-") {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
        bool terminal = _isatty(_fileno(stdout));
#else
        bool terminal = isatty(fileno(stdout));
#endif
        // An installer's bytes would only garble the screen.
        if (terminal) throw Failure(ExitUsage, "standard output is a terminal: redirect it to a file");
        file = stdout;
        return;
    }
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        // A device or pipe (say /dev/stdout) can't be replaced, only written to.
        if (fs::is_directory(status)) throw Failure(ExitUsage, "cannot create " + Printable(path) + ": it is a folder");
        errno = 0;
        file = std::fopen(path.c_str(), "wb");
        if (!file) throw Failure(ExitUsage, "cannot create " + Printable(path) + ": " + SystemError());
        direct = true;
        return;
    }
    // A link is followed: the file it leads to is the one replaced, and the link stays.
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        fs::path resolved = fs::weakly_canonical(path, error);
        if (!error) path = resolved.string();
    }
    fs::path place(path);
    std::string base = place.filename().string();
    fs::path folder = place.parent_path();
    // A name of our own beside the target, so the rename stays on one file system.
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".sfxpack-%d-%d.tmp", (int)
#ifdef _WIN32
                      GetCurrentProcessId()
#else
                      getpid()
#endif
                      , attempt);
        temporary = (folder / ("." + base.substr(0, 200) + suffix)).string();
        errno = 0;
        // Exclusive: never reuse a file that is there already.
#ifdef _WIN32
        int fd = _open(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
#else
        int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
#endif
        if (!file && fd >= 0) close(fd);
        if (!file && errno != EEXIST) break;
    }
    if (!file) {
        std::string why = SystemError();
        temporary.clear();
        throw Failure(ExitUsage, "cannot create " + Printable(path) + ": " + why);
    }
    // A file replaced keeps its permissions, as it would if written over in place.
    fs::file_status old = fs::status(path, error);
    if (!error && fs::is_regular_file(old)) fs::permissions(temporary, old.permissions(), error);
}

OutputFile::~OutputFile() {
    if (!file || file == stdout) return;
    std::fclose(file);
    if (!direct) std::remove(temporary.c_str());
}

void OutputFile::fail(const std::string& why) {
    if (file && file != stdout) {
        std::fclose(file);
        if (!direct) std::remove(temporary.c_str());
    }
    file = nullptr;
    throw Failure(ExitUsage, "cannot write " + Printable(path) + ": " + why);
}

void OutputFile::write(const void* data, size_t size) {
    if (!file) fail("it is closed");
    errno = 0;
    if (size && std::fwrite(data, 1, size, file) != size) fail(SystemError());
}

void OutputFile::commit(bool replace) {
    if (!file) fail("it is closed");
    errno = 0;
    if (std::fflush(file) != 0) fail(SystemError());
    if (file == stdout) return;
    if (direct) {
        FILE* closing = file;
        file = nullptr;
        if (std::fclose(closing) != 0) throw Failure(ExitUsage, "cannot write " + Printable(path) + ": " + SystemError());
        return;
    }
#ifndef _WIN32
    // On disk before the rename, so a crash leaves the old file or the whole new one.
    if (fsync(fileno(file)) != 0 && errno != EINVAL) fail(SystemError());
#endif
    FILE* closing = file;
    file = nullptr;
    if (std::fclose(closing) != 0) {
        std::string why = SystemError();
        std::remove(temporary.c_str());
        throw Failure(ExitUsage, "cannot write " + Printable(path) + ": " + why);
    }
    std::error_code error;
    bool taken = !replace && fs::symlink_status(path, error).type() != fs::file_type::not_found;
#ifdef _WIN32
    bool moved = !taken && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    std::string why = taken ? "it exists" : "the system refuses to rename the temporary file";
#else
    // link() never replaces: a file that appeared meanwhile wins, not this one. File systems
    // without hard links (FAT) get the plain rename after the check above.
    bool linked = false, moved = false;
    if (!taken && !replace) {
        linked = link(temporary.c_str(), path.c_str()) == 0;
        if (linked) std::remove(temporary.c_str());
    }
    int linkError = errno;
    moved = linked || (!taken && (replace || linkError != EEXIST) &&
                       std::rename(temporary.c_str(), path.c_str()) == 0);
    std::string why = taken || (!replace && linkError == EEXIST) ? "it exists" : SystemError();
#endif
    if (!moved) {
        std::remove(temporary.c_str());
        throw Failure(ExitUsage, "cannot write " + Printable(path) + ": " + why);
    }
}

void WriteOutput(const std::string& path, const Bytes& bytes) {
    OutputFile output(path);
    output.write(bytes.data(), bytes.size());
    output.commit();
}

void MakeFolders(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    if (error || !fs::is_directory(path))
        throw Failure(ExitUsage, "cannot create the folder " + Printable(path) + ": " +
                                     (error ? error.message() : std::string("a file is in the way")));
}

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

std::string ProgramFolder() {
#ifdef _WIN32
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return "";
    return fs::path(std::string(path, length)).parent_path().string();
#else
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? "" : self.parent_path().string();
#endif
}

}  // namespace sfx
