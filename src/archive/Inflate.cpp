// Inflating a member: one inflate call over the whole stream into a block of exactly its size.
#include <string.h>
#include <zlib.h>
#include "archive/Archive.h"
#include "stub/Texts.h"
#include "system/Memory.h"
#include "system/Messages.h"

static char* ZlibError() {
    ShowError(BoxZlibError);
    return 0;
}

char* InflateMember(int32_t& size, const char* block, int32_t storedSize) {
    if (storedSize < DeflatedPrefixSize) return ZlibError();
    const unsigned char* bytes = (const unsigned char*)block;
    int32_t unpacked = ReadLittle32(bytes);
    int32_t streamSize = storedSize - DeflatedPrefixSize;
    if (!DeclaredSizeFits(unpacked, streamSize)) return ZlibError();
    size = unpacked;

    char* out = (char*)AllocGlobal((uint32_t)unpacked + 1, GlobalMoveable);
    if (!out) return 0;

    // Cleared, so zlib uses its own allocation functions.
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    stream.next_in = (Bytef*)(bytes + DeflatedPrefixSize);
    stream.avail_in = (uInt)streamSize;
    stream.next_out = (Bytef*)out;
    stream.avail_out = (uInt)unpacked;
    inflateInit(&stream);
    int result = inflate(&stream, Z_NO_FLUSH);
    inflateEnd(&stream);

    if (InflateAccepted(result, stream.avail_out, stream.avail_in)) {
        out[unpacked] = 0;
        return out;
    }
    FreeGlobal(out);
    return ZlibError();
}
