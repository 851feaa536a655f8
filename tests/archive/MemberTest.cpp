// Member extraction: finding members, both methods, every refusal, and the files written.
#include <sys/stat.h>
#include <unistd.h>
#include "archive/Archive.h"
#include "support/HostRun.h"
#include "system/Files.h"
#include "system/Memory.h"
#include "system/posix/HostControl.h"

namespace {
const char* const ZlibError = "Zlib error";
const char* const MethodRefused = "Self extracting header requires Quillmoor 97";

// "MZdata" and a directory whose member tables are written exactly as given, lies included.
sfx::Bytes TablesBehindData(const std::vector<std::string>& names, const std::vector<int32_t>& offsets,
                            const std::vector<int32_t>& sizes, const std::vector<int32_t>& methods) {
    sfx::ByteWriter w;
    w.putBytes("MZdata", 6);
    w.putText("a");
    w.putText("b");
    w.putList({});
    w.putList({});
    w.putList(names);
    w.putTable(offsets);
    w.putTable(sizes);
    w.putTable(methods);
    w.putText("");
    sfx::Bytes trailer = sfx::Trailer(6);
    w.putBytes(trailer.data(), trailer.size());
    return w.bytes;
}
}  // namespace

class Members : public HostRun {
protected:
    // Opens an installer holding exactly these members, named in the directory as support files.
    void openWith(const std::vector<sfx::Member>& members) {
        sfx::Directory dir{"setup.exe", "setup.lst", {}, {}, ""};
        for (const sfx::Member& m : members) dir.supportFiles.push_back(m.name);
        ASSERT_EQ(archive.open(installer(sfx::BuildInstaller(FakeStub(), dir, members)).c_str()), 1);
    }

    // Extracts the member to c:\out\<name> and gives back the file's bytes.
    sfx::Bytes extract(const std::string& name) {
        std::string path = "c:\\out\\" + name;
        writeFile("c:\\out\\.keep", {});
        archive.extractMember(name.c_str(), path.c_str());
        return readFile(path);
    }

    void expectOnly(const Box& box) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], box);
        boxes.clear();
    }

    // The archive outlives the check for files left open: its own file is closed first.
    void TearDown() override {
        if (archive.file && archive.file != InvalidFile()) CloseFile(archive.file);
        archive.file = 0;
        HostRun::TearDown();
    }

    Archive archive;
};

