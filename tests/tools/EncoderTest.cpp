// The encoders: pieces that join into one stream wherever their bits end, at every level.
#include <zlib.h>
#include <algorithm>
#include "write/Encoder.h"
#include "write/Pack.h"
#include "PackTestSupport.h"

using sfx::Bytes;
using sfx::EncoderKind;

// A raw deflate stream inflated whole, or empty when it is not one stream that ends.
static Bytes InflateRaw(const Bytes& stream, size_t size) {
    Bytes out(size + 1);
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = (uInt)stream.size();
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    int result = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    out.resize(out.size() - z.avail_out);
    return result == Z_STREAM_END && z.avail_in == 0 ? out : Bytes();
}

TEST(Encoder, PiecesJoinIntoOneStreamWhereverTheFirstOneEnds) {
    for (EncoderKind kind : {EncoderKind::Best, EncoderKind::Zlib}) {
        std::unique_ptr<sfx::Encoder> encoder = sfx::MakeEncoder(6, kind);
        // Ends on every bit of a byte, somewhere among these sizes.
        for (size_t cut = 1; cut < 80; ++cut) {
            Bytes data = Joined(TextLike(cut * 29, (unsigned)cut), TextLike(500, 7));
            Bytes stream = Joined(encoder->deflate(data.data(), 0, cut * 29, false),
                                  encoder->deflate(data.data(), cut * 29, data.size(), true));
            ASSERT_EQ(InflateRaw(stream, data.size()), data) << (int)kind << " " << cut;
        }
    }
}

// Both encoders write zlib's header for the level: its class 0 to 3, levels above 9 as 9.
TEST(Encoder, TheHeaderOfEachLevelIsTheOneZlibWrites) {
    for (int level = 0; level <= sfx::MaxLevel; ++level) {
        Bytes out(64);
        uLongf size = (uLongf)out.size();
        ASSERT_EQ(compress2(out.data(), &size, out.data(), 1, std::min(level, 9)), Z_OK);
        EXPECT_EQ(sfx::ZlibHeader(level), Bytes(out.begin(), out.begin() + 2)) << level;
    }
}

TEST(Encoder, EveryLevelInflatesInTheStubsOneCallWithAndWithoutTheCheckValue) {
    Bytes data = Joined(Joined(TextLike(150000, 3), Noise(70000)), TextLike(90000, 4));
    struct Case {
        EncoderKind kind;
        int level;
        size_t pieceSize;
    } cases[] = {{EncoderKind::Best, 0, 65536},  {EncoderKind::Best, 1, 100000}, {EncoderKind::Best, 6, 1u << 20},
                 {EncoderKind::Best, 9, 77777},  {EncoderKind::Best, 12, 65543}, {EncoderKind::Zlib, 1, 100000},
                 {EncoderKind::Zlib, 9, 1u << 20}, {EncoderKind::Zlib, 12, 65543}};
    for (const Case& c : cases)
        for (bool keepCheck : {true, false}) {
            sfx::PackOptions options;
            options.encoder = c.kind;
            options.level = c.level;
            options.pieceSize = c.pieceSize;
            options.keepCheck = keepCheck;
            sfx::Member member = sfx::PackMember({"m", data}, options);
            EXPECT_EQ(member.method, c.level ? sfx::Deflated : sfx::Stored) << c.level;
            if (member.method == sfx::Deflated) {
                EXPECT_EQ(Bytes(member.stored.begin() + 4, member.stored.begin() + 6), sfx::ZlibHeader(c.level));
                EXPECT_EQ(InflateAsTheStub(member.stored), data) << (int)c.kind << " " << c.level << " " << keepCheck;
            }
        }
}
