// Verifying an installer: every member entry unpacked as the stub would, one at a time.
#include <map>
#include <tuple>
#include "read/Verify.h"
#include "read/Unpack.h"

namespace sfx {

VerifyReport Verify(ByteView file, const Inspection& inspection, const ProgressFn& progress) {
    VerifyReport report;
    // Each stream counts once, however many entries share it.
    uint64_t total = inspection.streamBytes(), done = 0;
    // Entries that share their stored bytes share their outcome, so repeated entries cost nothing.
    std::map<std::tuple<int32_t, int32_t, int32_t>, MemberCheck> seen;
    bool sound = !inspection.hasErrors();
    for (const MemberEntry& member : inspection.members) {
        MemberCheck check;
        auto key = std::make_tuple(member.offset, member.storedSize, member.method);
        auto earlier = member.fault.empty() ? seen.find(key) : seen.end();
        if (earlier != seen.end()) {
            check = earlier->second;
        } else {
            Unpacked unpacked = UnpackMember(file, member, false);
            check.sound = unpacked.ok;
            check.detail = unpacked.detail;
            check.notes = unpacked.notes;
            if (member.fault.empty()) {
                seen.emplace(key, check);
                done += (uint64_t)member.storedSize;
                if (progress) progress(done, total);
            }
        }
        check.index = member.index;
        sound = sound && check.sound;
        report.members.push_back(check);
    }
    report.sound = sound;
    return report;
}

}  // namespace sfx
