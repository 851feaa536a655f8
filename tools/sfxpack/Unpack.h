// Unpacking one member exactly as the stub does: one inflate call into exactly the declared
// number of bytes.
#pragma once
#include <string>
#include <vector>
#include "Inspect.h"

namespace sfx {

struct Unpacked {
    bool ok = false;
    Bytes data;                      // the unpacked bytes when ok (and keepData was asked for)
    std::string detail;              // how it was stored when ok, what is wrong when not
    std::vector<std::string> notes;  // oddities the stub passes over
};

// keepData false spares the copy of a stored member when only the verdict is wanted.
Unpacked UnpackMember(const Bytes& file, const MemberEntry& member, bool keepData = true);

}  // namespace sfx
