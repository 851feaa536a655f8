// Packing: the layout the stub expects, the members' stored forms, and the names it refuses.
#include <zlib.h>
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
}

TEST(Pack, NamesTheStubCouldNotTellApartAreRefused) {
    sfx::PackInputs inputs;
    inputs.setupProgram = {"setup.exe", ToBytes("E")};
    inputs.projectFile = {"Setup.Exe", ToBytes("L")};
    EXPECT_THROW(sfx::Pack(inputs, {}), sfx::PackError);
    inputs.projectFile.name = "";
    EXPECT_THROW(sfx::Pack(inputs, {}), sfx::PackError);
    // Bytes beyond ASCII are compared as they are, as the stub compares them.
    inputs.projectFile.name = "\xC9.txt";
    inputs.supportFiles = {{"\xE9.txt", {}}};
    EXPECT_NO_THROW(sfx::Pack(inputs, {}));
}

TEST(Pack, ALargeMemberDeflatedInStepsGivesTheSameBytesAndMovesTheProgress) {
    Bytes data = TextLike((3u << 20) + 5, 5);
    for (int level : {1, 6, 9}) {
        sfx::PackOptions options;
        options.level = level;
        options.keepCheck = level != 6;
        std::vector<uint64_t> steps;
        Bytes stepped = sfx::PackMember({"big", data}, options, [&](uint64_t read) { steps.push_back(read); }).stored;
        EXPECT_EQ(stepped, sfx::DeflateMember(data, level, options.keepCheck)) << level;
        EXPECT_EQ(steps, (std::vector<uint64_t>{1u << 20, 2u << 20, 3u << 20, data.size()})) << level;
    }
}
