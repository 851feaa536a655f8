// Packing: the members' stored forms, the choice between deflating and storing, names, and
// reproducible output.
#include <zlib.h>
#include "Inspect.h"
#include "Pack.h"
#include "PackTestSupport.h"
#include "Unpack.h"

using sfx::Bytes;

static sfx::PackInputs Inputs() {
    sfx::PackInputs inputs;
    inputs.stub = PeStub(0x400);
    inputs.setupProgram = {"setup.exe", TextLike(8000, 1)};
    inputs.projectFile = {"setup.lst", TextLike(300, 2)};
    inputs.supportFiles = {{"noise.bin", Noise(2000)}, {"empty.txt", {}}, {"tiny.txt", ToBytes("x")}};
    inputs.others = {{"extra.dat", TextLike(4000, 3)}};
    return inputs;
}

static uint32_t Adler(const Bytes& data) { return (uint32_t)adler32(adler32(0, nullptr, 0), data.data(), (uInt)data.size()); }

TEST(Pack, MembersComeBackByteForByteInTableOrder) {
    sfx::PackInputs inputs = Inputs();
    Bytes file = sfx::Pack(inputs, {});
    EXPECT_TRUE(std::equal(inputs.stub.begin(), inputs.stub.end(), file.begin()));
    sfx::Inspection in = sfx::Inspect(file);
    EXPECT_TRUE(in.problems.empty());
    EXPECT_EQ(in.setupProgram, "setup.exe");
    EXPECT_EQ(in.projectFile, "setup.lst");
    EXPECT_EQ(in.supportFiles, (std::vector<std::string>{"noise.bin", "empty.txt", "tiny.txt"}));
    EXPECT_EQ(in.extraNames, (std::vector<std::string>{"setup.lst", "noise.bin", "empty.txt", "tiny.txt", "extra.dat"}));
    std::vector<const sfx::PackFile*> expected = {&inputs.setupProgram, &inputs.projectFile, &inputs.supportFiles[0],
                                                  &inputs.supportFiles[1], &inputs.supportFiles[2], &inputs.others[0]};
    ASSERT_EQ(in.members.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(in.members[i].name, expected[i]->name);
        sfx::Unpacked unpacked = sfx::UnpackMember(file, in.members[i]);
        ASSERT_TRUE(unpacked.ok) << unpacked.detail;
        EXPECT_EQ(unpacked.data, expected[i]->data) << expected[i]->name;
    }
    EXPECT_TRUE(sfx::Verify(file, in).sound);
}

TEST(Pack, DeflatedMembersCarryTheirSizeALevel9HeaderAndByDefaultTheCheckValue) {
    Bytes data = TextLike(8000, 1);
    sfx::Member kept = sfx::PackMember({"a", data}, {});
    ASSERT_EQ(kept.method, sfx::Deflated);
    EXPECT_EQ(Get32(kept.stored, 0), 8000);
    EXPECT_EQ(kept.stored[4], 0x78);
    EXPECT_EQ(kept.stored[5], 0xDA);
    uint32_t adler = Adler(data);
    const uint8_t* end = kept.stored.data() + kept.stored.size() - 4;
    EXPECT_EQ((uint32_t)end[0] << 24 | end[1] << 16 | end[2] << 8 | end[3], adler);

    sfx::PackOptions noCheck;
    noCheck.keepCheck = false;
    sfx::Member stripped = sfx::PackMember({"a", data}, noCheck);
    ASSERT_EQ(stripped.stored.size(), kept.stored.size() - 4);
    EXPECT_TRUE(std::equal(stripped.stored.begin(), stripped.stored.end(), kept.stored.begin()));
}

TEST(Pack, MembersAreStoredWhenDeflateWouldNotShrinkThemOrAGlobSaysSo) {
    EXPECT_EQ(sfx::PackMember({"n", Noise(5000)}, {}).method, sfx::Stored);
    EXPECT_EQ(sfx::PackMember({"e", {}}, {}).method, sfx::Stored);
    EXPECT_EQ(sfx::PackMember({"x", ToBytes("x")}, {}).method, sfx::Stored);

    sfx::PackOptions store;
    store.storeGlobs = {"*.CAB", "setup.ex?"};
    sfx::Member cab = sfx::PackMember({"data1.cab", TextLike(5000)}, store);
    EXPECT_EQ(cab.method, sfx::Stored);
    EXPECT_EQ(cab.stored, TextLike(5000));
    EXPECT_EQ(sfx::PackMember({"setup.exe", TextLike(5000)}, store).method, sfx::Stored);
    EXPECT_EQ(sfx::PackMember({"setup.lst", TextLike(5000)}, store).method, sfx::Deflated);

    sfx::PackOptions level0;
    level0.level = 0;
    EXPECT_EQ(sfx::PackMember({"t", TextLike(5000)}, level0).method, sfx::Stored);
    sfx::PackOptions level1;
    level1.level = 1;
    Bytes fast = sfx::PackMember({"t", TextLike(5000)}, level1).stored;
    EXPECT_EQ(fast[5], 0x01);  // the header tells the level: 78 01
}

TEST(Pack, NamesTheStubCouldNotTellApartAreRefused) {
    sfx::PackInputs inputs = Inputs();
    inputs.others.push_back({"SETUP.LST", ToBytes("again")});
    EXPECT_THROW(sfx::Pack(inputs, {}), sfx::PackError);
    inputs = Inputs();
    inputs.projectFile.name = "Setup.Exe";
    EXPECT_THROW(sfx::Pack(inputs, {}), sfx::PackError);
    inputs = Inputs();
    inputs.supportFiles[0].name = "";
    EXPECT_THROW(sfx::Pack(inputs, {}), sfx::PackError);
    // Bytes beyond ASCII are compared as they are, as the stub compares them.
    inputs = Inputs();
    inputs.supportFiles[0].name = "\xC9.txt";
    inputs.supportFiles[1].name = "\xE9.txt";
    EXPECT_NO_THROW(sfx::Pack(inputs, {}));
}

TEST(Pack, TheSameInputsGiveTheSameBytes) {
    sfx::PackOptions options;
    options.storeGlobs = {"tiny*"};
    Bytes first = sfx::Pack(Inputs(), options);
    EXPECT_EQ(sfx::Pack(Inputs(), options), first);
    options.keepCheck = false;
    EXPECT_NE(sfx::Pack(Inputs(), options), first);
}
