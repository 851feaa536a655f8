// Inputs: a file's size from stat before anything is read, and a file read in place.
#pragma once
#include <cstdint>
#include <string>
#include "core/Bytes.h"

namespace sfx {

// The largest file sfxpack reads or writes: offsets in an installer are 32-bit signed values.
const uint64_t MaxFileSize = 0x7FFFFFFF;

// The size of a file, from stat before anything is read: -1 for standard input ("-") or a file
// whose size the system can't give; throws IoError for a folder or a missing file.
int64_t InputSize(const std::string& path);

// Throws IoError unless the file exists and holds at most `limit` bytes.
void RequireInputSize(const std::string& path, uint64_t limit, const char* what);

// An input read in place: mapped from the file, so that only the pages looked at are read and
// pages done with can be let go through its view; standard input ("-") is read into memory.
// Files over MaxFileSize are refused before anything is read; failures throw IoError.
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
    Bytes copy;  // the bytes of standard input, a pipe or a device
    void* mapping = nullptr;
    size_t mappedSize = 0;
};

// The whole file, or standard input for "-", read through an InputFile.
Bytes ReadInput(const std::string& path);

}  // namespace sfx
