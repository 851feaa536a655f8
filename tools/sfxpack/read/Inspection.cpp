// The problems an inspection collects, and where its archive begins.
#include "read/Inspection.h"
#include <algorithm>
#include <set>
#include <tuple>

namespace sfx {

uint64_t Inspection::streamBytes() const {
    std::set<std::tuple<int32_t, int32_t, int32_t>> streams;
    uint64_t total = 0;
    for (const MemberEntry& member : members)
        if (member.fault.empty() && streams.emplace(member.offset, member.storedSize, member.method).second)
            total += (uint64_t)member.storedSize;
    return total;
}

bool Inspection::hasErrors() const {
    if (kind != FileKind::Installer) return true;
    for (const Problem& problem : problems)
        if (problem.severity == Severity::Error) return true;
    return false;
}

void Inspection::add(Severity severity, const std::string& text, int32_t member) {
    problems.push_back({severity, text, member});
}

bool PlacesBytes(const Inspection& inspection, size_t i) {
    return i < inspection.members.size() && inspection.members[i].complete && inspection.members[i].storedSize > 0;
}

uint64_t ArchiveStart(const Inspection& inspection) {
    uint64_t start = (uint64_t)inspection.directoryOffset;
    for (size_t i = 0; i < inspection.memberOffsets.size(); ++i)
        if (PlacesBytes(inspection, i) && inspection.memberOffsets[i] >= 0)
            start = std::min(start, (uint64_t)inspection.memberOffsets[i]);
    return start;
}

}  // namespace sfx
