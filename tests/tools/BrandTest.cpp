// Branding a stub: the .ico reader on hand-laid files, the resource section builder against
// hand-laid bytes, the headers of a branded stub, hostile resource sections, and the options of
// create, restub and list; manifests: the bytes written for each execution level, author's
// manifests refused, and hostile ones read with a warning.
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <set>
#include "write/Brand.h"
#include "read/Face.h"
#include "pe/IconGroup.h"
#include "pe/Image.h"
#include "pe/Manifest.h"
#include "PackTestSupport.h"
#include "pe/ResourceTree.h"
#include "support/IconSamples.h"

namespace {

using sfx::Bytes;

const Bytes Png8 = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// An .ico header for one image of `size` bytes at `offset`, then the tail.
Bytes OneImageIco(uint32_t size, uint32_t offset, const Bytes& tail) {
    Bytes file = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put32(file, 14, (int32_t)size);
    Put32(file, 18, (int32_t)offset);
    file.insert(file.end(), tail.begin(), tail.end());
    return file;
}

struct IcoCase {
    const char* name;
    Bytes file;
    const char* error;  // empty for a file that reads as one image
};
const Bytes Dib40 = [] {
    Bytes header(40, 0);
    header[0] = 40;
    return header;
}();
const IcoCase IcoRows[] = {
    {"Empty", {}, "the file is empty"},
    {"CutHeader", {0, 0, 1, 0}, "cut short in its header"},
    {"NoImages", {0, 0, 1, 0, 0, 0}, "it holds no images"},
    {"Cursor", {0, 0, 2, 0, 1, 0}, "it is not an icon file"},
    {"CutDirectory", {0, 0, 1, 0, 2, 0, 16, 16, 0, 0, 1, 0, 32, 0, 8, 0, 0, 0, 38, 0, 0, 0}, "directory of 2 images"},
    {"PastTheEnd", OneImageIco(100, 22, Png8), "image 1 lies past the end of the file (100 bytes at 22"},
    {"OffsetWraps", OneImageIco(0x20, 0xFFFFFFF0, Png8), "image 1 lies past the end"},
    {"EmptyImage", OneImageIco(0, 22, {}), "image 1 is empty"},
    {"NeitherBitmapNorPng", OneImageIco(8, 22, ToBytes("notimage")), "neither a bitmap nor a PNG"},
    {"Png", OneImageIco(8, 22, Png8), ""},
    {"Bitmap", OneImageIco(40, 22, Dib40), ""},
};

class IcoFiles : public ::testing::TestWithParam<IcoCase> {};

TEST_P(IcoFiles, AreReadOrRefusedSayingWhy) {
    const IcoCase& row = GetParam();
    try {
        std::vector<sfx::IconImage> images = sfx::ReadIconFile(row.file);
        ASSERT_EQ(std::string(row.error), "") << "read a bad file";
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].data, Bytes(row.file.begin() + 22, row.file.end()));
    } catch (const sfx::IconError& error) {
        EXPECT_NE(std::string(row.error), "") << error.what();
        EXPECT_NE(std::string(error.what()).find(row.error), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Brand, IcoFiles, ::testing::ValuesIn(IcoRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResourceSection, IsLaidOutAsTheLoaderSearchesIt) {
    sfx::IconImage image{16, 16, 0, 1, 32, Png8};
    std::vector<sfx::Resource> resources = {
        {sfx::ResourceNumber(14), {true, 0, u"AB"}, 0x409, 0, sfx::EncodeIconGroup({image}, {1})},
        {sfx::ResourceNumber(3), sfx::ResourceNumber(1), 0x409, 0, Png8}};
    const Bytes expected = {  // the root, then each level in turn
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 3, 0, 0, 0, 32, 0, 0, 0x80, 14, 0, 0, 0, 56, 0, 0, 0x80,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 80, 0, 0, 0x80,        // type 3: name 1
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 128, 0, 0, 0x80, 104, 0, 0, 0x80,  // type 14: "AB"
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 9, 4, 0, 0, 136, 0, 0, 0,          // language 0409
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 9, 4, 0, 0, 152, 0, 0, 0,          // language 0409
        2, 0, 'A', 0, 'B', 0, 0, 0,                                                        // "AB"
        0xA8, 0x30, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                              // the icon's data entry
        0xB0, 0x30, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                             // the group's
        0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',                                       // the icon
        0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 8, 0, 0, 0, 1, 0};                    // the group
    Bytes section = sfx::BuildResourceSection(resources, 0x3000);
    EXPECT_EQ(section, expected);
    std::vector<sfx::Resource> read;
    ASSERT_EQ(sfx::ReadResources(section, 0x3000, 0, read), "");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1].name.name, u"AB");
    EXPECT_EQ(read[1].data, resources[0].data);
}

