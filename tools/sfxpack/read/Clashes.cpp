// Finding names that land on one path, and names Windows refuses.
#include "read/Clashes.h"
#include <map>
#include "core/CodePage.h"
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
        std::string key = PathKey(member->name, inspection.codePage);
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
    const int page = inspection.codePage;
    std::vector<const MemberEntry*> firsts;
    for (const MemberEntry& member : inspection.members) {
        if (member.readBy != member.index) continue;
        firsts.push_back(&member);
        std::string why, shown = ShownName(member.name, page);
        if (!WindowsCanCreate(member.name, why, page))
            inspection.add(Severity::Warning, shown + ": Windows can't create this name: " + why, member.index);
        bool clean = true;
        std::string written = DecodeName(member.name, page, Invalid::Percent, &clean);
        if (!clean)
            inspection.add(Severity::Warning,
                           shown + ": the name holds bytes that are no character in code page " +
                               std::to_string(page) + " (shown as \\xNN; extract writes it as " +
                               Printable(written) + ")",
                           member.index);
    }
    for (const Clash& clash : FindClashes(inspection, firsts))
        for (const MemberEntry* other : clash.others)
            inspection.add(Severity::Warning,
                           ShownName(other->name, page) + " and " + ShownName(clash.survivor->name, page) +
                               " land on one path (they differ only in separators, \".\" parts or case); " +
                               ShownName(clash.survivor->name, page) + " is the one left there",
                           other->index);
}

}  // namespace sfx
