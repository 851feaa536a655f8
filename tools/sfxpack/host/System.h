// The system calls that differ between Windows and posix, one backend each (host/win32 and
// host/posix). They throw nothing: reasons come back as text, for the callers to throw.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace sfx {

// Standard streams carry bytes as they are: no CR-LF translation, no stop at a ^Z byte.
void SetBinary(FILE* stream);

bool IsTerminal(FILE* stream);

// A file opened to be read in place: a regular file mapped read-only (no pages for an empty
// one), or, where the system has them, a pipe or device handed back as a stream to read whole.
struct OpenedInput {
    void* pages = nullptr;
    size_t size = 0;
    FILE* stream = nullptr;
};

// False, with why, when the file can't be opened, or mapped within maxSize bytes.
bool OpenInput(const std::string& path, uint64_t maxSize, OpenedInput& input, std::string& why);

void CloseMapping(void* pages, size_t size);

// Lets the system take back the pages of a range of a mapping that has been read; pages still
// wanted come back on the next look, from the page cache.
void ReleaseMapped(void* pages, size_t mappedSize, const uint8_t* data, size_t size);

// A new file opened to write bytes to, never one that is there already; null, with errno set,
// when it can't be made.
FILE* CreateExclusive(const std::string& path);

int ProcessId();

// The file's bytes on disk, before it is renamed into place; false with errno set.
bool SyncToDisk(FILE* file);

// Renames temporary to path; false, with why, on failure. Without replace, where the system can
// tell (posix links), a file that appeared at path since the caller looked wins: "it exists".
bool MoveIntoPlace(const std::string& temporary, const std::string& path, bool replace, std::string& why);

// The folder that holds the running sfxpack, or empty when the system can't tell.
std::string ProgramFolder();

}  // namespace sfx