TEST(ResourceSection, SortsTheLanguagesOfAName) {
    std::vector<sfx::Resource> resources = {{sfx::ResourceNumber(3), sfx::ResourceNumber(1), 0x409, 0, Png8},
                                            {sfx::ResourceNumber(3), sfx::ResourceNumber(1), 0x407, 0, Png8}};
    std::vector<sfx::Resource> read;
    ASSERT_EQ(sfx::ReadResources(sfx::BuildResourceSection(resources, 0x3000), 0x3000, 0, read), "");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].language * 0x10000 + read[1].language, 0x4070409);
}

// A tree counts a type, a name and a language entry per resource: 2 types and 2,047 names make
// 4,096 entries, 1 type and 2,048 names one more.
TEST(ResourceSection, HoldsAtMost4096Entries) {
    const struct {
        int types, names;
        const char* error;
    } rows[] = {{2, 2047, ""}, {1, 2048, "it holds more than 4096 entries"}};
    for (const auto& row : rows) {
        std::vector<sfx::Resource> resources, read;
        for (int i = 0; i < row.names; ++i)
            resources.push_back(
                {sfx::ResourceNumber((uint16_t)(3 + i % row.types)), sfx::ResourceNumber((uint16_t)i), 0, 0, {}});
        EXPECT_EQ(sfx::ReadResources(sfx::BuildResourceSection(resources, 0), 0, 0, read), row.error) << row.names;
    }
}

// A stub whose one section holds resources: an icon group SMILE of one 32x32 bitmap.
const size_t Optional = 0x98;
size_t SectionHeader(bool wide) { return wide ? 0x188 : 0x178; }
size_t ResourceEntry(bool wide) { return Optional + (wide ? 112 : 96) + 16; }

const std::vector<sfx::Resource> Smile = {
    {sfx::ResourceNumber(14), {true, 0, u"SMILE"}, 0x409, 0, sfx::EncodeIconGroup({IconOf(32, false)}, {1})},
    {sfx::ResourceNumber(3), sfx::ResourceNumber(1), 0x409, 0, BitmapImage(32)}};

Bytes ResourceStub(bool wide, const std::vector<sfx::Resource>& resources = Smile) {
    Bytes section = sfx::BuildResourceSection(resources, 0x1000);
    size_t raw = (section.size() + 0x1FF) / 0x200 * 0x200;
    Bytes stub = PeImageOf(0x200 + raw, wide);
    std::fill(stub.begin() + 0x200, stub.end(), 0);
    std::copy(section.begin(), section.end(), stub.begin() + 0x200);
    for (auto [at, value] : {std::pair<size_t, size_t>{Optional + 8, raw}, {Optional + 32, 0x1000},
                             {Optional + 36, 0x200},
                             {Optional + 56, 0x1000 + (section.size() + 0xFFF) / 0x1000 * 0x1000},
                             {ResourceEntry(wide), 0x1000}, {ResourceEntry(wide) + 4, section.size()},
                             {SectionHeader(wide) + 8, section.size()}, {SectionHeader(wide) + 12, 0x1000},
                             {SectionHeader(wide) + 36, 0x40000040}})
        Put32(stub, at, (int32_t)value);
    Put32(stub, Optional + 64, (int32_t)sfx::PeChecksum(stub, Optional + 64));
    return stub;
}

sfx::Branding SampleBranding() {
    sfx::VersionInfo version;
    version.fileVersion = {1, 2, 3, 4};
    version.productVersion = {5, 6, 0, 65535};
    version.strings = {{"CompanyName", "Grünwald & Söhne"}, {"FileDescription", "Demo set-up"}};
    return sfx::Branding{SampleIcon(), version, sfx::MakeManifest(sfx::ExecutionLevel::RequireAdministrator)};
}

class BrandedHeaders : public ::testing::TestWithParam<bool> {};

