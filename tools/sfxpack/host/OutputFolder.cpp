// Where extract writes: the checks a path needs before a member may be written to it. Names are
// in the installer's code page, which is what a plain path takes on Windows.
#include "host/OutputFolder.h"
#include "core/Names.h"
#include "core/Why.h"
#include "host/HostPath.h"
#include "host/IoError.h"

namespace sfx {

namespace fs = std::filesystem;

void OutputFolder::makeMissing(const fs::path& folder, std::error_code& error) {
    std::vector<fs::path> missing;
    for (fs::path at = folder; !at.empty() && !fs::exists(fs::symlink_status(at, error)); at = at.parent_path()) {
        missing.push_back(at);
        if (at == at.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!fs::create_directory(*it, error) && error) return;
        made.push_back(*it);
    }
    error.clear();
}

void OutputFolder::make() {
    std::error_code error;
    makeMissing(root, error);
    if (error || !fs::is_directory(root))
        throw IoError("cannot create the folder " + Printable(HostString(root)) + ": " +
                      (error ? error.message() : std::string("a file is in the way")));
}

bool OutputFolder::prepare(const std::vector<std::string>& parts, Target& target, std::string& why) {
    // Checked before any folder is made: a name the system can't take leaves nothing behind.
    const size_t MaxPart = 255, MaxPath = 4000;
    size_t length = HostString(root).size();
    for (const std::string& part : parts) length += part.size() + 1;
    for (const std::string& part : parts)
        if (part.size() > MaxPart || length > MaxPath)
            throw IoError("cannot create it: the name is too long for this system (" + std::to_string(length) +
                          " bytes)");
    fs::path path = root;
    std::error_code error;
    for (size_t i = 0; i < parts.size(); ++i) {
        path /= HostPath(parts[i]);
        if (fs::is_symlink(fs::symlink_status(path, error)))
            return Refuse(why, "refused: " + Printable(HostString(path)) + " is a symbolic link");
        if (i + 1 < parts.size() && !fs::is_directory(path, error)) {
            makeMissing(path, error);
            if (error) throw IoError("cannot create the folder " + Printable(HostString(path)) + ": " + error.message());
        }
    }
    target.path = HostString(path);
    fs::file_status existing = fs::symlink_status(path, error);
    if (fs::is_directory(existing)) throw IoError("cannot write it: " + Printable(target.path) + " is a folder");
    target.exists = fs::exists(existing);
    return true;
}

void OutputFolder::removeEmpty() {
    std::error_code error;
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        if (fs::is_empty(*it, error)) fs::remove(*it, error);
}

}  // namespace sfx
