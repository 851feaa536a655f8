// Packing an installer from files in memory: members in table order (set-up program, project
// file, support files, then the others), each deflated unless that would not shrink it.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>
#include "core/Progress.h"
#include "write/Writer.h"

namespace sfx {

struct PackFile {
    std::string name;  // the member name
    Bytes data;
};

struct PackInputs {
    Bytes stub;
    PackFile setupProgram;
    PackFile projectFile;
    std::vector<PackFile> supportFiles;
    std::vector<PackFile> others;  // packed, but not unpacked by the stub
};

struct PackOptions {
    int level = 9;
    bool keepCheck = true;                // keep deflated members' Adler-32 check values
    std::vector<std::string> storeGlobs;  // members whose names match are stored as they are
};

// Inputs that can't make an installer: duplicate or empty names, or more than 2 GiB in all.
struct PackError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One member: deflated at the level given, or stored when a glob says so or deflate would not
// make it smaller. A large member is deflated a step at a time, each step reported to step
// with the bytes of it read so far; the result is the same bytes as DeflateMember's.
Member PackMember(const PackFile& file, const PackOptions& options,
                  const std::function<void(uint64_t read)>& step = {});

Bytes Pack(const PackInputs& inputs, const PackOptions& options, const ProgressFn& progress = {});

}  // namespace sfx