TEST_P(BrandedHeaders, DescribeTheRebuiltSectionAndReadBack) {
    bool wide = GetParam();
    Bytes stub = ResourceStub(wide), branded = stub;
    sfx::Brand(branded, SampleBranding());
    uint32_t size = (uint32_t)Get32(branded, SectionHeader(wide) + 8), raw = (uint32_t)(branded.size() - 0x200);
    EXPECT_EQ(Get32(branded, SectionHeader(wide) + 16), (int32_t)raw);
    EXPECT_TRUE(raw % 0x200 == 0 && raw - size < 0x200) << size << " in " << raw;
    EXPECT_EQ(Get32(branded, ResourceEntry(wide)), 0x1000);
    EXPECT_EQ(Get32(branded, ResourceEntry(wide) + 4), (int32_t)size);
    EXPECT_EQ(Get32(branded, Optional + 56), (int32_t)(0x1000 + (size + 0xFFF) / 0x1000 * 0x1000));
    EXPECT_EQ(Get32(branded, Optional + 8) - Get32(stub, Optional + 8), (int32_t)(branded.size() - stub.size()));
    EXPECT_EQ((uint32_t)Get32(branded, Optional + 64), sfx::PeChecksum(branded, Optional + 64));
    std::string why;
    EXPECT_TRUE(sfx::UsableAsStub(branded, why)) << why;
    // Nothing else in the headers moved.
    for (size_t at : {Optional + 8, Optional + 56, Optional + 64, ResourceEntry(wide) + 4, SectionHeader(wide) + 8,
                      SectionHeader(wide) + 16})
        Put32(branded, at, Get32(stub, at));
    EXPECT_TRUE(std::equal(stub.begin(), stub.begin() + 0x200, branded.begin()));

    sfx::Brand(branded = stub, SampleBranding());
    sfx::Face face = sfx::ReadFace(branded);
    EXPECT_TRUE(face.problems.empty()) << face.problems.at(0);
    ASSERT_EQ(face.icons.size(), 1u);
    EXPECT_EQ(face.icons[0].name, "SMILE");
    std::vector<std::pair<uint32_t, bool>> images;
    for (const sfx::IconFace& image : face.icons[0].images) images.push_back({image.width, image.png});
    EXPECT_EQ(images, (std::vector<std::pair<uint32_t, bool>>{{16, false}, {32, false}, {48, false}, {256, true}}));
    ASSERT_TRUE(face.version);
    EXPECT_EQ(face.version->productVersion, (sfx::VersionNumber{5, 6, 0, 65535}));
    EXPECT_EQ(face.version->strings, SampleBranding().version->strings);
    ASSERT_TRUE(face.manifest);
    EXPECT_EQ(face.manifest->level, "requireAdministrator");
    // Branding a branded stub again gives the same bytes: nothing of the first is left over.
    Bytes again = branded;
    sfx::Brand(again, SampleBranding());
    EXPECT_EQ(again, branded);
}

