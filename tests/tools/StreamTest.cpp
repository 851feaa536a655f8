// Unpacking in chunks (and whole, through libdeflate) gives exactly the bytes and the verdict of
// the stub's one inflate call into the whole declared size, for sound and damaged streams alike.
#include <zlib.h>
#include "stub/Format.h"
#include "read/Inspect.h"
#include "PackTestSupport.h"
#include "read/Unpack.h"

using sfx::Bytes;

namespace {

// The stub's call, written out: one inflate over the whole stream into exactly the declared size.
struct Reference {
    bool accepted;
    Bytes data;
};

Reference StubInflate(const Bytes& stored) {
    int32_t declared = Get32(stored, 0);
    Bytes out((size_t)declared + 1);
    z_stream z{};
    z.next_in = (Bytef*)stored.data() + 4;
    z.avail_in = (uInt)(stored.size() - 4);
    z.next_out = out.data();
    z.avail_out = (uInt)declared;
    inflateInit(&z);
    int result = inflate(&z, Z_NO_FLUSH);
    inflateEnd(&z);
    out.resize((size_t)declared);
    bool accepted = InflateAccepted(result, z.avail_out, z.avail_in);
    return {accepted, accepted ? out : Bytes()};
}

struct Case {
    const char* name;
    size_t size;     // unpacked bytes: above the chunk size and the whole-member budget too
    bool keepCheck;
    int change;      // 0 none, 1 flip a byte mid-stream, 2 declare one byte more, 3 one less,
                     // 4 cut the last 3 bytes, 5 add 9 bytes after
};

}  // namespace

TEST(Stream, ChunkedAndWholeUnpackingMatchTheStubsSingleCall) {
    const Case cases[] = {
        {"small, check", 5000, true, 0},           {"small, no check", 5000, false, 0},
        {"chunks, check", 700000, true, 0},        {"chunks, no check", 700000, false, 0},
        {"chunks, flipped", 700000, true, 1},      {"chunks, flipped, no check", 700000, false, 1},
        {"declared +1", 700000, true, 2},          {"declared +1, no check", 700000, false, 2},
        {"declared +1, ends on a chunk", 512u << 10, false, 2},
        {"declared -1", 700000, true, 3},          {"declared -1, no check", 700000, false, 3},
        {"cut short", 700000, true, 4},            {"bytes after", 700000, true, 5},
        {"bytes after, no check", 700000, false, 5}, {"over the budget", (17u << 20) + 5, true, 0},
        {"over the budget, flipped", (17u << 20) + 5, true, 1}, {"empty", 0, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes stored = sfx::DeflateMember(TextLike(c.size, 11), 6, c.keepCheck);
        if (c.change == 1) stored[4 + (stored.size() - 4) / 2] ^= 0x55;
        if (c.change == 2 || c.change == 3) Put32(stored, 0, Get32(stored, 0) + (c.change == 2 ? 1 : -1));
        if (c.change == 4) stored.resize(stored.size() - 3);
        if (c.change == 5) stored.insert(stored.end(), 9, 0xAB);
        Bytes file = sfx::BuildInstaller(PeStub(0x300), {"m", "m", {}, {}, ""}, {{"m", stored, sfx::Deflated}});
        sfx::Inspection inspection = sfx::Inspect(file);
        ASSERT_TRUE(inspection.members.at(0).fault.empty()) << inspection.members[0].fault;
        Reference stub = StubInflate(stored);
        size_t handed = 0;
        sfx::Unpacked streamed =
            sfx::UnpackMember(file, inspection.members[0], [&](const uint8_t*, size_t size) { handed += size; });
        sfx::Unpacked kept = sfx::UnpackMember(file, inspection.members[0]);
        EXPECT_EQ(streamed.written, stub.accepted) << streamed.detail;
        EXPECT_EQ(kept.written, stub.accepted);
        EXPECT_TRUE(kept.data == stub.data);
        if (stub.accepted) {
            EXPECT_EQ(handed, stub.data.size());
        }
        if (c.change == 2) {
            EXPECT_EQ(streamed.detail, "the stream ends after " + std::to_string(c.size) + " of its declared " +
                                           std::to_string(c.size + 1) + " bytes");
        }
    }
}
