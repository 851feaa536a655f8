// Outputs: a temporary file beside the target, flushed and renamed into place; the platform's
// part (exclusive creation, the sync and the rename) is the backend's.
#include "host/OutputFile.h"
#include "host/HostPath.h"
#include <cerrno>
#include <cstring>
#include <filesystem>
#include "core/Names.h"
#include "host/IoError.h"
#include "host/System.h"

namespace sfx {

namespace fs = std::filesystem;

static std::string SystemError() { return std::strerror(errno); }

OutputFile::OutputFile(const std::string& target) : path(target) {
    if (path == "-") {
        openStandardOutput();
        return;
    }
    std::error_code error;
    fs::file_status status = fs::status(HostPath(path), error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        // A device or pipe (say /dev/stdout) can't be replaced, only written to.
        if (fs::is_directory(status)) throw IoError("cannot create " + Printable(path) + ": it is a folder");
        errno = 0;
        file = std::fopen(path.c_str(), "wb");
        if (!file) throw IoError("cannot create " + Printable(path) + ": " + SystemError());
        direct = true;
        return;
    }
    // A link is followed: the file it leads to is the one replaced, and the link stays.
    if (fs::is_symlink(fs::symlink_status(HostPath(path), error))) {
        fs::path resolved = fs::weakly_canonical(HostPath(path), error);
        if (!error) path = HostString(resolved);
    }
    createTemporary();
    // A file replaced keeps its permissions, as it would if written over in place.
    fs::file_status old = fs::status(HostPath(path), error);
    if (!error && fs::is_regular_file(old)) fs::permissions(HostPath(temporary), old.permissions(), error);
}

void OutputFile::openStandardOutput() {
    SetBinary(stdout);
    // An installer's bytes would only garble the screen.
    if (IsTerminal(stdout)) throw IoError("standard output is a terminal: redirect it to a file");
    file = stdout;
}

// A name of our own beside the target, so the rename stays on one file system; never a file
// that is there already.
void OutputFile::createTemporary() {
    fs::path place = HostPath(path);
    std::string base = HostString(place.filename());
    fs::path folder = place.parent_path();
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".sfxpack-%d-%d.tmp", ProcessId(), attempt);
        temporary = HostString(folder / HostPath("." + base.substr(0, 200) + suffix));
        errno = 0;
        file = CreateExclusive(temporary);
        if (!file && errno != EEXIST) break;
    }
    if (!file) {
        std::string why = SystemError();
        temporary.clear();
        throw IoError("cannot create " + Printable(path) + ": " + why);
    }
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
    throw IoError("cannot write " + Printable(path) + ": " + why);
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
        if (std::fclose(closing) != 0) throw IoError("cannot write " + Printable(path) + ": " + SystemError());
        return;
    }
    // On disk before the rename, so a crash leaves the old file or the whole new one.
    if (!SyncToDisk(file)) fail(SystemError());
    moveIntoPlace(replace);
}

void OutputFile::moveIntoPlace(bool replace) {
    FILE* closing = file;
    file = nullptr;
    std::string why = "it exists";
    bool closed = std::fclose(closing) == 0;
    if (!closed) why = SystemError();
    std::error_code error;
    bool taken = closed && !replace && fs::symlink_status(HostPath(path), error).type() != fs::file_type::not_found;
    if (!closed || taken || !MoveIntoPlace(temporary, path, replace, why)) {
        std::remove(temporary.c_str());
        throw IoError("cannot write " + Printable(path) + ": " + why);
    }
}

void WriteOutput(const std::string& path, const Bytes& bytes) {
    OutputFile output(path);
    output.write(bytes.data(), bytes.size());
    output.commit();
}

}  // namespace sfx