INSTANTIATE_TEST_SUITE_P(Brand, BrandedHeaders, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Pe32Plus" : "Pe32"); });

// Damage done to ResourceStub(false): its tree lies at 0x200, the root's entries at 0x210, the
// icon's name directory entry at 0x260, the data entries at 0x28C and 0x29C.
struct HostileCase {
    const char* name;
    void (*damage)(Bytes&);
    const char* brandError;
    const char* faceProblem;  // empty when list finds nothing wrong
};
const HostileCase HostileRows[] = {
    {"EntriesPastTheEnd", [](Bytes& s) { Put32(s, 0x20C, 0x7FFF0000); }, "entries run past the section's end",
     "entries run past the section's end"},
    {"DataOutsideTheSection", [](Bytes& s) { Put32(s, 0x28C, 0x10); }, "lies outside the section",
     "outside the section"},
    {"DataRunsPastTheEnd", [](Bytes& s) { Put32(s, 0x290, Get32(s, SectionHeader(false) + 8) - 0x20); },
     "lies outside the section", "outside the section"},
    {"LanguageLevelLoopsBack", [](Bytes& s) { Put32(s, 0x264, (int32_t)0x80000000); }, "points at a directory",
     "points at a directory"},
    {"NameLeavesTheSection", [](Bytes& s) { Put32(s, 0x230, (int32_t)0x8000FFF0); }, "a name lies past",
     "a name lies past"},
    {"GroupCountsTooMany", [](Bytes& s) { s.at(Get32(s, 0x29C) - 0x1000 + 0x200 + 4) = 0xFF; },
     "icon group SMILE is damaged", "icon group SMILE is damaged"},
    {"NoResourceDirectory", [](Bytes& s) { Put32(s, ResourceEntry(false) + 4, 0); }, "it has no resource section", ""},
    {"DirectoryInNoSection", [](Bytes& s) { Put32(s, ResourceEntry(false), 0x9000); }, "it has no resource section",
     "lies in no section"},
    {"NotTheLastSection",
     [](Bytes& s) {
         s[0x86] = 2;
         Put32(s, SectionHeader(false) + 40 + 12, 0x9000);
     },
     "its resources are not in its last section", ""},
};

class HostileSections : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileSections, AreRefusedByBrandingAndReportedByList) {
    const HostileCase& row = GetParam();
    Bytes stub = ResourceStub(false);
    row.damage(stub);
    try {
        sfx::Brand(stub, SampleBranding());
        ADD_FAILURE() << "branded";
    } catch (const sfx::BrandError& error) {
        EXPECT_NE(std::string(error.what()).find(row.brandError), std::string::npos) << error.what();
    }
    sfx::Face face = sfx::ReadFace(stub);
    std::string problems;
    for (const std::string& problem : face.problems) problems += problem + "\n";
    EXPECT_EQ(*row.faceProblem ? problems.find(row.faceProblem) != std::string::npos : problems.empty(), true)
        << problems;
}

