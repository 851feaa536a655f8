// Packing: the layout the stub expects, the members' stored forms, and the names it refuses.
#include <zlib.h>
#include <map>
#include "read/Inspect.h"
#include "write/Pack.h"
#include "PackTestSupport.h"

using sfx::Bytes;

TEST(Pack, InstallersAreLaidOutAsTheStubExpects) {
    Bytes file = SampleInstaller();
    EXPECT_TRUE(std::equal(file.begin(), file.begin() + 0x400, PeStub(0x400).begin()));
    sfx::Inspection in = sfx::Inspect(file);
    EXPECT_TRUE(in.problems.empty());
    EXPECT_EQ(in.members.front().offset, 0x400);
    for (size_t i = 1; i < in.members.size(); ++i)
        EXPECT_EQ(in.members[i].offset, in.members[i - 1].offset + in.members[i - 1].storedSize);
    EXPECT_EQ((uint64_t)in.directoryOffset, (uint64_t)in.members.back().offset + in.members.back().storedSize);
    EXPECT_EQ(in.directoryEnd, file.size() - 8);
    EXPECT_EQ(in.extraNames, (std::vector<std::string>{"setup.lst", "readme.txt", "noise.bin"}));
}

TEST(Pack, DeflatedMembersCarryTheirSizeALevel9HeaderAndByDefaultTheCheckValue) {
    Bytes data = TextLike(8000, 1);
    Bytes kept = sfx::PackMember({"a", data}, {}).stored;
    EXPECT_EQ(Get32(kept, 0), 8000);
    EXPECT_EQ(kept[4], 0x78);
    EXPECT_EQ(kept[5], 0xDA);
    uint32_t adler = (uint32_t)adler32(1, data.data(), (uInt)data.size());
    const uint8_t* end = kept.data() + kept.size() - 4;
    EXPECT_EQ((uint32_t)end[0] << 24 | end[1] << 16 | end[2] << 8 | end[3], adler);

    sfx::PackOptions noCheck;
    noCheck.keepCheck = false;
    EXPECT_EQ(sfx::PackMember({"a", data}, noCheck).stored, Bytes(kept.begin(), kept.end() - 4));
    // Whole, zlib's encoder writes what compress2 writes.
    sfx::PackOptions zlib;
    zlib.encoder = sfx::EncoderKind::Zlib;
    zlib.level = 9;
    EXPECT_EQ(sfx::PackMember({"a", data}, zlib).stored, sfx::DeflateMember(data, 9));
}

TEST(Pack, MembersAreStoredWhenDeflateWouldNotShrinkThemOrAGlobSaysSo) {
    EXPECT_EQ(sfx::PackMember({"n", Noise(5000)}, {}).method, sfx::Stored);
    EXPECT_EQ(sfx::PackMember({"e", {}}, {}).method, sfx::Stored);
    sfx::PackOptions options;
    options.storeGlobs = {"*.CAB"};
    EXPECT_EQ(sfx::PackMember({"data1.cab", TextLike(5000)}, options).stored, TextLike(5000));
    EXPECT_EQ(sfx::PackMember({"data1.lst", TextLike(5000)}, options).method, sfx::Deflated);
    options.level = 0;
    EXPECT_EQ(sfx::PackMember({"t", TextLike(5000)}, options).method, sfx::Stored);
    // A member of several pieces is judged by its first, which goes out before the rest are done.
    options = {};
    options.pieceSize = 4096;
    EXPECT_EQ(sfx::PackMember({"nt", Joined(Noise(4096), TextLike(30000))}, options).method, sfx::Stored);
    EXPECT_EQ(sfx::PackMember({"tn", Joined(TextLike(4096), Noise(30000))}, options).method, sfx::Deflated);
}

TEST(Pack, AMemberIsDeflatedOnlyWhenThatMakesItSmaller) {
    // Text before noise, more of it each time, until deflating saves nothing and then one byte.
    std::map<long, Bytes> bySaving;
    for (size_t text = 0; text < 400 && !(bySaving.count(0) && bySaving.count(1)); ++text) {
        Bytes data = Joined(TextLike(text), Noise(1000));
        bySaving[(long)data.size() - (long)sfx::DeflateMember(data, 9).size()] = data;
    }
    sfx::PackOptions zlib;
    zlib.encoder = sfx::EncoderKind::Zlib;
    zlib.level = 9;
    EXPECT_EQ(sfx::PackMember({"m", bySaving.at(0)}, zlib).method, sfx::Stored);
    EXPECT_EQ(sfx::PackMember({"m", bySaving.at(1)}, zlib).method, sfx::Deflated);
}

TEST(Pack, NamesTheStubCouldNotTellApartAreRefused) {
    sfx::PackInputs inputs;
    inputs.setupProgram = {"setup.exe", ToBytes("E")};
    inputs.projectFile = {"Setup.Exe", ToBytes("L")};
    EXPECT_THROW(sfx::Pack(inputs, {}), sfx::PackError);
    inputs.projectFile.name = "";
    EXPECT_THROW(sfx::Pack(inputs, {}), sfx::PackError);
    // The stub compares bytes beyond ASCII as they are, but Windows upper-cases them: É and é
    // are one file to it; ß and ÿ are two to both.
    inputs.projectFile.name = "\xC9.txt";
    inputs.supportFiles = {{"\xE9.txt", {}}};
    EXPECT_THROW(sfx::Pack(inputs, {}), sfx::PackError);
    inputs.projectFile.name = "\xDF.txt";
    inputs.supportFiles = {{"\xFF.txt", {}}};
    EXPECT_NO_THROW(sfx::Pack(inputs, {}));
}

TEST(Pack, ALargeMemberDeflatedInPiecesInflatesWholeAndMovesTheProgress) {
    const uint64_t piece = 256u << 10;
    Bytes data = TextLike(3 * piece + 5, 5);
    for (int level : {1, 6, 9, 12}) {
        sfx::PackOptions options;
        options.level = level;
        options.keepCheck = level != 6;
        options.pieceSize = piece;
        std::vector<uint64_t> steps;
        Bytes stepped = sfx::PackMember({"big", data}, options, [&](uint64_t read) { steps.push_back(read); }).stored;
        EXPECT_EQ(InflateAsTheStub(stepped), data) << level;
        EXPECT_EQ(steps, (std::vector<uint64_t>{piece, 2 * piece, 3 * piece, data.size()})) << level;
    }
}

TEST(Pack, TheSameInputsGiveTheSameBytesWhateverTheThreads) {
    sfx::PackInputs inputs;
    inputs.stub = PeStub(0x400);
    inputs.setupProgram = {"setup.exe", TextLike(70000, 1)};
    inputs.projectFile = {"setup.lst", Noise(30000)};
    for (unsigned i = 0; i < 12; ++i) inputs.others.push_back({"m" + std::to_string(i), TextLike(9000 * i, i)});
    sfx::PackOptions options;
    options.pieceSize = 16384;
    options.jobs = 1;
    Bytes one = sfx::Pack(inputs, options);
    for (int jobs : {2, 3, 8}) {
        options.jobs = jobs;
        EXPECT_EQ(sfx::Pack(inputs, options), one) << jobs;
    }
    EXPECT_TRUE(sfx::Inspect(one).problems.empty());
}
