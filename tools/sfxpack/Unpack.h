// Unpacking one member exactly as the stub does: one inflate call into exactly the declared
// number of bytes.
#pragma once
#include <string>
#include <vector>
#include "Inspect.h"

namespace sfx {

// What the stub does with a member (writes these bytes, shows this box, or finds nothing) and
// how sure that is (the check value matched, there is none, or the bytes are proven damaged).
struct Unpacked {
    bool ok = false;                 // sound: nothing proves the bytes damaged
    bool written = false;            // the stub's own rule accepts the member and writes data
    bool checkMatched = false;       // zlib compared the Adler-32 value and it matched
    Bytes data;                      // the bytes the stub writes, when written (and keepData)
    std::string box;                 // the error box the stub shows instead; empty for none
    std::string detail;              // how it was stored when ok, what is wrong when not
    std::vector<std::string> notes;  // oddities the stub passes over
};

// keepData false spares the copy of a stored member when only the verdict is wanted.
Unpacked UnpackMember(const Bytes& file, const MemberEntry& member, bool keepData = true);

}  // namespace sfx