INSTANTIATE_TEST_SUITE_P(Brand, HostileSections, ::testing::ValuesIn(HostileRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Stubs with several icon groups, group i+1 naming the icons in groups[i], each icon its own.
// Branding replaces group 1, the one Explorer shows, and leaves the others whole.
struct GroupsCase {
    const char* name;
    std::vector<std::vector<uint16_t>> groups;
};
const GroupsCase GroupsRows[] = {
    {"NewIconsSkipIdsInUse", {{1}, {2}}},
    {"SharedIconsStay", {{1, 2}, {2}}},
    {"FirstOfThree", {{3}, {1, 3}, {2}}},
};

// The data of the icons that group names, in its order; empty data for an id that names none.
std::vector<Bytes> IconsOf(const std::vector<sfx::Resource>& resources, uint16_t group) {
    std::vector<Bytes> icons;
    std::vector<sfx::GroupEntry> entries;
    for (const sfx::Resource& r : resources)
        if (r.type == sfx::ResourceNumber(14) && r.name == sfx::ResourceNumber(group)) {
            EXPECT_TRUE(sfx::DecodeIconGroup(r.data, entries));
        }
    for (const sfx::GroupEntry& entry : entries) {
        icons.emplace_back();
        for (const sfx::Resource& r : resources)
            if (r.type == sfx::ResourceNumber(3) && r.name == sfx::ResourceNumber(entry.id)) icons.back() = r.data;
    }
    return icons;
}

class IconGroups : public ::testing::TestWithParam<GroupsCase> {};

TEST_P(IconGroups, TheFirstIsReplacedAndTheOthersKeepTheirIcons) {
    std::vector<sfx::Resource> resources;
    std::set<uint16_t> ids;
    for (size_t g = 0; g < GetParam().groups.size(); ++g) {
        std::vector<sfx::IconImage> images;
        for (uint16_t id : GetParam().groups[g]) {
            images.push_back(IconOf(20 + id, false));
            ids.insert(id);
        }
        resources.push_back({sfx::ResourceNumber(14), sfx::ResourceNumber((uint16_t)(g + 1)), 0x409, 0,
                             sfx::EncodeIconGroup(images, GetParam().groups[g])});
    }
    for (uint16_t id : ids)
        resources.push_back({sfx::ResourceNumber(3), sfx::ResourceNumber(id), 0x409, 0, BitmapImage(20 + id)});
    Bytes stub = ResourceStub(false, resources);
    sfx::Brand(stub, sfx::Branding{SampleIcon(), {}});
    std::vector<sfx::Resource> branded;
    ASSERT_EQ(sfx::ReadResources(sfx::ByteView(stub.data() + 0x200, stub.size() - 0x200), 0x1000, 0, branded), "");
    std::vector<Bytes> sample;
    for (const sfx::IconImage& image : SampleIcon()) sample.push_back(image.data);
    EXPECT_EQ(IconsOf(branded, 1), sample);
    for (uint16_t g = 2; g <= GetParam().groups.size(); ++g) EXPECT_EQ(IconsOf(branded, g), IconsOf(resources, g)) << g;
}

INSTANTIATE_TEST_SUITE_P(Brand, IconGroups, ::testing::ValuesIn(GroupsRows),
                         [](const auto& info) { return std::string(info.param.name); });

class BrandCommand : public ToolRun {
protected:
    void SetUp() override {
        ToolRun::SetUp();
        write("stub.exe", ResourceStub(false));
        write("in/setup.exe", TextLike(3000));
        write("in/setup.lst", ToBytes("files"));
        write("in/app.ico", IcoFile(SampleIcon()));
    }
    int create(const std::string& output, std::vector<std::string> options = {}) {
        std::vector<std::string> words = {"create", "-o", output, "--stub", "stub.exe", "--setup", "in/setup.exe",
                                          "--project", "in/setup.lst"};
        words.insert(words.end(), options.begin(), options.end());
        return run(words);
    }
    void expectIn(const std::string& text, const std::string& part) {
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    }
};

const std::vector<std::string> Branded = {"--icon", "in/app.ico", "--file-version", "1.10000.65535.0", "--version-string",
                                          "CompanyName=Grünwald", "--version-language", "0407"};

TEST_F(BrandCommand, CreateAndRestubBrandTheStubAndListShowsIt) {
    ASSERT_EQ(create("a.exe", Branded), 0) << err;
    ASSERT_EQ(run({"list", "a.exe"}), 0) << err;
    expectIn(out, "icon:            SMILE: 16x16 32-bit, 32x32 32-bit, 48x48 32-bit, 256x256 32-bit PNG\n");
    expectIn(out, "version:         file 1.10000.65535.0, product 1.10000.65535.0, language 0407, code page 04B0\n"
                  "                 CompanyName: Grünwald\n                 FileVersion: 1.10000.65535.0\n");
    ASSERT_EQ(run({"list", "--json", "a.exe"}), 0) << err;
    expectIn(out, "{\"width\": 256, \"height\": 256, \"bitCount\": 32, \"bytes\": ");
    expectIn(out, "\"version\": {\"fileVersion\": \"1.10000.65535.0\", \"productVersion\": \"1.10000.65535.0\", "
                  "\"language\": \"0407\"");

    // Without the options the stub is packed as it is.
    ASSERT_EQ(create("plain.exe"), 0) << err;
    Bytes stub = read("stub.exe"), plain = read("plain.exe");
    EXPECT_TRUE(std::equal(stub.begin(), stub.end(), plain.begin()));
    // Restub brands as create does, and a signed stub loses its signature first, with the note.
    write("signed.exe", SignedCopy(read("stub.exe"), false));
    std::vector<std::string> words = {"restub", "plain.exe", "--stub", "signed.exe", "-o", "r.exe"};
    words.insert(words.end(), Branded.begin(), Branded.end());
    ASSERT_EQ(run(words), 0) << err;
    expectIn(err, "note: the stub signed.exe is signed");
    EXPECT_EQ(read("r.exe"), read("a.exe"));
}

TEST_F(BrandCommand, ListWarnsOfADamagedResourceSection) {
    Bytes stub = ResourceStub(false);
    HostileRows[0].damage(stub);
    write("stub.exe", stub);
    ASSERT_EQ(create("a.exe"), 0) << err;
    ASSERT_EQ(run({"list", "a.exe"}), 0) << err;
    expectIn(err, "sfxpack: warning: resources: the resource section is damaged: a directory's entries run past");
}

struct BadCase {
    const char* name;
    std::vector<std::string> options;
    const char* error;
};
const BadCase BadRows[] = {
    {"ThreeNumbers", {"--file-version", "1.2.3"}, "--file-version takes four numbers up to 65535 as A.B.C.D"},
    {"NumberTooLarge", {"--product-version", "1.2.3.65536"}, "--product-version takes four numbers"},
    {"EmptyKey", {"--version-string", "=x"}, "the key and the value must not be empty"},
    {"EmptyValue", {"--version-string", "Comments="}, "the key and the value must not be empty"},
    {"NoEquals", {"--version-string", "Comments"}, "give KEY=VALUE"},
    {"ValueTooLong", {"--version-string", "Comments=" + std::string(1025, 'x')}, "values up to 1024"},
    {"TooManyStrings",
     [] {
         std::vector<std::string> options;
         for (int i = 0; i < 40; ++i)
             options.insert(options.end(), {"--version-string", "K" + std::to_string(i) + "=" + std::string(1024, 'x')});
         return options;
     }(),
     "the version information comes to more than 65535 bytes"},
    {"KeyTwice", {"--version-string", "A=1", "--version-string", "A=2"}, "--version-string A is given twice"},
    {"NotUtf8", {"--version-string", "A=\xff"}, "not valid UTF-8"},
    {"Language", {"--version-language", "409"}, "--version-language takes LANG or LANG/CODEPAGE"},
    {"EmptyIcon", {"--icon", "in/empty.ico"}, "the icon in/empty.ico can't be used: the file is empty"},
    {"NoIconFile", {"--icon", "in/none.ico"}, "in/none.ico"},
    {"IconWithoutImages", {"--icon", "in/zero.ico"}, "it holds no images"},
    {"UnknownLevel", {"--execution-level", "administrator"}, "--execution-level takes asInvoker, highestAvailable"},
    {"LevelAndManifest", {"--execution-level", "asInvoker", "--manifest", "in/good.manifest"}, "exclude each other"},
    {"ManifestNotXml", {"--manifest", "in/setup.lst"}, "in/setup.lst can't be used: it is not well-formed XML"},
    {"ManifestWrongRoot", {"--manifest", "in/root.manifest"}, "its root element is not an assembly in the urn:"},
    {"ManifestEmpty", {"--manifest", "in/empty.ico"}, "it is empty"},
    {"ManifestTooBig", {"--manifest", "in/big.manifest"}, "it is 65537 bytes, over the limit of 65536"},
    {"ManifestWithDtd", {"--manifest", "in/dtd.manifest"}, "a document type declaration is not taken"},
    {"StubWithoutResources", {"--icon", "in/app.ico", "--stub", "fake.exe"},
     "the stub fake.exe can't be branded: it has no resource section"},
};

class BadBranding : public BrandCommand, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadBranding, ExitsTwoWritingNothing) {
    write("in/empty.ico", {});
    write("in/zero.ico", {0, 0, 1, 0, 0, 0});
    write("fake.exe", PeStub(0x600));
    write("in/good.manifest", sfx::MakeManifest(sfx::ExecutionLevel::Unset));
    write("in/root.manifest", ToBytes("<assembly xmlns='urn:schemas-microsoft-com:asm.v3' manifestVersion='1.0'/>"));
    write("in/big.manifest", ToBytes("<assembly xmlns='urn:schemas-microsoft-com:asm.v1'>" +
                                     std::string(65537 - 62, ' ') + "</assembly>"));
    write("in/dtd.manifest", ToBytes("<!DOCTYPE a [<!ENTITY x 'y'>]><assembly/>"));
    ASSERT_EQ(create("plain.exe"), 0) << err;
    std::vector<std::string> restub = {"restub", "plain.exe", "-o", "out.exe", "--stub", "stub.exe"};
    restub.insert(restub.end(), GetParam().options.begin(), GetParam().options.end());
    for (bool restubbing : {false, true}) {
        EXPECT_EQ(restubbing ? run(restub) : create("out.exe", GetParam().options), 2) << err;
        EXPECT_NE(err.find(GetParam().error), std::string::npos) << err;
        EXPECT_FALSE(exists("out.exe"));
    }
}

INSTANTIATE_TEST_SUITE_P(Brand, BadBranding, ::testing::ValuesIn(BadRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The manifest for each level: the stubs' own bytes without one, and the level read back.
TEST(Manifest, EachLevelIsWrittenAndReadBack) {
    std::ifstream file(StubManifestPath, std::ios::binary);
    Bytes stubs((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(sfx::MakeManifest(sfx::ExecutionLevel::Unset), stubs) << "sfxpack's copy differs from the stubs'";
    const std::pair<sfx::ExecutionLevel, const char*> rows[] = {
        {sfx::ExecutionLevel::Unset, ""},
        {sfx::ExecutionLevel::AsInvoker, "asInvoker"},
        {sfx::ExecutionLevel::HighestAvailable, "highestAvailable"},
        {sfx::ExecutionLevel::RequireAdministrator, "requireAdministrator"}};
    for (auto [level, name] : rows) {
        Bytes manifest = sfx::MakeManifest(level);
        std::string text(manifest.begin(), manifest.end()),
            trust = std::string(
                        "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\"><security>"
                        "<requestedPrivileges>\n<requestedExecutionLevel level=\"") +
                    name +
                    "\" uiAccess=\"false\"/>\n"
                    "</requestedPrivileges></security></trustInfo>\n</assembly>\n";
        EXPECT_EQ(text, *name ? std::string(stubs.begin(), stubs.end() - 12) + trust : text) << name;
        sfx::ManifestFace face;
        EXPECT_EQ(sfx::ReadManifest(manifest, face), "") << name;
        EXPECT_EQ(face.level, name);
        EXPECT_EQ(face.supportedOs, (std::vector<std::string>{"Vista", "7", "8", "8.1", "10/11"}));
        EXPECT_EQ(face.dpiAware, "");
    }
}

struct ManifestCase {
    const char* name;
    std::string text;
    const char* problem;  // empty for one that reads cleanly
    const char* level;
};
const ManifestCase ManifestRows[] = {
    {"PrefixesAndEntities",
     "\xEF\xBB\xBF<?xml version='1.0'?><!-- c --><a:assembly xmlns:a='urn:schemas-microsoft-com:asm.v1'>"
     "<v3:trustInfo xmlns:v3='urn:schemas-microsoft-com:asm.v3'><v3:security><v3:requestedPrivileges>"
     "<v3:requestedExecutionLevel level='as&#73;nvoker' uiAccess=\"true\"/></v3:requestedPrivileges></v3:security>"
     "</v3:trustInfo><compatibility xmlns='urn:schemas-microsoft-com:compatibility.v1'><application>"
     "<supportedOS Id='{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}'/></application></compatibility>"
     "<application xmlns='urn:schemas-microsoft-com:asm.v3'><windowsSettings><dpiAwareness>"
     "<![CDATA[PerMonitorV2]]>, system</dpiAwareness></windowsSettings></application></a:assembly>",
     "", "asInvoker"},
    {"UnknownLevel",
     "<assembly xmlns='urn:schemas-microsoft-com:asm.v1'><requestedExecutionLevel level='god'/></assembly>",
     "unknown execution level", "god"},
    {"Unterminated", "<assembly xmlns='urn:schemas-microsoft-com:asm.v1'><a>", "unterminated element a", ""},
    {"Mismatched", "<assembly xmlns='urn:schemas-microsoft-com:asm.v1'></b>", "does not match <assembly>", ""},
    {"LoneBrackets", "<assembly xmlns='urn:schemas-microsoft-com:asm.v1'>" + std::string(5000, '<'), "expected a name",
     ""},
    {"TooDeep",
     [] {
         std::string t = "<assembly xmlns='urn:schemas-microsoft-com:asm.v1'>";
         for (int i = 0; i < 100; ++i) t += "<a>";
         return t;
     }(),
     "nested deeper than 64 elements", ""},
    {"DeepestTaken",
     [] {
         std::string open = "<assembly xmlns='urn:schemas-microsoft-com:asm.v1'>", close = "</assembly>";
         for (int i = 1; i < 64; ++i) open += "<a>", close = "</a>" + close;
         return open + close;
     }(),
     "", ""},
    {"UndeclaredPrefix", "<x:assembly/>", "undeclared namespace prefix in x:assembly", ""},
    {"UnknownEntity", "<assembly xmlns='urn:schemas-microsoft-com:asm.v1'>&lol;</assembly>", "unknown entity", ""},
    {"HugeReference", "<assembly xmlns='urn:schemas-microsoft-com:asm.v1'>&#x110000;</assembly>",
     "bad character reference", ""},
    {"AttributeTwice", "<assembly a='1' a='2'/>", "attribute a given twice", ""},
    {"NotUtf8", "<assembly>\xC0\x80</assembly>", "not UTF-8", ""},
    {"Nul", std::string("<assembly>\0</assembly>", 22), "NUL", ""},
    {"TwoRoots", "<assembly xmlns='urn:schemas-microsoft-com:asm.v1'/><assembly/>", "more after the root", ""},
    {"TooLarge", "<assembly xmlns='urn:schemas-microsoft-com:asm.v1'>" + std::string(70000, ' ') + "</assembly>",
     "over the limit of 65536", ""},
    {"LargestTaken", "<assembly xmlns='urn:schemas-microsoft-com:asm.v1'>" + std::string(65536 - 62, ' ') + "</assembly>",
     "", ""},
};

class Manifests : public ::testing::TestWithParam<ManifestCase> {};

TEST_P(Manifests, AreReadOrReportedSayingWhy) {
    const ManifestCase& row = GetParam();
    sfx::ManifestFace face;
    std::string why = sfx::ReadManifest(ToBytes(row.text), face);
    EXPECT_EQ(*row.problem ? why.find(row.problem) != std::string::npos : why.empty(), true) << why;
    EXPECT_EQ(sfx::CheckManifest(ToBytes(row.text)).empty(), why.empty());
    EXPECT_EQ(face.level, row.level);
}

INSTANTIATE_TEST_SUITE_P(Brand, Manifests, ::testing::ValuesIn(ManifestRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Manifest, PrefixesCdataAndSettingsReadBack) {
    sfx::ManifestFace face;
    ASSERT_EQ(sfx::ReadManifest(ToBytes(ManifestRows[0].text), face), "");
    EXPECT_TRUE(face.uiAccess);
    EXPECT_EQ(face.dpiAwareness, "PerMonitorV2, system");
    EXPECT_EQ(face.supportedOs, std::vector<std::string>{"10/11"});  // ids are read ignoring case
}

TEST_F(BrandCommand, ExecutionLevelAndManifestReachTheStubAndList) {
    // The test stub has no manifest: list says nothing of one.
    ASSERT_EQ(create("plain.exe"), 0) << err;
    ASSERT_EQ(run({"list", "--json", "plain.exe"}), 0) << err;
    expectIn(out, "\"manifest\": null,\n");
    ASSERT_EQ(create("a.exe", {"--execution-level", "requireAdministrator", "--icon", "in/app.ico"}), 0) << err;
    ASSERT_EQ(run({"list", "a.exe"}), 0) << err;
    expectIn(out,
             "manifest:        execution level requireAdministrator\n"
             "                 supported OS: Vista, 7, 8, 8.1, 10/11\n");
    ASSERT_EQ(run({"list", "--json", "a.exe"}), 0) << err;
    expectIn(out,
             "\"manifest\": {\"executionLevel\": \"requireAdministrator\", \"uiAccess\": false, "
             "\"supportedOS\": [\"Vista\", \"7\", \"8\", \"8.1\", \"10/11\"], \"dpiAware\": null, "
             "\"dpiAwareness\": null},\n");
    // Restub writes what create does; an author's manifest replaces it whole.
    ASSERT_EQ(run({"restub", "plain.exe", "--stub", "stub.exe", "-o", "r.exe", "--execution-level",
                   "requireAdministrator", "--icon", "in/app.ico"}),
              0)
        << err;
    EXPECT_EQ(read("r.exe"), read("a.exe"));
    write("in/own.manifest", ToBytes(ManifestRows[0].text));
    ASSERT_EQ(run({"restub", "a.exe", "--stub", "stub.exe", "-o", "own.exe", "--manifest", "in/own.manifest"}), 0)
        << err;
    ASSERT_EQ(run({"list", "own.exe"}), 0) << err;
    expectIn(out,
             "manifest:        execution level asInvoker, uiAccess\n                 supported OS: 10/11\n"
             "                 dpiAwareness: PerMonitorV2, system\n");
    // A hostile manifest is a warning, and the rest of the listing stands.
    sfx::Bytes bad = read("own.exe");
    std::string text(bad.begin(), bad.end());
    size_t level = text.find("level='as");
    ASSERT_NE(level, std::string::npos);
    bad[level - 2] = '<';  // <v3:requestedExecutionLeve< : no longer XML
    write("bad.exe", bad);
    ASSERT_EQ(run({"list", "bad.exe"}), 0) << err;
    expectIn(err,
             "warning: resources: the manifest is damaged, and Windows will not start the installer: it is not "
             "well-formed XML");
    expectIn(out, "manifest:        execution level decided by Windows\n");
}

}  // namespace
