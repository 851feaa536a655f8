// A compact CRC-32 for the stub, so that the linker takes this instead of zlib's 8 KB of tables.
// inflate calls crc32 only for gzip streams, which the stub never enables (its streams have the
// zlib header), so the bitwise loop costs nothing in practice and stays correct if ever used.
#include <stdint.h>
#include <zlib.h>

extern "C" uLong ZEXPORT crc32(uLong crc, const Bytef* buffer, uInt length) {
    if (!buffer) return 0;
    uint32_t value = ~(uint32_t)crc;
    while (length--) {
        value ^= *buffer++;
        for (int bit = 0; bit < 8; ++bit) value = (value >> 1) ^ (0xEDB88320u & (0u - (value & 1u)));
    }
    return ~value;
}
