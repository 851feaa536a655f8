// Inflating a member a piece at a time: the stored bytes come in through one buffer, the unpacked
// bytes go out through another, and zlib's state carries over from call to call.
#include <string.h>
#include <zlib.h>
#include "archive/Inflate.h"
#include "archive/Archive.h"
#include "stub/Texts.h"
#include "system/Messages.h"

// One inflate call over the next input and as much output room as the declared size leaves.
// The pieces add up to what one call over the whole stream into exactly the declared size
// would do: inflate stops only where it needs more input or more room, and resumes there.
static int InflateStep(z_stream& stream, MemberInput& input, char* in, char* out, int32_t room) {
    if (stream.avail_in == 0 && input.left > 0) {
        int32_t count = input.next(in, MemberInputBuffer);
        if (count < 0) return Z_ERRNO;
        stream.next_in = (Bytef*)in;
        stream.avail_in = (uInt)count;
    }
    stream.next_out = (Bytef*)out;
    stream.avail_out = (uInt)room;
    return inflate(&stream, Z_NO_FLUSH);
}

// Runs the stream into the output: true when the stub accepts it (see InflateAccepted), false
// after a box of zlib's ("Zlib error"), the reading's or the writing's.
static bool RunStream(z_stream& stream, MemberInput& input, MemberOutput& output, char* out, char* in,
                      int32_t declared) {
    int32_t left = declared, used = 0;
    for (;;) {
        int32_t room = MemberOutputBuffer - used;
        if (room > left) room = left;
        int result = InflateStep(stream, input, in, out + used, room);
        if (result == Z_ERRNO) return false;
        int32_t made = room - (int32_t)stream.avail_out;
        used += made;
        left -= made;
        bool inputDone = stream.avail_in == 0 && input.left == 0;
        if (result == Z_OK && left > 0 && used == MemberOutputBuffer) {
            // A full buffer with more to come goes out now; the last piece only once accepted,
            // so a member that fits the buffer is checked whole before its file is made.
            if (!output.write(out, used)) return false;
            used = 0;
            continue;
        }
        if (result == Z_OK && !inputDone) continue;
        if (!InflateAccepted(result, (uint32_t)left, 0)) break;
        return output.write(out, used);
    }
    ShowError(BoxZlibError);
    return false;
}

bool InflateMember(MemberInput& input, MemberOutput& output, char* out, char* in) {
    // The unpacked size comes with the first piece of input.
    int32_t count = input.next(in, MemberInputBuffer);
    if (count < 0) return false;
    int32_t declared = count < DeflatedPrefixSize ? -1 : ReadLittle32((const unsigned char*)in);
    if (!DeclaredSizeFits(declared, count - DeflatedPrefixSize + input.left)) {
        ShowError(BoxZlibError);
        return false;
    }
    // Cleared, so zlib uses its own allocation functions; a failed initialisation fails inflate.
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    stream.next_in = (Bytef*)(in + DeflatedPrefixSize);
    stream.avail_in = (uInt)(count - DeflatedPrefixSize);
    inflateInit(&stream);
    bool good = RunStream(stream, input, output, out, in, declared);
    inflateEnd(&stream);
    return good;
}
