// Re-stubbing: the tail from the archive's start on is kept byte for byte; only the offset
// table's entries and the trailer's directory offset are rewritten in place.
#include "write/Restub.h"
#include <algorithm>
#include <climits>
#include "stub/Format.h"

namespace sfx {

static void Put32(Bytes& bytes, uint64_t at, int32_t value) { WriteLittle32(bytes.data() + at, value); }

Bytes Restub(ByteView file, const Inspection& inspection, ByteView stub) {
    if (inspection.kind != FileKind::Installer || !inspection.directoryLoaded)
        throw RestubError("the installer's directory can't be read");
    // The stub of a signed installer reads a directory on into the certificate table, which
    // stays behind: moved, the directory would be cut short.
    if (inspection.directoryEnd > inspection.archiveEnd)
        throw RestubError("the directory runs on past the trailer into the certificate table");
    for (const MemberEntry& member : inspection.members)
        if (!member.complete || member.offset < 0 || member.storedSize < 0 ||
            (uint64_t)member.offset + (uint64_t)member.storedSize > inspection.archiveEnd)
            throw RestubError("the member table does not place every member inside the file");
    uint64_t start = ArchiveStart(inspection);
    int64_t shift = (int64_t)stub.size() - (int64_t)start;

    Bytes out(stub.begin(), stub.end());
    // A signed installer's certificate table stays behind: it signed the old file, not this one.
    out.insert(out.end(), file.begin() + (int64_t)start, file.begin() + (int64_t)inspection.archiveEnd);
    auto moved = [&](int64_t offset) {
        int64_t result = offset + shift;
        if (result < 0 || result > INT32_MAX) throw RestubError("the new stub pushes the archive beyond 2 GiB");
        return (int32_t)result;
    };
    for (size_t i = 0; i < inspection.memberOffsets.size(); ++i) {
        int64_t offset = inspection.memberOffsets[i];
        // An offset that points into the old stub places nothing; it moves to the archive's start.
        if (!PlacesBytes(inspection, i)) offset = std::max(offset, (int64_t)start);
        Put32(out, inspection.offsetTablePosition + 4 * i - start + stub.size(), moved(offset));
    }
    Put32(out, out.size() - TrailerSize, moved(inspection.directoryOffset));
    return out;
}

}  // namespace sfx
