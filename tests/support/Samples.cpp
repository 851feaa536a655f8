// Test data shared by every host test: seeded, so every run and every test sees the same bytes.
#include "support/Samples.h"
#include <cstring>
#include <random>

sfx::Bytes ToBytes(const std::string& text) { return sfx::Bytes(text.begin(), text.end()); }
std::string ToText(const sfx::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

sfx::Bytes TextLike(size_t size, unsigned seed) {
    static const char* words[] = {"setup ", "install ", "file ", "the ", "program ", "folder ", "\r\n", "data "};
    std::mt19937 random(seed);
    sfx::Bytes out;
    while (out.size() < size) {
        const char* word = words[random() % 8];
        out.insert(out.end(), word, word + std::strlen(word));
    }
    out.resize(size);
    return out;
}

sfx::Bytes Noise(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    sfx::Bytes out(size);
    for (uint8_t& b : out) b = (uint8_t)random();
    return out;
}

// A 16-bit field, or a 32-bit one through the format's own writer.
static void PutLe(sfx::Bytes& bytes, size_t at, uint32_t value, int size) {
    if (size == 4) return WriteLittle32(&bytes.at(at + 3) - 3, (int32_t)value);
    bytes.at(at) = (uint8_t)value, bytes.at(at + 1) = (uint8_t)(value >> 8);
}

sfx::Bytes PeImageOf(size_t size, bool wide) {
    sfx::Bytes image(size, 0);
    for (size_t i = 0x200; i < size; ++i) image[i] = (uint8_t)(i * 29 + 7);
    image[0] = 'M', image[1] = 'Z';
    PutLe(image, 0x3C, 0x80, 4);
    image[0x80] = 'P', image[0x81] = 'E';
    PutLe(image, 0x84, wide ? 0x8664 : 0x14C, 2);  // machine
    PutLe(image, 0x86, 1, 2);                       // one section
    PutLe(image, 0x94, wide ? 0xF0 : 0xE0, 2);      // optional header size
    PutLe(image, 0x98, wide ? 0x20B : 0x10B, 2);
    PutLe(image, 0x98 + 68, 2, 2);                  // the Windows GUI subsystem
    PutLe(image, wide ? 0x98 + 108 : 0x98 + 92, 16, 4);  // directory count
    size_t section = wide ? 0x188 : 0x178;
    PutLe(image, section + 16, (uint32_t)(size - 0x200), 4);
    PutLe(image, section + 20, 0x200, 4);
    return image;
}

size_t SecurityEntryOf(bool wide) { return wide ? 0x98 + 112 + 32 : 0x98 + 96 + 32; }

sfx::Bytes SignedCopy(sfx::Bytes file, bool wide, size_t tableSize) {
    file.resize((file.size() + 7) / 8 * 8, 0);
    size_t table = file.size();
    file.resize(table + tableSize, 0x30);
    PutLe(file, table, (uint32_t)tableSize, 4);  // the one certificate's length, revision, type
    PutLe(file, table + 4, 0x200, 2);
    PutLe(file, table + 6, 2, 2);
    PutLe(file, SecurityEntryOf(wide), (uint32_t)table, 4);
    PutLe(file, SecurityEntryOf(wide) + 4, (uint32_t)tableSize, 4);
    return file;
}
