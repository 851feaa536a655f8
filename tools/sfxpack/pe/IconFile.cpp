// The .ico layout: a 6-byte header (0, type 1, count), 16-byte entries, then the images.
#include "pe/IconFile.h"
#include <algorithm>
#include <string>
#include "core/LittleEndian.h"

namespace sfx {

enum IcoLayout : uint32_t { IcoHeaderSize = 6, IcoEntrySize = 16, IcoTypeIcon = 1, DibHeaderLeast = 40 };

bool IsPng(ByteView data) { return data.size() >= 8 && std::equal(PngSignature, PngSignature + 8, data.begin()); }

static IconImage ReadEntry(ByteView file, uint64_t entry, size_t index) {
    std::string which = "image " + std::to_string(index + 1);
    uint32_t size = Le32(file, entry + 8), offset = Le32(file, entry + 12);
    if (size == 0) throw IconError(which + " is empty");
    if (!Fits(file, offset, size))
        throw IconError(which + " lies past the end of the file (" + std::to_string(size) + " bytes at " +
                        std::to_string(offset) + ", the file holds " + std::to_string(file.size()) + ")");
    ByteView data(file.data() + offset, size);
    // A DIB starts with its header's size: 40 for BITMAPINFOHEADER, more for its later forms.
    if (!IsPng(data) && (size < DibHeaderLeast || Le32(data, 0) < DibHeaderLeast || Le32(data, 0) > size))
        throw IconError(which + " is neither a bitmap nor a PNG image");
    IconImage image;
    image.width = file[entry];
    image.height = file[entry + 1];
    image.colorCount = file[entry + 2];
    image.planes = Le16(file, entry + 4);
    image.bitCount = Le16(file, entry + 6);
    image.data.assign(data.begin(), data.end());
    return image;
}

std::vector<IconImage> ReadIconFile(ByteView file) {
    if (file.empty()) throw IconError("the file is empty");
    if (!Fits(file, 0, IcoHeaderSize)) throw IconError("the file is cut short in its header");
    if (Le16(file, 0) != 0 || Le16(file, 2) != IcoTypeIcon) throw IconError("it is not an icon file");
    uint32_t count = Le16(file, 4);
    if (count == 0) throw IconError("it holds no images");
    if (!Fits(file, IcoHeaderSize, (uint64_t)count * IcoEntrySize))
        throw IconError("the file is cut short in its directory of " + std::to_string(count) + " images");
    std::vector<IconImage> images;
    for (uint32_t i = 0; i < count; ++i)
        images.push_back(ReadEntry(file, IcoHeaderSize + (uint64_t)i * IcoEntrySize, i));
    return images;
}

}  // namespace sfx
