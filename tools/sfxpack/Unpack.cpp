// Unpacking a member. The stub's own call decides whether it is sound; a second look at a
// stream without its check value tells what the stub can't see: more data than declared, a
// check value cut short, or deflate data that stops before its final block.
#include "Unpack.h"
#include <cstring>
#include <zlib.h>

namespace sfx {

static std::string ZlibFailure(int result, const z_stream& stream) {
    if (result == Z_NEED_DICT) return "zlib error: the stream asks for a preset dictionary";
    if (result == Z_BUF_ERROR) return "zlib error: the stream is cut short before any output";
    if (stream.msg) return std::string("zlib error: ") + stream.msg;
    return "zlib error " + std::to_string(result);
}

// The deflate data after the zlib header, inflated raw with at most limit + 1 bytes produced.
// Classifies what follows its final block, or how it ends otherwise.
static void LookPastStream(const uint8_t* stream, size_t size, uint64_t limit, Unpacked& result) {
    z_stream raw;
    std::memset(&raw, 0, sizeof raw);
    if (size < 2 || inflateInit2(&raw, -15) != Z_OK) return;
    raw.next_in = (Bytef*)stream + 2;
    raw.avail_in = (uInt)(size - 2);
    uint8_t scratch[16384];
    int status = Z_OK;
    // The output is thrown away chunk by chunk; zlib keeps its own window.
    while (status == Z_OK && raw.total_out <= limit) {
        raw.next_out = scratch;
        raw.avail_out = sizeof scratch;
        status = inflate(&raw, Z_NO_FLUSH);
        if (status == Z_BUF_ERROR) break;  // no progress: the input has run out
    }
    uint64_t produced = raw.total_out, after = raw.avail_in;
    std::string message = raw.msg ? raw.msg : "invalid data";
    inflateEnd(&raw);
    if (produced > limit) {
        // zlib took the whole stream into its bit buffer, so the stub's rule accepts it: it writes
        // the declared bytes, and only this look past them proves them damaged.
        result.ok = false;
        result.detail = "the stream holds more than its declared " + std::to_string(limit) + " bytes";
        result.notes.push_back("the stub writes the declared " + std::to_string(limit) + " bytes all the same");
    } else if (status == Z_DATA_ERROR) {
        result.notes.push_back(std::string("the deflate data is damaged past the declared bytes: ") + message);
    } else if (status != Z_STREAM_END) {
        result.notes.push_back("the deflate data stops before its final block ends");
    } else if (after == 0) {
        result.detail += ", no check value";
    } else if (after < 4) {
        result.detail += ", check value cut short";
        result.notes.push_back("only " + std::to_string(after) + " of the 4 check value bytes are there");
    } else {
        // Four or more bytes after the deflate data, yet zlib did not end the stream: it can only
        // be that the output filled up first, which the raw pass rules out; say what is there.
        result.notes.push_back(std::to_string(after) + " bytes follow the deflate data");
    }
}

static Unpacked Inflate(const Bytes& file, const MemberEntry& member) {
    Unpacked result;
    const uint8_t* stream = file.data() + member.offset + DeflatedPrefixSize;
    size_t streamSize = (size_t)member.storedSize - DeflatedPrefixSize;
    size_t declared = (size_t)member.unpackedSize;
    result.data.resize(declared);

    z_stream z;
    std::memset(&z, 0, sizeof z);
    z.next_in = (Bytef*)stream;
    z.avail_in = (uInt)streamSize;
    uint8_t none = 0;  // zlib wants somewhere to write even when nothing is to be written
    z.next_out = declared ? result.data.data() : &none;
    z.avail_out = (uInt)declared;
    int status = inflateInit(&z);
    if (status == Z_OK) status = inflate(&z, Z_NO_FLUSH);
    size_t unfilled = z.avail_out, left = z.avail_in;
    std::string failure = (status == Z_OK || status == Z_STREAM_END) ? "" : ZlibFailure(status, z);
    inflateEnd(&z);

    // The stub's own verdict decides what it writes; the details below say why it refuses.
    result.written = InflateAccepted(status, (uint32_t)unfilled, (uint32_t)left);
    if (!result.written) result.box = StubBoxes::ZlibError;
    if (!failure.empty()) {
        result.detail = failure;
    } else if (unfilled) {
        result.detail = "the stream ends after " + std::to_string(declared - unfilled) + " of its declared " +
                        std::to_string(declared) + " bytes";
    } else if (status == Z_OK && left) {
        // The stub takes this for a damaged stream: one without its check value is consumed whole
        // before inflate stops to wait for it.
        result.detail = "the stream runs on with " + std::to_string(left) + " bytes of input after its declared " +
                        std::to_string(declared) + " bytes";
    } else {
        result.ok = true;
        result.detail = "deflated";
        if (status == Z_STREAM_END) {
            // zlib has compared the check value itself.
            result.checkMatched = true;
            result.detail += ", check value matches";
            if (left) result.notes.push_back(std::to_string(left) + " bytes follow the stream");
        } else {
            LookPastStream(stream, streamSize, declared, result);
        }
    }
    if (!result.written) result.data.clear();
    return result;
}

Unpacked UnpackMember(const Bytes& file, const MemberEntry& member, bool keepData) {
    Unpacked result;
    if (!member.fault.empty()) {
        result.detail = member.fault;
        result.box = member.box;
        return result;
    }
    if (member.method == Stored) {
        result.ok = result.written = true;
        result.detail = "stored";
        if (keepData)
            result.data.assign(file.begin() + member.offset, file.begin() + member.offset + member.storedSize);
        return result;
    }
    result = Inflate(file, member);
    if (!keepData) Bytes().swap(result.data);
    return result;
}

}  // namespace sfx