TEST_F(Members, StoredMemberIsWrittenByteForByteWithNoTrailingZero) {
    sfx::Bytes data = Noise(5000);
    openWith({{"noise.bin", data, sfx::Stored}, {"empty", {}, sfx::Stored}});
    EXPECT_EQ(extract("noise.bin"), data);
    EXPECT_EQ(extract("empty"), sfx::Bytes{});
    EXPECT_TRUE(exists("c:\\out\\empty"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Members, DeflatedMembersWithAndWithoutTheCheckValue) {
    sfx::Bytes data = TextLike(100000);
    openWith({{"with.txt", sfx::DeflateMember(data, 9, true), sfx::Deflated},
              {"without.txt", sfx::DeflateMember(data, 9, false), sfx::Deflated},
              {"noise.bin", sfx::DeflateMember(Noise(3000)), sfx::Deflated}});
    EXPECT_EQ(extract("with.txt"), data);
    EXPECT_EQ(extract("without.txt"), data);
    EXPECT_EQ(extract("noise.bin"), Noise(3000));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Members, StreamsFromAnIndependentEncoderInflate) {
    sfx::Bytes data = TextLike(70000, 9);
    sfx::Bytes fast = LibdeflateMember(data, 1), best = LibdeflateMember(data, 12);
    // libdeflate's fastest level writes a different header from zlib's level 9.
    ASSERT_EQ(fast[4], 0x78);
    ASSERT_NE(fast[5], 0xDA);
    openWith({{"fast.txt", fast, sfx::Deflated}, {"best.txt", best, sfx::Deflated}});
    EXPECT_EQ(extract("fast.txt"), data);
    EXPECT_EQ(extract("best.txt"), data);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Members, ZeroSizePrefixGivesAnEmptyFile) {
    openWith({{"zero.txt", sfx::DeflateMember({}), sfx::Deflated}});
    EXPECT_EQ(extract("zero.txt"), sfx::Bytes{});
    EXPECT_TRUE(exists("c:\\out\\zero.txt"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Members, DamagedStreamsGiveZlibErrorAndNoFile) {
    sfx::Bytes data = TextLike(20000);
    sfx::Bytes wrongCheck = sfx::DeflateMember(data);
    wrongCheck.back() ^= 0x01;
    sfx::Bytes damaged = sfx::DeflateMember(data);
    damaged[damaged.size() / 2] ^= 0xFF;
    damaged[damaged.size() / 2 + 1] ^= 0xFF;
    sfx::Bytes badHeader = sfx::DeflateMember(data);
    badHeader[5] = 0xDB;  // header check bits no longer fit
    sfx::Bytes shortStream = sfx::DeflateMember(data, 9, false);
    shortStream.resize(shortStream.size() / 2);  // the stream ends early: output left unfilled
    sfx::Bytes tooBig = sfx::DeflateMember(data, 9, false);
    tooBig[0] += 1;  // one byte more declared than the stream holds
    // One byte changed where the garbage it decodes to fills the output before the stream
    // ends: inflate then stops with Z_OK and never reaches the check value.
    sfx::Bytes overrun = sfx::DeflateMember(TextLike(30000));
    overrun[overrun.size() / 2] ^= 0xFF;
    sfx::Bytes tooSmall = sfx::DeflateMember(data);
    tooSmall[0] -= 1;  // one byte less declared than the stream holds
    sfx::Bytes negative = sfx::DeflateMember(data);
    negative[3] = 0x80;
    openWith({{"check", wrongCheck, sfx::Deflated}, {"damaged", damaged, sfx::Deflated},
              {"header", badHeader, sfx::Deflated}, {"short", shortStream, sfx::Deflated},
              {"toobig", tooBig, sfx::Deflated}, {"negative", negative, sfx::Deflated},
              {"tiny", {1, 0, 0}, sfx::Deflated}, {"prefixonly", {1, 0, 0, 0}, sfx::Deflated},
              {"overrun", overrun, sfx::Deflated}, {"toosmall", tooSmall, sfx::Deflated}});
    for (const char* name : {"check", "damaged", "header", "short", "toobig", "negative", "tiny", "prefixonly",
                             "overrun", "toosmall"}) {
        extract(name);
        expectOnly(ErrorBox(ZlibError));
        EXPECT_FALSE(exists(std::string("c:\\out\\") + name)) << name;
    }
}

TEST_F(Members, ADeclaredSizeNoStreamCouldFillIsRefusedBeforeAllocation) {
    sfx::Bytes huge = sfx::DeflateMember(TextLike(100));
    huge[0] = huge[1] = huge[2] = 0xFF;
    huge[3] = 0x7F;
    openWith({{"huge", huge, sfx::Deflated}});
    extract("huge");
    expectOnly(ErrorBox(ZlibError));
}

TEST_F(Members, ARunOfZerosNearTheRatioBoundIsAcceptedAndOneOverItIsRefused) {
    // zlib packs 4 MiB of zeros at about 1027:1, between 1024 and the 1032 bound.
    sfx::Bytes zeros(4u << 20, 0), packed = sfx::DeflateMember(zeros);
    int32_t stream = (int32_t)packed.size() - 4;
    ASSERT_GT((int64_t)zeros.size(), (int64_t)stream * 1024);
    sfx::Bytes over = packed;
    WriteLittle32(over.data(), stream * 1032 + 1);
    openWith({{"zeros", packed, sfx::Deflated}, {"over", over, sfx::Deflated}});
    EXPECT_EQ(extract("zeros"), zeros);
    EXPECT_TRUE(boxes.empty());
    // Refused before the declared size is asked for: only the stored block is allocated.
    int before = HostCallCount(HostCall::AllocGlobal);
    extract("over");
    expectOnly(ErrorBox(ZlibError));
    EXPECT_EQ(HostCallCount(HostCall::AllocGlobal), before + 1);
}

TEST_F(Members, OtherMethodsAreRefused) {
    openWith({{"one", ToBytes("abc"), 1}, {"three", ToBytes("abc"), 3}, {"minus", ToBytes("abc"), -1}});
    for (const char* name : {"one", "three", "minus"}) {
        extract(name);
        expectOnly(ErrorBox(MethodRefused));
        EXPECT_FALSE(exists(std::string("c:\\out\\") + name));
    }
}

TEST_F(Members, NamesAreFoundIgnoringAsciiCaseAndTheFirstDuplicateWins) {
    openWith({{"Read.Me", ToBytes("first"), sfx::Stored}, {"READ.ME", ToBytes("second"), sfx::Stored}});
    EXPECT_EQ(ToText(extract("read.me")), "first");
    EXPECT_EQ(ToText(extract("READ.ME")), "first");
    extract("missing");
    EXPECT_FALSE(exists("c:\\out\\missing"));
    EXPECT_TRUE(boxes.empty());  // a member that is not there is passed over silently
}

TEST_F(Members, AnExistingFileIsEmptiedAndRewritten) {
    openWith({{"a.txt", ToBytes("short"), sfx::Stored}});
    writeFile("c:\\out\\a.txt", TextLike(10000));
    EXPECT_EQ(ToText(extract("a.txt")), "short");
}

TEST_F(Members, AnUncreatableFileIsShownWithItsPath) {
    openWith({{"a.txt", ToBytes("data"), sfx::Stored}});
    EXPECT_EQ(archive.extractMember("a.txt", "c:\\no\\such\\folder\\a.txt"), 0);
    expectOnly(MessageBox("Cannot create file: c:\\no\\such\\folder\\a.txt"));
    writeFile("c:\\ro\\a.txt", ToBytes("kept"));
    chmod(hostPath("c:\\ro\\a.txt").c_str(), 0444);
    EXPECT_EQ(archive.extractMember("a.txt", "c:\\ro\\a.txt"), 0);
    expectOnly(MessageBox("Cannot create file: c:\\ro\\a.txt"));
    EXPECT_EQ(ToText(readFile("c:\\ro\\a.txt")), "kept");
}

TEST_F(Members, AMissingTableEntryIsNotAMember) {
    // No offset for c, no method for b or c.
    ASSERT_EQ(archive.open(installer(TablesBehindData({"a", "b", "c"}, {2, 2}, {4, 4, 4}, {0})).c_str()), 1);
    EXPECT_EQ(ToText(extract("a")), "data");
    extract("b");
    extract("c");
    EXPECT_FALSE(exists("c:\\out\\b"));
    EXPECT_FALSE(exists("c:\\out\\c"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Members, EachTableOneEntryShortHidesTheLastMember) {
    // One table short at a time, so that no other table's check stands in for it.
    const std::vector<int32_t> full = {2, 2, 2}, cut = {2, 2}, zeros = {0, 0, 0}, zerosCut = {0, 0};
    const std::vector<int32_t>* rows[][3] = {{&cut, &full, &zeros}, {&full, &cut, &zeros}, {&full, &full, &zerosCut}};
    for (const auto& row : rows) {
        Archive one;
        ASSERT_EQ(one.open(installer(TablesBehindData({"a", "b", "c"}, *row[0], *row[1], *row[2])).c_str()), 1);
        EXPECT_EQ(unpack(one, "c"), std::nullopt);
        EXPECT_NE(unpack(one, "b"), std::nullopt);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Members, AFileThatShrankAfterTheOpenShowsCannotReadFile) {
    // Cut at the member's first byte (the read delivers nothing) and inside it (it delivers less).
    for (size_t keep : {512u, 600u}) {
        Archive one;
        sfx::Directory dir{"setup.exe", "setup.lst", {}, {}, ""};
        std::string path = installer(sfx::BuildInstaller(FakeStub(512), dir, {{"a.txt", Noise(200), sfx::Stored}}));
        ASSERT_EQ(one.open(path.c_str()), 1);
        ASSERT_EQ(truncate(hostPath(path).c_str(), (off_t)keep), 0);
        EXPECT_EQ(one.extractMember("a.txt", "c:\\out.txt"), 0);
        expectOnly(ErrorBox("Cannot read file"));
        EXPECT_FALSE(exists("c:\\out.txt")) << keep;
    }
}

TEST_F(Members, BytesOutsideTheFileAreNeverWritten) {
    ASSERT_EQ(archive.open(installer(TablesBehindData({"past", "negsize", "negoffset", "straddle"}, {2, 2, -1, 4},
                                                      {100000, -4, 4, 0x7FFFFFF0}, {0, 0, 0, 0}))
                               .c_str()),
              1);
    for (const char* name : {"past", "negsize", "negoffset", "straddle"}) {
        extract(name);
        expectOnly(ErrorBox("Cannot read file"));
        EXPECT_FALSE(exists(std::string("c:\\out\\") + name)) << name;
    }
}
