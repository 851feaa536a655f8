// Unpacking one member exactly as the stub does: one inflate call into exactly the declared
// number of bytes.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "core/Bytes.h"
#include "read/Inspection.h"

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

// Members up to this size may be decoded whole in memory; larger ones stream in chunks.
const size_t WholeMemberBudget = 16u << 20;

// Unpacks as the stub does, handing the bytes to the sink as they come: memory stays bounded
// whatever the member's size. The bytes are handed on before the verdict is known, so the sink
// must discard them unless the result says written.
Unpacked UnpackMember(ByteView file, const MemberEntry& member, const ByteSink& sink);

// keepData false spares the copy of a stored member when only the verdict is wanted.
Unpacked UnpackMember(ByteView file, const MemberEntry& member, bool keepData = true);

}  // namespace sfx
