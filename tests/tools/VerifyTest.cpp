// Verifying: every member unpacked as the stub unpacks it, with what the stub can't see reported.
#include <zlib.h>
#include "read/Inspect.h"
#include "read/Verify.h"
#include "PackTestSupport.h"
#include "read/StubRun.h"
#include "read/Unpack.h"

using sfx::Bytes;

// How the stub fares with one deflated member of these stored bytes.
static sfx::MemberCheck CheckOne(const Bytes& stored) {
    Bytes file = sfx::BuildInstaller(PeStub(0x300), {"m", "m", {}, {}, ""}, {{"m", stored, sfx::Deflated}});
    return sfx::Verify(file, sfx::Inspect(file)).members.at(0);
}

// The size prefix and a zlib stream made with deflate() directly, for forms DeflateMember
// does not make.
static Bytes Streamed(const Bytes& data, int flush, const Bytes& dictionary = {}) {
    z_stream z{};
    deflateInit(&z, 9);
    if (!dictionary.empty()) deflateSetDictionary(&z, dictionary.data(), (uInt)dictionary.size());
    Bytes out(4 + deflateBound(&z, data.size()) + 16);
    Put32(out, 0, (int32_t)data.size());
    z.next_in = (Bytef*)data.data();
    z.avail_in = (uInt)data.size();
    z.next_out = out.data() + 4;
    z.avail_out = (uInt)out.size() - 4;
    deflate(&z, flush);
    out.resize(4 + z.total_out);
    deflateEnd(&z);
    return out;
}

TEST(Verify, HandWrittenMembersUnpackWithOrWithoutTheirCheckValue) {
    sfx::Inspection in = sfx::Inspect(HandWritten);
    sfx::VerifyReport report = sfx::Verify(HandWritten, in);
    EXPECT_TRUE(report.sound);
    ASSERT_EQ(report.members.size(), 3u);
    EXPECT_EQ(report.members[1].detail, "deflated, check value matches");
    EXPECT_EQ(report.members[2].detail, "deflated, no check value");
    EXPECT_EQ(sfx::UnpackMember(HandWritten, in.members[0]).data, ToBytes("ab"));
    EXPECT_EQ(sfx::UnpackMember(HandWritten, in.members[2]).data, ToBytes("hello hello hello"));

    // 78 01, a final stored block of 5 bytes and the Adler-32 of "hello": no encoder involved.
    Bytes stored = {5, 0, 0, 0, 0x78, 0x01, 0x01, 0x05, 0x00, 0xFA, 0xFF, 'h', 'e', 'l', 'l', 'o', 0x06, 0x2C, 0x02, 0x15};
    EXPECT_TRUE(CheckOne(stored).sound);
    stored.back() ^= 1;
    EXPECT_EQ(CheckOne(stored).detail, "zlib error: incorrect data check");
}

TEST(Verify, MissingOrCutShortCheckValuesPass) {
    Bytes data = TextLike(20000, 3);
    sfx::MemberCheck without = CheckOne(sfx::DeflateMember(data, 9, false));
    EXPECT_TRUE(without.sound);
    EXPECT_TRUE(without.notes.empty());

    // Two of the four check bytes: the stub can't check them and goes on.
    Bytes cut = sfx::DeflateMember(data, 9, true);
    cut.resize(cut.size() - 2);
    sfx::MemberCheck partial = CheckOne(cut);
    EXPECT_TRUE(partial.sound);
    EXPECT_EQ(partial.detail, "deflated, check value cut short");
}

TEST(Verify, ADeclaredSizeThatDisagreesWithTheStreamIsDamage) {
    for (bool keepCheck : {true, false}) {
        Bytes member = sfx::DeflateMember(TextLike(5000, 4), 9, keepCheck);
        // More declared than the stream gives: the stub's output is left unfilled.
        Put32(member, 0, 5001);
        EXPECT_EQ(CheckOne(member).detail, "the stream ends after 5000 of its declared 5001 bytes");
        // Less declared: the output fills with input left over, which the stub refuses too.
        Put32(member, 0, 4999);
        sfx::MemberCheck less = CheckOne(member);
        EXPECT_FALSE(less.sound);
        EXPECT_EQ(less.detail.rfind("the stream runs on with ", 0), 0u) << less.detail;
    }
}

