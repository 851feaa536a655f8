// Unpacking a member. The stub's own call decides whether it is sound; a second look at a
// stream without its check value tells what the stub can't see: more data than declared, a
// check value cut short, or deflate data that stops before its final block.
#include "read/Unpack.h"
#include "stub/Format.h"
#include "stub/Texts.h"
#include <algorithm>
#include <cstring>
#include <zlib.h>
#ifdef SFX_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace sfx {

static std::string ZlibFailure(int result, const z_stream& stream) {
    if (result == Z_NEED_DICT) return "zlib error: the stream asks for a preset dictionary";
    if (result == Z_BUF_ERROR) return "zlib error: the stream is cut short before any output";
    if (stream.msg) return std::string("zlib error: ") + stream.msg;
    return "zlib error " + std::to_string(result);
}

// Input pages are let go in steps of this size once inflate has passed them.
static const size_t ReleaseStep = 8u << 20;

// Lets go of the mapped input that inflate has consumed, a step at a time.
struct InputPages {
    ByteView file;
    const uint8_t* begin;
    size_t released = 0;
    void passed(size_t consumed) {
        if (consumed < released + ReleaseStep) return;
        file.release(begin + released, consumed - released);
        released = consumed;
    }
};

// The deflate data after the zlib header, inflated raw with at most limit + 1 bytes produced.
// Classifies what follows its final block, or how it ends otherwise.
static void LookPastStream(ByteView file, const uint8_t* stream, size_t size, uint64_t limit, Unpacked& result) {
    z_stream raw;
    std::memset(&raw, 0, sizeof raw);
    if (size < 2 || inflateInit2(&raw, -15) != Z_OK) return;
    raw.next_in = (Bytef*)stream + 2;
    raw.avail_in = (uInt)(size - 2);
    uint8_t scratch[16384];
    int status = Z_OK;
    // The output is thrown away chunk by chunk; zlib keeps its own window. The input read is
    // let go of as it is passed, so a long stream doesn't stay in memory.
    InputPages pages{file, stream + 2};
    while (status == Z_OK && raw.total_out <= limit) {
        raw.next_out = scratch;
        raw.avail_out = sizeof scratch;
        status = inflate(&raw, Z_NO_FLUSH);
        if (status == Z_BUF_ERROR) break;  // no progress: the input has run out
        pages.passed(raw.total_in);
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


#ifdef SFX_HAVE_LIBDEFLATE
// A whole member decoded in one go by libdeflate, which is about twice as fast as zlib. Its
// success means a complete stream whose check value matched and which filled exactly the
// declared size: zlib ends such a stream with Z_STREAM_END and the same bytes, so the stub's
// verdict is known. Anything libdeflate refuses goes to zlib, whose verdict is the stub's.
static bool InflateWhole(ByteView file, const uint8_t* stream, size_t streamSize, size_t declared,
                         const ByteSink& sink, Unpacked& result) {
    if (declared == 0 || declared > WholeMemberBudget || streamSize > WholeMemberBudget) return false;
    static libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    if (!decompressor) return false;
    // Left unfilled: pages a refused stream never reaches are never touched.
    struct Block {
        uint8_t* bytes;
        ~Block() { ::operator delete(bytes); }
        uint8_t* get() const { return bytes; }
    } out{(uint8_t*)::operator new(declared)};
    size_t used = 0, got = 0;
    bool decoded = libdeflate_zlib_decompress_ex(decompressor, stream, streamSize, out.get(), declared, &used,
                                                 &got) == LIBDEFLATE_SUCCESS &&
                   got == declared;
    if (!decoded) return false;
    file.release(stream, streamSize);
    result.ok = result.written = result.checkMatched = true;
    result.detail = "deflated, check value matches";
    if (used < streamSize) result.notes.push_back(std::to_string(streamSize - used) + " bytes follow the stream");
    sink(out.get(), declared);
    return true;
}
#endif

// How the stub's single inflate call ends: zlib's result, the declared bytes it left unfilled,
// the input it left over, and zlib's failure, if any, in words.
struct CallEnd {
    int status = Z_OK;
    size_t unfilled = 0;
    size_t left = 0;
    std::string failure;
};

// zlib fed the whole stream and given the declared size a chunk at a time. inflate's state
// carries over from call to call with its 32 KiB window, so the bytes, the result and the input
// left are those of the stub's single call into the whole declared size; only a last call that
// finds nothing more to do says Z_BUF_ERROR where the single call, having made progress, says Z_OK.
static CallEnd InflateInChunks(ByteView file, const uint8_t* stream, size_t streamSize, size_t declared,
                               const ByteSink& sink) {
    z_stream z;
    std::memset(&z, 0, sizeof z);
    z.next_in = (Bytef*)stream;
    z.avail_in = (uInt)streamSize;
    // The chunk is no larger than the member: small members cost little.
    Bytes chunk(std::min<size_t>(std::max<size_t>(declared, 1), 256u << 10));
    InputPages pages{file, stream};
    size_t produced = 0;
    int status = inflateInit(&z);
    // The sink may throw (a full disk): zlib's state goes with it.
    struct Ender {
        z_stream& z;
        ~Ender() { inflateEnd(&z); }
    } ender{z};
    while (status == Z_OK) {
        size_t want = std::min(chunk.size(), declared - produced);
        z.next_out = chunk.data();
        z.avail_out = (uInt)want;
        status = inflate(&z, Z_NO_FLUSH);
        size_t got = want - z.avail_out;
        if (status == Z_BUF_ERROR && (z.total_in || z.total_out)) status = Z_OK;
        if (got && (status == Z_OK || status == Z_STREAM_END)) sink(chunk.data(), got);
        produced += got;
        pages.passed(streamSize - z.avail_in);
        // A chunk left unfilled means the input ran out; a full declared size ends the call.
        if (z.avail_out || produced == declared) break;
    }
    std::string failure = (status == Z_OK || status == Z_STREAM_END) ? "" : ZlibFailure(status, z);
    return {status, declared - produced, z.avail_in, failure};
}

static Unpacked Inflate(ByteView file, const MemberEntry& member, const ByteSink& sink) {
    Unpacked result;
    const uint8_t* stream = file.data() + member.offset + DeflatedPrefixSize;
    size_t streamSize = (size_t)member.storedSize - DeflatedPrefixSize;
    size_t declared = (size_t)member.unpackedSize;
#ifdef SFX_HAVE_LIBDEFLATE
    if (InflateWhole(file, stream, streamSize, declared, sink, result)) return result;
#endif
    CallEnd end = InflateInChunks(file, stream, streamSize, declared, sink);

    // The stub's own verdict decides what it writes; the details below say why it refuses.
    result.written = InflateAccepted(end.status, (uint32_t)end.unfilled, (uint32_t)end.left);
    if (!result.written) result.box = BoxZlibError;
    if (!end.failure.empty()) {
        result.detail = end.failure;
    } else if (end.unfilled) {
        result.detail = "the stream ends after " + std::to_string(declared - end.unfilled) + " of its declared " +
                        std::to_string(declared) + " bytes";
    } else if (end.status == Z_OK && end.left) {
        // The stub takes this for a damaged stream: one without its check value is consumed whole
        // before inflate stops to wait for it.
        result.detail = "the stream runs on with " + std::to_string(end.left) +
                        " bytes of input after its declared " + std::to_string(declared) + " bytes";
    } else {
        result.ok = true;
        result.detail = "deflated";
        if (end.status == Z_STREAM_END) {
            // zlib has compared the check value itself.
            result.checkMatched = true;
            result.detail += ", check value matches";
            if (end.left) result.notes.push_back(std::to_string(end.left) + " bytes follow the stream");
        } else {
            LookPastStream(file, stream, streamSize, declared, result);
            file.release(stream, streamSize);
        }
    }
    return result;
}

Unpacked UnpackMember(ByteView file, const MemberEntry& member, const ByteSink& sink) {
    Unpacked result;
    if (!member.fault.empty()) {
        result.detail = member.fault;
        result.box = member.box;
        return result;
    }
    if (member.method == MethodStored) {
        result.ok = result.written = true;
        result.detail = "stored";
        // Handed on in steps, letting go of each once it is written.
        for (size_t at = 0; at < (size_t)member.storedSize; at += ReleaseStep) {
            const uint8_t* part = file.data() + member.offset + at;
            size_t size = std::min(ReleaseStep, (size_t)member.storedSize - at);
            sink(part, size);
            file.release(part, size);
        }
        return result;
    }
    return Inflate(file, member, sink);
}

Unpacked UnpackMember(ByteView file, const MemberEntry& member, bool keepData) {
    Bytes data;
    Unpacked result = UnpackMember(file, member, [&](const uint8_t* bytes, size_t size) {
        if (keepData) data.insert(data.end(), bytes, bytes + size);
    });
    if (result.written) result.data = std::move(data);
    return result;
}

}  // namespace sfx
