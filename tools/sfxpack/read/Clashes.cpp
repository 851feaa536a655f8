// Finding names that land on one path, and names Windows refuses.
#include "read/Clashes.h"
#include <map>
#include "core/Names.h"
#include "read/SafePath.h"

namespace sfx {

// Where in the stub's sequence of writes the member's last write falls; -1 for none.
static int StubWriteRank(const Inspection& inspection, const MemberEntry& member) {
    std::vector<std::string> written = {inspection.setupProgram, inspection.projectFile};
    written.insert(written.end(), inspection.supportFiles.begin(), inspection.supportFiles.end());
    int rank = -1;
    for (size_t i = 0; i < written.size(); ++i)
        if (SameName(written[i], member.name)) rank = (int)i;
    return rank;
}

std::vector<Clash> FindClashes(const Inspection& inspection, const std::vector<const MemberEntry*>& entries) {
    std::map<std::string, std::vector<const MemberEntry*>> byPath;
    std::vector<std::string> order;
    for (const MemberEntry* member : entries) {
        std::string key = PathKey(member->name);
        if (key.empty()) continue;
        auto& group = byPath[key];
        if (group.empty()) order.push_back(key);
        group.push_back(member);
    }
    std::vector<Clash> clashes;
    for (const std::string& key : order) {
        const auto& group = byPath[key];
        if (group.size() < 2) continue;
        Clash clash;
        int best = -1;
        for (const MemberEntry* member : group) {
            int rank = StubWriteRank(inspection, *member);
            if (!clash.survivor || rank > best) {
                clash.survivor = member;
                best = rank;
            }
        }
        for (const MemberEntry* member : group)
            if (member != clash.survivor) clash.others.push_back(member);
        clashes.push_back(clash);
    }
    return clashes;
}

void AddNameWarnings(Inspection& inspection) {
    std::vector<const MemberEntry*> firsts;
    for (const MemberEntry& member : inspection.members) {
        if (member.readBy != member.index) continue;
        firsts.push_back(&member);
        std::string why;
        if (!WindowsCanCreate(member.name, why))
            inspection.add(Severity::Warning, Printable(member.name) + ": Windows can't create this name: " + why,
                           member.index);
    }
    for (const Clash& clash : FindClashes(inspection, firsts))
        for (const MemberEntry* other : clash.others)
            inspection.add(Severity::Warning,
                           Printable(other->name) + " and " + Printable(clash.survivor->name) +
                               " land on one path (they differ only in separators, \".\" parts or case); " +
                               Printable(clash.survivor->name) + " is the one left there",
                           other->index);
}

}  // namespace sfx
