// Outputs: a file written whole or not at all.
#pragma once
#include <cstdio>
#include <string>
#include "core/Bytes.h"

namespace sfx {

// A file written whole or not at all: the bytes go to a temporary file beside it, which is
// flushed to disk and renamed over the path only by commit(). Until then the old file stays as
// it was, and a failure or an early end removes the temporary file. "-" writes to standard
// output instead. Failures throw IoError naming the path.
class OutputFile {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    void write(const void* data, size_t size);
    // replace false keeps an existing file: commit() then throws IoError.
    void commit(bool replace = true);

private:
    void openStandardOutput();
    void createTemporary();
    void moveIntoPlace(bool replace);
    [[noreturn]] void fail(const std::string& why);
    std::string path, temporary;
    FILE* file = nullptr;
    bool direct = false;  // a device or pipe, written in place
};

// Writes the bytes through an OutputFile.
void WriteOutput(const std::string& path, const Bytes& bytes);

}  // namespace sfx
