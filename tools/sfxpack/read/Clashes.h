// Member names that land on one output path: "sub\x.txt", "sub/x.txt" and "./Sub/x.txt" are one
// file on disk, though the stub holds them as three names.
#pragma once
#include <string>
#include <vector>
#include "read/Inspection.h"

namespace sfx {

// Entries whose names give one PathKey. The survivor is the one left on disk: the one the stub
// writes last (it writes the set-up program, the project file, then the support files in list
// order), or, where the stub writes none of them, the first in table order.
struct Clash {
    const MemberEntry* survivor = nullptr;
    std::vector<const MemberEntry*> others;
};

// The clashes among the given entries (each the first entry of its name).
std::vector<Clash> FindClashes(const Inspection& inspection, const std::vector<const MemberEntry*>& entries);

// Adds a warning for each clash among the members the stub reads, naming both, and for each
// name Windows can't create.
void AddNameWarnings(Inspection& inspection);

}  // namespace sfx
