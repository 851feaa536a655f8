// The two deflate encoders behind Encoder, and the seam that joins libdeflate's pieces.
#include "write/Encoder.h"
#include <zlib.h>
#include <algorithm>
#include <stdexcept>
#ifdef SFX_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace sfx {

bool HasLibdeflate() {
#ifdef SFX_HAVE_LIBDEFLATE
    return true;
#else
    return false;
#endif
}

Bytes ZlibHeader(int level) {
    // Method 8 with a 32 KiB window, then the level's class: the same flags zlib and libdeflate write.
    int flags = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    int header = 0x7800 | flags << 6;
    header += 31 - header % 31;
    return {(uint8_t)(header >> 8), (uint8_t)header};
}

namespace {

// zlib: each piece primed with the 32 KiB before it and ended with a sync flush, which is
// already the empty stored block the next piece follows. A whole member comes out as compress2
// would write it.
class ZlibEncoder : public Encoder {
public:
    explicit ZlibEncoder(int level) {
        if (deflateInit2(&z, std::min(level, 9), Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::runtime_error("deflate failed");
    }
    ~ZlibEncoder() override { deflateEnd(&z); }

    Bytes deflate(const uint8_t* data, size_t begin, size_t end, bool last) override {
        deflateReset(&z);
        size_t primed = std::min<size_t>(begin, 32768);
        if (primed && deflateSetDictionary(&z, data + begin - primed, (uInt)primed) != Z_OK)
            throw std::runtime_error("deflate failed");
        // The bound covers a whole stream; a sync flush adds at most a stored block's 5 bytes.
        Bytes out(deflateBound(&z, (uLong)(end - begin)) + 16);
        z.next_in = const_cast<Bytef*>(data + begin);
        z.avail_in = (uInt)(end - begin);
        z.next_out = out.data();
        z.avail_out = (uInt)out.size();
        int status = ::deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
        if (status != (last ? Z_STREAM_END : Z_OK) || z.avail_in != 0 || (!last && z.avail_out == 0))
            throw std::runtime_error("deflate failed");
        out.resize(out.size() - z.avail_out);
        return out;
    }

private:
    z_stream z{};
};

#ifdef SFX_HAVE_LIBDEFLATE
// libdeflate: each piece a whole stream of its own, made joinable afterwards. It matches
// nothing across the seam; at 16 MiB a piece that costs a few hundred bytes.
class LibdeflateEncoder : public Encoder {
public:
    explicit LibdeflateEncoder(int level) : compressor(libdeflate_alloc_compressor(level)) {
        if (!compressor) throw std::runtime_error("deflate failed: out of memory");
    }
    ~LibdeflateEncoder() override { libdeflate_free_compressor(compressor); }

    Bytes deflate(const uint8_t* data, size_t begin, size_t end, bool last) override {
        Bytes out(libdeflate_deflate_compress_bound(compressor, end - begin));
        size_t size = libdeflate_deflate_compress(compressor, data + begin, end - begin, out.data(), out.size());
        if (size == 0) throw std::runtime_error("deflate failed");
        out.resize(size);
        if (!last) MakeJoinable(out);
        return out;
    }

private:
    libdeflate_compressor* compressor;
};
#endif

// Where the next block starts, in bits from the stream's start, after inflate stopped at a
// block's end.
size_t BitAt(const z_stream& z, const uint8_t* start) {
    return (size_t)(z.next_in - start) * 8 - (size_t)(z.data_type & 7);
}

}  // namespace

std::unique_ptr<Encoder> MakeEncoder(int level, EncoderKind kind) {
    if (level < 0 || level > MaxLevel) throw std::runtime_error("deflate level out of range");
#ifdef SFX_HAVE_LIBDEFLATE
    if (kind == EncoderKind::Best) return std::make_unique<LibdeflateEncoder>(level);
#endif
    (void)kind;
    return std::make_unique<ZlibEncoder>(level);
}

void MakeJoinable(Bytes& stream) {
    // zlib's inflate stops at each block's end when asked (Z_BLOCK) and tells the bit there and
    // whether that block was the last: the final block starts where the one before it ended.
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) throw std::runtime_error("deflate failed: out of memory");
    z.next_in = stream.data();
    z.avail_in = (uInt)stream.size();
    uint8_t scratch[16384];
    size_t lastStart = 0, end = 0;
    bool found = false;
    while (!found) {
        z.next_out = scratch;
        z.avail_out = sizeof scratch;
        int status = inflate(&z, Z_BLOCK);
        if (status != Z_OK) break;
        if (!(z.data_type & 128)) continue;  // the scratch filled inside a block
        if (z.data_type & 64) {
            end = BitAt(z, stream.data());
            found = true;
        } else {
            lastStart = BitAt(z, stream.data());
        }
    }
    inflateEnd(&z);
    if (!found || (end + 7) / 8 != stream.size()) throw std::runtime_error("deflate failed: unreadable blocks");
    stream[lastStart / 8] &= (uint8_t)~(1u << (lastStart % 8));
    // The bits after the end are padding; the stored block's 3 header bits (all 0) go there when
    // they fit, else into a byte of their own, then the empty block's length and its complement.
    if (end % 8) stream.back() &= (uint8_t)((1u << (end % 8)) - 1);
    if (end % 8 == 0 || end % 8 > 5) stream.push_back(0);
    stream.insert(stream.end(), {0x00, 0x00, 0xFF, 0xFF});
}

}  // namespace sfx
