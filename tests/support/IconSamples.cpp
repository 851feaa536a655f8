// Icon samples: the bitmaps and PNG images written field by field, independent of the reader.
#include "support/IconSamples.h"
#include <zlib.h>

static void Add(sfx::Bytes& out, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back((uint8_t)(value >> (8 * i)));
}

static void AddBigEndian(sfx::Bytes& out, uint32_t value) {
    for (int i = 3; i >= 0; --i) out.push_back((uint8_t)(value >> (8 * i)));
}

sfx::Bytes BitmapImage(int size) {
    sfx::Bytes out;
    // BITMAPINFOHEADER: the height counts the colour and mask bitmaps together.
    for (uint32_t field : {40u, (uint32_t)size, 2u * size}) Add(out, field, 4);
    Add(out, 1, 2);
    Add(out, 32, 2);
    for (int i = 0; i < 6; ++i) Add(out, 0, 4);
    for (int i = 0; i < size * size; ++i) Add(out, 0xFF000000u | (uint32_t)(i * 2654435761u >> 8), 4);
    out.resize(out.size() + (size_t)(size + 31) / 32 * 4 * size, 0);  // the AND mask: all opaque
    return out;
}

static void AddChunk(sfx::Bytes& out, const char* type, const sfx::Bytes& data) {
    AddBigEndian(out, (uint32_t)data.size());
    sfx::Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    AddBigEndian(out, (uint32_t)crc32(0, body.data(), (uInt)body.size()));
}

sfx::Bytes PngImage(int size) {
    sfx::Bytes out(sfx::PngSignature, sfx::PngSignature + 8), header, rows;
    for (uint32_t field : {(uint32_t)size, (uint32_t)size}) AddBigEndian(header, field);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits per channel, RGBA
    for (int y = 0; y < size; ++y) {
        rows.push_back(0);  // no filter
        for (int x = 0; x < size; ++x)
            rows.insert(rows.end(), {(uint8_t)(x / 32 * 32), (uint8_t)(y / 32 * 32), 160, 255});
    }
    uLongf packedSize = compressBound((uLong)rows.size());
    sfx::Bytes packed(packedSize);
    compress2(packed.data(), &packedSize, rows.data(), (uLong)rows.size(), 9);
    packed.resize(packedSize);
    AddChunk(out, "IHDR", header);
    AddChunk(out, "IDAT", packed);
    AddChunk(out, "IEND", {});
    return out;
}

sfx::IconImage IconOf(int size, bool png) {
    return sfx::IconImage{(uint8_t)size, (uint8_t)size, 0, 1, 32, png ? PngImage(size) : BitmapImage(size)};
}

sfx::Bytes IcoFile(const std::vector<sfx::IconImage>& images) {
    sfx::Bytes out;
    for (uint32_t field : {0u, 1u, (uint32_t)images.size()}) Add(out, field, 2);
    uint32_t offset = 6 + 16 * (uint32_t)images.size();
    for (const sfx::IconImage& image : images) {
        out.insert(out.end(), {image.width, image.height, image.colorCount, 0});
        Add(out, image.planes, 2);
        Add(out, image.bitCount, 2);
        Add(out, (uint32_t)image.data.size(), 4);
        Add(out, offset, 4);
        offset += (uint32_t)image.data.size();
    }
    for (const sfx::IconImage& image : images) out.insert(out.end(), image.data.begin(), image.data.end());
    return out;
}

std::vector<sfx::IconImage> SampleIcon() {
    return {IconOf(16, false), IconOf(32, false), IconOf(48, false), IconOf(256, true)};
}
