// Inflating a member: one inflate call over the whole stream into a block of exactly its size.
#include <string.h>
#include <zlib.h>
#include "archive/Archive.h"
#include "system/Memory.h"
#include "system/Messages.h"

// Deflate never expands data by more than 1032 to 1, so a larger declared size can't be filled
// and is refused before it is allocated.
static const uint64_t MaxInflateRatio = 1032;

static char* ZlibError() {
    ShowError("Zlib error");
    return 0;
}

char* InflateMember(int32_t& size, const char* block, int32_t storedSize) {
    if (storedSize < 4) return ZlibError();
    const unsigned char* bytes = (const unsigned char*)block;
    int32_t unpacked = (int32_t)((uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 |
                                 (uint32_t)bytes[2] << 16 | (uint32_t)bytes[3] << 24);
    int32_t streamSize = storedSize - 4;
    if (unpacked < 0 || (uint64_t)unpacked > (uint64_t)streamSize * MaxInflateRatio) return ZlibError();
    size = unpacked;

    char* out = (char*)AllocGlobal((uint32_t)unpacked + 1, GlobalMoveable);
    if (!out) return 0;

    // Cleared, so zlib uses its own allocation functions.
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    stream.next_in = (Bytef*)(bytes + 4);
    stream.avail_in = (uInt)streamSize;
    stream.next_out = (Bytef*)out;
    stream.avail_out = (uInt)unpacked;
    inflateInit(&stream);
    // Streams as written lack their Adler-32 value: inflate then stops with Z_OK, output full,
    // waiting for it. When the value is there, zlib checks it and ends with Z_STREAM_END.
    int result = inflate(&stream, Z_NO_FLUSH);
    inflateEnd(&stream);

    // Output left unfilled means the stream ended early: those bytes were never inflated. A
    // stream without its check value is taken whole before inflate waits for it, so Z_OK with
    // input left over means the data ran on past the declared size: a damaged stream (or a
    // wrong size) whose output would be garbage or cut short.
    bool filled = stream.avail_out == 0;
    if ((result == Z_STREAM_END && filled) || (result == Z_OK && filled && stream.avail_in == 0)) {
        out[unpacked] = 0;
        return out;
    }
    FreeGlobal(out);
    return ZlibError();
}
