// Verifying: every member unpacked as the stub unpacks it, with what the stub can't see reported.
#include <zlib.h>
#include "Inspect.h"
#include "PackTestSupport.h"
#include "Unpack.h"

using sfx::Bytes;

// An installer whose members are given as stored bytes and methods; all are named files.
static Bytes WithMembers(const std::vector<sfx::Member>& members) {
    sfx::Directory dir{members.front().name, members.front().name, {}, {}, ""};
    for (size_t i = 1; i < members.size(); ++i) dir.supportFiles.push_back(members[i].name);
    return sfx::BuildInstaller(PeStub(0x300), dir, members);
}

static sfx::MemberCheck CheckOne(const Bytes& stored, int32_t method = sfx::Deflated) {
    Bytes file = WithMembers({{"m", stored, method}});
    sfx::VerifyReport report = sfx::Verify(file, sfx::Inspect(file));
    return report.members.at(0);
}

// A zlib stream made with deflate() directly, for the forms DeflateMember does not make.
static Bytes Stream(const Bytes& data, int flush, const Bytes& dictionary = {}) {
    z_stream z{};
    deflateInit(&z, 9);
    if (!dictionary.empty()) deflateSetDictionary(&z, dictionary.data(), (uInt)dictionary.size());
    Bytes out(deflateBound(&z, data.size()) + 16);
    z.next_in = (Bytef*)data.data();
    z.avail_in = (uInt)data.size();
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    deflate(&z, flush);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

static Bytes Sized(int32_t size, const Bytes& stream) {
    sfx::ByteWriter w;
    w.put32(size);
    w.putBytes(stream.data(), stream.size());
    return w.bytes;
}

TEST(Verify, TheHandWrittenMembersAreSoundWithOrWithoutTheirCheckValue) {
    sfx::Inspection in = sfx::Inspect(HandWritten);
    sfx::VerifyReport report = sfx::Verify(HandWritten, in);
    ASSERT_EQ(report.members.size(), 3u);
    EXPECT_TRUE(report.sound);
    EXPECT_EQ(report.members[0].detail, "stored");
    EXPECT_EQ(report.members[1].detail, "deflated, check value matches");
    EXPECT_EQ(report.members[2].detail, "deflated, no check value");
    for (int i = 1; i <= 2; ++i) {
        sfx::Unpacked unpacked = sfx::UnpackMember(HandWritten, in.members[(size_t)i]);
        EXPECT_EQ(unpacked.data, ToBytes("hello hello hello"));
    }
}

TEST(Verify, AStoredBlockStreamTypedOutByHandUnpacks) {
    // 78 01, a final stored block of 5 bytes, and the Adler-32 of "hello" (0x062C0215).
    const Bytes stored = {5, 0, 0, 0, 0x78, 0x01, 0x01, 0x05, 0x00, 0xFA, 0xFF,
                          'h', 'e', 'l', 'l', 'o', 0x06, 0x2C, 0x02, 0x15};
    Bytes file = WithMembers({{"m", stored, sfx::Deflated}});
    sfx::Inspection in = sfx::Inspect(file);
    sfx::Unpacked unpacked = sfx::UnpackMember(file, in.members[0]);
    EXPECT_TRUE(unpacked.ok) << unpacked.detail;
    EXPECT_EQ(unpacked.data, ToBytes("hello"));
    Bytes wrong = stored;
    wrong.back() ^= 1;
    EXPECT_EQ(CheckOne(wrong).detail, "zlib error: incorrect data check");
}

TEST(Verify, CheckValuesAreCheckedWhenPresentAndAbsentOnesAreFine) {
    Bytes data = TextLike(20000, 3);
    EXPECT_EQ(CheckOne(sfx::DeflateMember(data, 9, true)).detail, "deflated, check value matches");
    sfx::MemberCheck without = CheckOne(sfx::DeflateMember(data, 9, false));
    EXPECT_TRUE(without.sound);
    EXPECT_EQ(without.detail, "deflated, no check value");
    EXPECT_TRUE(without.notes.empty());

    Bytes wrong = sfx::DeflateMember(data, 9, true);
    wrong.back() ^= 0x40;
    sfx::MemberCheck bad = CheckOne(wrong);
    EXPECT_FALSE(bad.sound);
    EXPECT_EQ(bad.detail, "zlib error: incorrect data check");

    // Two of the four check bytes: the stub can't check them and goes on.
    Bytes cut = sfx::DeflateMember(data, 9, true);
    cut.resize(cut.size() - 2);
    sfx::MemberCheck partial = CheckOne(cut);
    EXPECT_TRUE(partial.sound);
    EXPECT_EQ(partial.detail, "deflated, check value cut short");
    EXPECT_EQ(partial.notes, std::vector<std::string>{"only 2 of the 4 check value bytes are there"});
}

TEST(Verify, ADeclaredSizeThatDisagreesWithTheStreamIsDamage) {
    Bytes data = TextLike(5000, 4);
    for (bool keepCheck : {true, false}) {
        Bytes member = sfx::DeflateMember(data, 9, keepCheck);
        // More declared than the stream gives: the stub's output is left unfilled.
        Put32(member, 0, 5001);
        sfx::MemberCheck more = CheckOne(member);
        EXPECT_FALSE(more.sound);
        EXPECT_EQ(more.detail, "the stream ends after 5000 of its declared 5001 bytes");
        // Less declared: the stub stops early and would write a cut file; only the second look sees it.
        Put32(member, 0, 4999);
        sfx::MemberCheck less = CheckOne(member);
        EXPECT_FALSE(less.sound) << keepCheck;
        EXPECT_EQ(less.detail, "the stream holds more than its declared 4999 bytes");
    }
}

TEST(Verify, DamagedAndOddStreamsAreToldApart) {
    Bytes data = TextLike(3000, 5);
    Bytes flipped = sfx::DeflateMember(data, 9, false);
    for (size_t i = 10; i < 40; ++i) flipped[i] ^= 0xA5;
    sfx::MemberCheck damaged = CheckOne(flipped);
    EXPECT_FALSE(damaged.sound);
    EXPECT_EQ(damaged.detail.rfind("zlib error", 0), 0u) << damaged.detail;

    EXPECT_EQ(CheckOne(Sized(3000, Stream(data, Z_FINISH, ToBytes("setup install")))).detail,
              "zlib error: the stream asks for a preset dictionary");
    EXPECT_FALSE(CheckOne(Sized(0, {})).sound);  // the size and no stream at all

    sfx::MemberCheck empty = CheckOne(sfx::DeflateMember({}, 9, true));
    EXPECT_TRUE(empty.sound) << empty.detail;

    // Flushed but never finished: every byte is there, the final block never comes.
    sfx::MemberCheck open = CheckOne(Sized(3000, Stream(data, Z_SYNC_FLUSH)));
    EXPECT_TRUE(open.sound) << open.detail;
    EXPECT_EQ(open.notes, std::vector<std::string>{"the deflate data stops before its final block ends"});

    Bytes trailing = sfx::DeflateMember(data, 9, true);
    trailing.insert(trailing.end(), {1, 2, 3});
    sfx::MemberCheck extra = CheckOne(trailing);
    EXPECT_TRUE(extra.sound);
    EXPECT_EQ(extra.notes, std::vector<std::string>{"3 bytes follow the stream"});
}

TEST(Verify, EveryEntryIsCheckedAndOneDamagedMemberSpoilsTheWhole) {
    Bytes good = sfx::DeflateMember(TextLike(2000, 6), 9, false);
    Bytes bad = good;
    Put32(bad, 0, 2001);
    Bytes file = WithMembers({{"setup.exe", good, sfx::Deflated},
                              {"a.dll", bad, sfx::Deflated},
                              {"b.dll", ToBytes("plain"), sfx::Stored},
                              {"A.DLL", good, sfx::Deflated}});  // a repeat that is itself sound
    sfx::Inspection in = sfx::Inspect(file);
    sfx::VerifyReport report = sfx::Verify(file, in);
    ASSERT_EQ(report.members.size(), 4u);
    EXPECT_FALSE(report.sound);
    EXPECT_TRUE(report.members[0].sound);
    EXPECT_FALSE(report.members[1].sound);
    EXPECT_TRUE(report.members[2].sound);
    EXPECT_TRUE(report.members[3].sound);

    // Sound members, but a named file is missing: not sound either.
    sfx::Directory dir{"setup.exe", "setup.lst", {}, {}, ""};
    Bytes missing = sfx::BuildInstaller(PeStub(0x300), dir, {{"setup.exe", good, sfx::Deflated}});
    EXPECT_FALSE(sfx::Verify(missing, sfx::Inspect(missing)).sound);
}

TEST(Verify, ProgressCountsUpToTheTotal) {
    Bytes file = SampleInstaller();
    uint64_t last = 0, total = 0;
    int calls = 0;
    sfx::Verify(file, sfx::Inspect(file), [&](uint64_t done, uint64_t all) {
        EXPECT_GE(done, last);
        last = done;
        total = all;
        ++calls;
    });
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(last, total);
}
