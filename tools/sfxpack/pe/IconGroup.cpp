// The icon group layout: 0, type 1, a count, then 14-byte entries.
#include "pe/IconGroup.h"
#include "core/LittleEndian.h"

namespace sfx {

enum GroupLayout : uint32_t { GroupHeader = 6, GroupEntrySize = 14, GroupTypeIcon = 1 };

Bytes EncodeIconGroup(const std::vector<IconImage>& images, const std::vector<uint16_t>& ids) {
    Bytes out;
    AddLe16(out, 0);
    AddLe16(out, GroupTypeIcon);
    AddLe16(out, (uint16_t)images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const IconImage& image = images[i];
        out.insert(out.end(), {image.width, image.height, image.colorCount, 0});
        AddLe16(out, image.planes);
        AddLe16(out, image.bitCount);
        AddLe32(out, (uint32_t)image.data.size());
        AddLe16(out, ids[i]);
    }
    return out;
}

bool DecodeIconGroup(ByteView group, std::vector<GroupEntry>& entries) {
    entries.clear();
    if (!Fits(group, 0, GroupHeader) || Le16(group, 0) != 0 || Le16(group, 2) != GroupTypeIcon) return false;
    uint32_t count = Le16(group, 4);
    if (!Fits(group, GroupHeader, (uint64_t)count * GroupEntrySize)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t at = GroupHeader + (uint64_t)i * GroupEntrySize;
        entries.push_back(GroupEntry{group[at], group[at + 1], group[at + 2], Le16(group, at + 4), Le16(group, at + 6),
                                     Le32(group, at + 8), Le16(group, at + 12)});
    }
    return true;
}

}  // namespace sfx
