// Verifying an installer: every member entry unpacked as the stub unpacks it, one at a time.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "core/Bytes.h"
#include "core/Progress.h"
#include "read/Inspection.h"

namespace sfx {

// A member's outcome when read as the stub reads it.
struct MemberCheck {
    int32_t index = 0;
    bool sound = false;
    std::string detail;              // how it is stored, or what is wrong with it
    std::vector<std::string> notes;  // oddities the stub passes over
};

struct VerifyReport {
    std::vector<MemberCheck> members;
    bool sound = false;  // every member sound, and the inspection found no error
};

// Unpacks every member entry, repeated names too, one at a time.
VerifyReport Verify(ByteView file, const Inspection& inspection, const ProgressFn& progress = {});

}  // namespace sfx
