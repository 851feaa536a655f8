// An icon group resource (RT_GROUP_ICON): the .ico directory again, each entry naming its image
// by the id of an icon resource (RT_ICON) instead of a file offset.
#pragma once
#include <cstdint>
#include <vector>
#include "pe/IconFile.h"

namespace sfx {

struct GroupEntry {
    uint8_t width = 0, height = 0, colorCount = 0;  // 0 stands for 256 in width and height
    uint16_t planes = 0, bitCount = 0;
    uint32_t bytes = 0;
    uint16_t id = 0;
};

// The group for the images, the i-th under ids[i].
Bytes EncodeIconGroup(const std::vector<IconImage>& images, const std::vector<uint16_t>& ids);

// The entries; false when the bytes are no icon group or its entries don't fit in them.
bool DecodeIconGroup(ByteView group, std::vector<GroupEntry>& entries);

}  // namespace sfx
