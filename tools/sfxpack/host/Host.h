// The few things sfxpack asks of the system: whole files in and out, folders, and whether
// stderr is a terminal. Every platform difference lives behind these.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include "core/Bytes.h"

namespace sfx {

// The whole file, or standard input for "-"; throws Failure(ExitUsage) saying why it can't be
// read. Files over 2 GiB are refused: no installer can be that large.
Bytes ReadInput(const std::string& path);

// The largest file sfxpack reads or writes: offsets in an installer are 32-bit signed values.
const uint64_t MaxFileSize = 0x7FFFFFFF;

// The size of a file, from stat before anything is read: -1 for standard input ("-") or a file
// whose size the system can't give; throws Failure(ExitUsage) for a folder or a missing file.
int64_t InputSize(const std::string& path);

// Throws Failure(ExitUsage) unless the file exists and holds at most `limit` bytes.
void RequireInputSize(const std::string& path, uint64_t limit, const char* what);

// An input read in place: mapped from the file, so that only the pages looked at are read and
// pages done with can be let go through its view; standard input ("-") is read into memory.
// Files over MaxFileSize are refused before anything is read.
class InputFile : private PageKeeper {
public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ByteView bytes() const { return view; }

private:
    void release(const uint8_t* data, size_t size) const override;

    ByteView view;
    Bytes copy;  // standard input's bytes
    void* mapping = nullptr;
    size_t mappedSize = 0;
};

// A file written whole or not at all: the bytes go to a temporary file beside it, which is
// flushed to disk and renamed over the path only by commit(). Until then the old file stays as
// it was, and a failure or an early end removes the temporary file. "-" writes to standard
// output instead. Write failures throw Failure(ExitUsage) naming the path.
class OutputFile {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    void write(const void* data, size_t size);
    // replace false keeps an existing file: commit() then throws Failure(ExitUsage).
    void commit(bool replace = true);

private:
    [[noreturn]] void fail(const std::string& why);
    std::string path, temporary;
    FILE* file = nullptr;
    bool direct = false;  // a device or pipe, written in place
};

// Writes the bytes through an OutputFile.
void WriteOutput(const std::string& path, const Bytes& bytes);

// Creates the folder and the ones above it as needed; throws Failure(ExitUsage) on failure.
void MakeFolders(const std::string& path);

bool StderrIsTerminal();

// The folder that holds the running sfxpack, or empty when the system can't tell.
std::string ProgramFolder();

}  // namespace sfx
