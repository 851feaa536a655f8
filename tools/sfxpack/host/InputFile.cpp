// Inputs: sizes through the C++ library, mappings and streams through the system's backend.
#include "host/InputFile.h"
#include "host/HostPath.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include "core/Names.h"
#include "host/IoError.h"
#include "host/System.h"

namespace sfx {

namespace fs = std::filesystem;

int64_t InputSize(const std::string& path) {
    if (path == "-") return -1;
    std::error_code error;
    fs::file_status status = fs::status(HostPath(path), error);
    if (error) throw IoError("cannot read " + Printable(path) + ": " + error.message());
    if (fs::is_directory(status)) throw IoError("cannot read " + Printable(path) + ": it is a folder");
    if (!fs::is_regular_file(status)) return -1;  // a pipe or device: its size shows only as it is read
    uintmax_t size = fs::file_size(HostPath(path), error);
    return error ? -1 : (int64_t)size;
}

void RequireInputSize(const std::string& path, uint64_t limit, const char* what) {
    int64_t size = InputSize(path);
    if (size >= 0 && (uint64_t)size > limit)
        throw IoError(Printable(path) + ": " + what + " of " + std::to_string(size) + " bytes is over the limit of " +
                      std::to_string(limit) + " bytes");
}

// Reads a stream that has no size to stat, refusing it once it passes the limit.
static Bytes ReadStream(FILE* file, const std::string& path) {
    Bytes bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + got > MaxFileSize) throw IoError("cannot read " + Printable(path) + ": it is over 2 GiB");
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (std::ferror(file)) throw IoError("cannot read " + Printable(path) + ": " + std::strerror(errno));
    return bytes;
}

InputFile::InputFile(const std::string& path) {
    if (path == "-") {
        SetBinary(stdin);
        copy = ReadStream(stdin, path);
        view = ByteView(copy);
        return;
    }
    int64_t size = InputSize(path);
    if (size >= 0 && (uint64_t)size > MaxFileSize)
        throw IoError("cannot read " + Printable(path) + ": it is over 2 GiB (" + std::to_string(size) +
                      " bytes); no installer can be that large");
    OpenedInput opened;
    std::string why;
    if (!OpenInput(path, MaxFileSize, opened, why)) throw IoError("cannot read " + Printable(path) + ": " + why);
    if (opened.stream) {
        struct Closer {
            FILE* stream;
            ~Closer() { std::fclose(stream); }
        } closer{opened.stream};
        copy = ReadStream(opened.stream, path);
        view = ByteView(copy);
        return;
    }
    mapping = opened.pages;
    mappedSize = opened.size;
    view = ByteView((const uint8_t*)mapping, mappedSize, this);
}

InputFile::~InputFile() {
    if (mapping) CloseMapping(mapping, mappedSize);
}

// Only a file's pages come back as they were when read again: a copy's view has no keeper.
void InputFile::release(const uint8_t* data, size_t size) const { ReleaseMapped(mapping, mappedSize, data, size); }

Bytes ReadInput(const std::string& path) {
    InputFile input(path);
    return Bytes(input.bytes().begin(), input.bytes().end());
}

}  // namespace sfx