TEST(Verify, DamagedAndOddStreamsAreToldApart) {
    Bytes data = TextLike(3000, 5);
    Bytes flipped = sfx::DeflateMember(data, 9, false);
    for (size_t i = 10; i < 40; ++i) flipped[i] ^= 0xA5;
    EXPECT_EQ(CheckOne(flipped).detail.rfind("zlib error", 0), 0u);
    EXPECT_EQ(CheckOne(Streamed(data, Z_FINISH, ToBytes("setup install"))).detail,
              "zlib error: the stream asks for a preset dictionary");
    EXPECT_FALSE(CheckOne(Bytes{0, 0, 0, 0}).sound);  // the size and no stream at all
    EXPECT_TRUE(CheckOne(sfx::DeflateMember({}, 9, true)).sound);

    // Flushed but never finished: every byte is there, the final block never comes.
    sfx::MemberCheck open = CheckOne(Streamed(data, Z_SYNC_FLUSH));
    EXPECT_TRUE(open.sound);
    EXPECT_EQ(open.notes, std::vector<std::string>{"the deflate data stops before its final block ends"});

    Bytes trailing = sfx::DeflateMember(data, 9, true);
    trailing.insert(trailing.end(), {1, 2, 3});
    EXPECT_EQ(CheckOne(trailing).notes, std::vector<std::string>{"3 bytes follow the stream"});
}

TEST(Verify, OneDamagedEntryOrMissingNamedFileSpoilsTheWhole) {
    Bytes good = sfx::DeflateMember(TextLike(2000, 6), 9, false), bad = good;
    Put32(bad, 0, 2001);
    sfx::Directory dir{"setup.exe", "setup.exe", {"a.dll"}, {}, ""};
    Bytes file = sfx::BuildInstaller(PeStub(0x300), dir,
                                     {{"setup.exe", good, sfx::Deflated}, {"a.dll", bad, sfx::Deflated},
                                      {"b.dll", ToBytes("plain")}});
    sfx::VerifyReport report = sfx::Verify(file, sfx::Inspect(file));
    EXPECT_FALSE(report.sound);
    std::vector<bool> sound;
    for (const sfx::MemberCheck& check : report.members) sound.push_back(check.sound);
    EXPECT_EQ(sound, (std::vector<bool>{true, false, true}));

    dir.supportFiles = {"gone.dll"};
    file = sfx::BuildInstaller(PeStub(0x300), dir, {{"setup.exe", good, sfx::Deflated}});
    EXPECT_FALSE(sfx::Verify(file, sfx::Inspect(file)).sound);
}


TEST(Verify, TheStubRunSaysWhatTheStubDoesAndHowSure) {
    Bytes data = TextLike(3000, 8), runsOn = sfx::DeflateMember(data, 9, false);
    Put32(runsOn, 0, 2999);
    struct Row {
        const char* name;
        Bytes stored;
        int32_t method;
        sfx::StubAction action;
        sfx::Certainty certainty;
        const char* box;
    } rows[] = {
        {"matched.dll", sfx::DeflateMember(data), sfx::Deflated, sfx::StubAction::Writes, sfx::Certainty::CheckMatched, ""},
        {"nocheck.dll", sfx::DeflateMember(data, 9, false), sfx::Deflated, sfx::StubAction::Writes,
         sfx::Certainty::NoCheck, ""},
        {"stored.dll", data, sfx::Stored, sfx::StubAction::Writes, sfx::Certainty::NoCheck, ""},
        {"runson.dll", runsOn, sfx::Deflated, sfx::StubAction::ShowsBox, sfx::Certainty::ProvenDamaged, "Zlib error"},
        {"method.dll", data, 1, sfx::StubAction::ShowsBox, sfx::Certainty::ProvenDamaged,
         "Self extracting header requires Quillmoor 97"},
    };
    sfx::Directory dir{"setup.exe", "setup.lst", {"missing.dll"}, {}, ""};
    // The stub takes the first entry of a name, whatever the case of a later one.
    std::vector<sfx::Member> members = {{"setup.exe", ToBytes("MZ")}, {"SETUP.EXE", ToBytes("later")},
                                        {"setup.lst", ToBytes("[x]")}};
    for (const Row& row : rows) {
        dir.supportFiles.push_back(row.name);
        members.push_back({row.name, row.stored, row.method});
    }
    Bytes file = sfx::BuildInstaller(PeStub(0x300), dir, members);
    sfx::StubRun run = sfx::PredictStubRun(file, sfx::Inspect(file));
    EXPECT_TRUE(run.openBoxes.empty());
    ASSERT_EQ(run.steps.size(), 3u + std::size(rows));
    EXPECT_EQ(run.steps[0].data, ToBytes("MZ"));
    EXPECT_EQ(run.steps[2].path, "c:\\_setup\\missing.dll");
    EXPECT_EQ(run.steps[2].action, sfx::StubAction::FindsNothing);
    for (size_t i = 0; i < std::size(rows); ++i) {
        const sfx::StubStep& step = run.steps[3 + i];
        SCOPED_TRACE(step.name);
        EXPECT_EQ(step.action, rows[i].action);
        EXPECT_EQ(step.certainty, rows[i].certainty);
        EXPECT_EQ(step.box, rows[i].box);
        if (step.action == sfx::StubAction::Writes) {
            EXPECT_EQ(step.data, data);
        }
    }
}
