// The folder that extract writes members under: where each member lands, checked on the way
// down, with the folders on the way made, and those left empty by a failed extraction removed.
#pragma once
#include <filesystem>
#include <string>
#include <vector>
#include "host/HostPath.h"

namespace sfx {

// Where a member lands, and whether a file is already there.
struct Target {
    std::string path;
    bool exists = false;
};

class OutputFolder {
public:
    explicit OutputFolder(const std::string& folder) : root(HostPath(folder)) {}

    // Makes the folder and any missing above it; throws IoError.
    void make();

    // The target of a member whose name splits into these parts, with the folders on the way
    // made. False, with why, when a symbolic link stands on the way: it could lead anywhere.
    // Throws IoError when the system can't take the name, can't make a folder on the way, or a
    // folder stands where the file would go.
    bool prepare(const std::vector<std::string>& parts, Target& target, std::string& why);

    // Removes the folders made that hold nothing, deepest first.
    void removeEmpty();

private:
    void makeMissing(const std::filesystem::path& folder, std::error_code& error);

    std::filesystem::path root;
    std::vector<std::filesystem::path> made;
};

}  // namespace sfx
