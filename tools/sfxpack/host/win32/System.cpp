// The Windows backend of the host: file mappings, exclusive creation and MoveFileEx.
#include "host/System.h"
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#include <filesystem>
#include "core/Why.h"
#include "host/HostPath.h"

namespace sfx {

void SetBinary(FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

bool IsTerminal(FILE* stream) { return _isatty(_fileno(stream)) != 0; }

bool OpenInput(const std::string& path, uint64_t maxSize, OpenedInput& input, std::string& why) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Refuse(why, "the system refuses to open it");
    LARGE_INTEGER length;
    bool sized = GetFileSizeEx(file, &length);
    if (sized && length.QuadPart > 0 && (uint64_t)length.QuadPart <= maxSize) {
        HANDLE section = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        input.pages = section ? MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0) : nullptr;
        if (section) CloseHandle(section);
        input.size = (size_t)length.QuadPart;
    }
    CloseHandle(file);
    if (!sized || (uint64_t)length.QuadPart > maxSize || (length.QuadPart > 0 && !input.pages))
        return Refuse(why, "the system refuses to map it");
    return true;
}

void CloseMapping(void* pages, size_t) { UnmapViewOfFile(pages); }

// A view's pages are clean copies of the file, which Windows trims from memory as it needs.
void ReleaseMapped(void*, size_t, const uint8_t*, size_t) {}

FILE* CreateExclusive(const std::string& path) {
    int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
    if (!file && fd >= 0) _close(fd);
    return file;
}

int ProcessId() { return (int)GetCurrentProcessId(); }

// The Windows build renames the temporary file without syncing it first.
bool SyncToDisk(FILE*) { return true; }

bool MoveIntoPlace(const std::string& temporary, const std::string& path, bool, std::string& why) {
    return MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ||
           Refuse(why, "the system refuses to rename the temporary file");
}

std::string ProgramFolder() {
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return "";
    return HostString(HostPath(std::string(path, length)).parent_path());
}

}  // namespace sfx
