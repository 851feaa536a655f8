// Files, folders and the terminal test, through the C and C++ libraries where they can serve.
#include "Host.h"
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include "Failure.h"
#include "Names.h"
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace sfx {

namespace fs = std::filesystem;

static std::string SystemError() { return std::strerror(errno); }

Bytes ReadInput(const std::string& path) {
    bool standardInput = path == "-";
    std::error_code error;
    if (!standardInput && fs::is_directory(path, error))
        throw Failure(ExitUsage, "cannot read " + Printable(path) + ": it is a folder");
    errno = 0;
    FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
    if (!file) throw Failure(ExitUsage, "cannot read " + Printable(path) + ": " + SystemError());
#ifdef _WIN32
    // Installers are binary: no CR-LF translation, no stop at a ^Z byte.
    if (standardInput) _setmode(_fileno(stdin), _O_BINARY);
#endif
    Bytes bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + got > (size_t)INT32_MAX) {
            if (!standardInput) std::fclose(file);
            throw Failure(ExitUsage, "cannot read " + Printable(path) + ": it is over 2 GiB");
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    bool failed = std::ferror(file);
    std::string why = SystemError();
    if (!standardInput) std::fclose(file);
    if (failed) throw Failure(ExitUsage, "cannot read " + Printable(path) + ": " + why);
    return bytes;
}

void WriteOutput(const std::string& path, const Bytes& bytes) {
    errno = 0;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw Failure(ExitUsage, "cannot create " + Printable(path) + ": " + SystemError());
    bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::string why = SystemError();
    if (std::fclose(file) != 0 && written) {
        written = false;
        why = SystemError();
    }
    if (!written) {
        std::remove(path.c_str());
        throw Failure(ExitUsage, "cannot write " + Printable(path) + ": " + why);
    }
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
