// The real stubs under Wine: installers made from them run without a display, the calls that show
// or start something are read from Wine's relay trace, and the set-up program is a probe that
// writes down the command line it received. The smoke set runs on both stubs; the rest on the
// PE32+ build of the same sources, whose loader starts in well under a second.
#include <sys/stat.h>
#include <unistd.h>
#include <functional>
#include "e2e/E2e.h"

namespace {

// The smoke set, on the exact PE32 that users get and on the PE32+.
class Smoke : public E2e, public ::testing::WithParamInterface<const Stub*> {
    const Stub& stubUnderTest() const override { return *GetParam(); }
};

TEST_P(Smoke, UnpacksEveryMemberAndStartsTheSetupProgram) {
    WineRun result = run(build(files));
    expectExtracted(result, InstallerLine);
    auto starts = result.named("kernel32.CreateProcessA");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(std::stoul(starts[0].args.at(0), nullptr, 16), 0u);  // no application name
    EXPECT_EQ(std::stoul(starts[0].args.at(4), nullptr, 16), 0u);  // nothing inherited
    EXPECT_EQ(std::stoul(starts[0].args.at(5), nullptr, 16), 0x04000210u);
    EXPECT_EQ(result.named("user32.SetCursor").size(), 1u);
}

TEST_P(Smoke, CleanUpErasesWhatItUnpackedAndTheFolder) {
    unpackByHand(files);
    WineRun result = run(build(files), "/q");
    expectCleanUpRun(result);
    EXPECT_FALSE(HostExists(DriveC() + "/_setup"));
}

TEST_P(Smoke, EachFailureShowsItsBoxAndTheRunGoesOn) {
    // The set-up program's method is refused (and its name ends in an underscore), the project
    // file's stream is damaged, one support file can't be created, the last one unpacks, and
    // the set-up program then can't be run.
    sfx::Bytes damaged = sfx::DeflateMember(TextLike(30000));
    damaged[damaged.size() / 2] ^= 0xFF;
    sfx::Directory dir{"setup_", "setup.lst", {"blocked.dll", "last.txt"}, {}, ""};
    sfx::Bytes image = sfx::BuildInstaller(stubBytes, dir, {{"setup_", probe, 3}, {"setup.lst", damaged, sfx::Deflated},
                                                            {"blocked.dll", ToBytes("x"), sfx::Stored},
                                                            {"last.txt", ToBytes("last"), sfx::Stored}});
    mkdir((DriveC() + "/_setup").c_str(), 0755);
    mkdir(setup("blocked.dll").c_str(), 0755);

    WineRun result = run(image);
    EXPECT_EQ(result.exitCode, 0);
    const std::string line = "c:\\_setup\\setup_c:\\_setup\\setup.lst C:\\dist\\setup.exe";
    EXPECT_EQ(result.boxes(), (std::vector<Box>{ErrorBox("Self extracting header requires Quillmoor 97"),
                                                ErrorBox("Zlib error"),
                                                MessageBox("Cannot create file: c:\\_setup\\blocked.dll"),
                                                MessageBox("Cannot run " + line)}))
        << result.trace;
    EXPECT_EQ(ToText(ReadHostFile(setup("last.txt"))), "last");
    EXPECT_FALSE(HostExists(setup("setup_")));
    EXPECT_FALSE(HostExists(setup("setup.lst")));
    EXPECT_EQ(result.started(), std::vector<std::string>{line});
}

INSTANTIATE_TEST_SUITE_P(Stub, Smoke, ::testing::Values(&Win64Stub(), &Win32Stub()),
                         [](const auto& info) { return info.param->name; });

// The wide suite: the 64-bit stub alone. A table's rows are cases of their own.
class Wide : public E2e {};
template <class Row>
class WideTable : public E2e, public ::testing::WithParamInterface<Row> {};
template <class Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) { return info.param.name; }

// Failures that only the real API can produce, each with its exact box; the other members are
// still unpacked and the set-up program still started.
struct ApiFailure {
    const char* name;
    int32_t aDllOffset;  // where the directory places a.dll; 0: where it lies
    bool aDllOnFullDevice;
    Box box;
};
const ApiFailure ApiFailureRows[] = {
    {"MemberBeyondTheEnd", 0x0fffffff, false, ErrorBox("Cannot read file")},
    {"MemberBeforeTheStart", -2, false, ErrorBox("Cannot read file")},
    {"SupportFileOnAFullDevice", 0, true, ErrorBox("Cannot write file")},
};
using ApiFailures = WideTable<ApiFailure>;

TEST_P(ApiFailures, ShowTheirBoxes) {
    const ApiFailure& row = GetParam();
    std::vector<sfx::Member> members;
    for (auto& [name, data] : files) members.push_back({name, data, sfx::Stored});
    std::vector<int32_t> offsets;
    int32_t at = (int32_t)stubBytes.size();
    for (auto& member : members) offsets.push_back(at), at += (int32_t)member.stored.size();
    if (row.aDllOffset) offsets[2] = row.aDllOffset;
    sfx::Bytes image = stubBytes;
    for (auto& member : members) image.insert(image.end(), member.stored.begin(), member.stored.end());
    sfx::Directory dir{"setup.exe", "setup.lst", {"a.dll", "readme.txt"}, {}, ""};
    sfx::Bytes directory = sfx::EncodeDirectory(dir, members, offsets), trailer = sfx::Trailer(at);
    image.insert(image.end(), directory.begin(), directory.end());
    image.insert(image.end(), trailer.begin(), trailer.end());
    if (row.aDllOnFullDevice) {
        mkdir((DriveC() + "/_setup").c_str(), 0755);
        ASSERT_EQ(symlink("/dev/full", setup("a.dll").c_str()), 0);
    }

    WineRun result = run(image);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.boxes(), std::vector<Box>{row.box}) << result.trace;
    for (auto& [name, data] : files) {
        if (name == "a.dll") continue;
        EXPECT_EQ(ReadHostFile(setup(name)), data) << name;
    }
    if (!row.aDllOnFullDevice) {
        EXPECT_FALSE(HostExists(setup("a.dll")));
    }
    EXPECT_EQ(result.started(), std::vector<std::string>{InstallerLine});
}

INSTANTIATE_TEST_SUITE_P(Wide, ApiFailures, ::testing::ValuesIn(ApiFailureRows), RowName<ApiFailure>);

TEST_F(Wide, ADirectoryBeforeTheStartOfTheFileIsASeekError) {
    sfx::Bytes image = build(files);
    sfx::Bytes trailer = sfx::Trailer(-1);
    std::copy(trailer.begin(), trailer.end(), image.end() - 8);
    WineRun result = run(image);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.boxes(), std::vector<Box>{ErrorBox("File seek error")}) << result.trace;
    EXPECT_FALSE(HostExists(DriveC() + "/_setup"));
    EXPECT_TRUE(result.started().empty());
}

TEST_F(Wide, AnInstallerPathTooLongForTheModuleBufferIsNotFound) {
    // The module path is cut to 255 characters, which name no file.
    std::string where = "deep/";
    while (where.size() < 260) where += "folder" + std::to_string(where.size()) + "/";
    WineRun result = run(build(files), "", where + "setup.exe");
    std::string cut = "C:\\" + where + "setup.exe";
    std::replace(cut.begin(), cut.end(), '/', '\\');
    cut.resize(255);
    EXPECT_EQ(result.exitCode, 0);
    // The relay trace cuts long strings and marks the cut with "...": what it shows must begin
    // the expected text, and be long enough to tell the cut path from the whole one.
    auto boxes = result.boxes();
    ASSERT_EQ(boxes.size(), 1u) << result.trace;
    std::string expected = "File not found: " + cut, shown = boxes[0].text;
    if (shown.size() > 3 && shown.compare(shown.size() - 3, 3, "...") == 0) shown.resize(shown.size() - 3);
    EXPECT_EQ(expected.compare(0, shown.size(), shown), 0) << shown;
    EXPECT_GE(shown.size(), 200u);
    EXPECT_EQ(boxes[0].caption, "Message");
    EXPECT_EQ(boxes[0].style, 0x40u);
    EXPECT_FALSE(HostExists(DriveC() + "/_setup"));
}

TEST_F(Wide, WithoutTheSignatureNothingHappens) { expectNothingDone(run(stubBytes, "", "dist/bare.exe")); }

// Clean-up never shows a box: what it finds is erased, what it doesn't know stays.
struct CleanUpCase {
    const char* name;
    std::vector<std::string> before;  // in c:\_setup before the run
    std::vector<std::string> after;   // left in it; none: the folder is gone
};
const CleanUpCase CleanUpCaseRows[] = {
    {"AForeignFileKeepsTheFolder", {"setup.exe", "setup.lst", "a.dll", "readme.txt", "user.dat"}, {"user.dat"}},
    {"AMemberFileAlreadyGone", {"setup.exe", "setup.lst", "readme.txt"}, {}},
    {"NothingWasUnpacked", {}, {}},
};
using CleanUp = WideTable<CleanUpCase>;

TEST_P(CleanUp, ErasesOnlyTheNamedFiles) {
    const CleanUpCase& row = GetParam();
    for (const std::string& name : row.before) WriteHostFile(setup(name), ToBytes(name));
    WineRun result = run(build(files), "Q");
    expectCleanUpRun(result);
    EXPECT_EQ(FilesUnder(DriveC() + "/_setup"), row.after);
    EXPECT_EQ(HostExists(DriveC() + "/_setup"), !row.after.empty());
}

INSTANTIATE_TEST_SUITE_P(Wide, CleanUp, ::testing::ValuesIn(CleanUpCaseRows), RowName<CleanUpCase>);

// The mode comes from a q or Q anywhere in the tail, never from the program's own quoted path.
struct TailCase {
    const char* name;
    const char* tail;  // as the shell passes it to Wine
    bool cleanUp;
};
const TailCase TailCaseRows[] = {{"QInsideAWord", "/quiet", true},  {"UpperCaseQ", "xyQz", true},
                                  {"Empty", "", false},             {"BlanksOnly", "'   '", false},
                                  {"OtherSwitches", "/s /v", false}};
using Tails = WideTable<TailCase>;

TEST_P(Tails, ChooseTheRightMode) {
    const TailCase& row = GetParam();
    if (row.cleanUp) unpackByHand(files);
    WineRun result = run(build(files), row.tail);
    if (row.cleanUp) {
        expectCleanUpRun(result);
        EXPECT_FALSE(HostExists(DriveC() + "/_setup"));
    } else {
        expectExtracted(result, InstallerLine);
    }
}

INSTANTIATE_TEST_SUITE_P(Wide, Tails, ::testing::ValuesIn(TailCaseRows), RowName<TailCase>);

TEST_F(Wide, AQuotedPathWithBlanksAndAQStaysInExtractionAndIsPassedUnquoted) {
    // Wine quotes a program path with blanks, so the q in it is not in the tail.
    WineRun result = run(build(files), "", "q dist/setup.exe");
    expectExtracted(result, "c:\\_setup\\setup.exe c:\\_setup\\setup.lst C:\\q dist\\setup.exe");
}

// Names: a colon makes a path of its own, a folder in a name is not created, case is ignored.
struct NamesCase {
    const char* name;
    sfx::Directory dir;
    std::vector<std::string> memberNames;  // for setup.exe, setup.lst, a.dll, readme.txt
    std::vector<Box> boxes;
    std::vector<std::pair<std::string, size_t>> written;  // host path under c:, which file
    std::string line;
};
const NamesCase NamesCaseRows[] = {
    {"ProjectFileWithADrive",
     {"setup.exe", "c:\\elsewhere.lst", {"a.dll"}, {}, ""},
     {"setup.exe", "c:\\elsewhere.lst", "a.dll", "readme.txt"},
     {},
     {{"_setup/setup.exe", 0}, {"elsewhere.lst", 1}, {"_setup/a.dll", 2}},
     "c:\\_setup\\setup.exe c:\\elsewhere.lst C:\\dist\\setup.exe"},
    {"SupportFileInAFolderNobodyMakes",
     {"setup.exe", "setup.lst", {"sub\\a.dll", "readme.txt"}, {}, ""},
     {"setup.exe", "setup.lst", "sub\\a.dll", "readme.txt"},
     {MessageBox("Cannot create file: c:\\_setup\\sub\\a.dll")},
     {{"_setup/setup.exe", 0}, {"_setup/setup.lst", 1}, {"_setup/readme.txt", 3}},
     InstallerLine},
    {"OtherCaseNoSupportFiles",
     {"SETUP.EXE", "Setup.Lst", {}, {}, ""},
     {"setup.exe", "setup.lst", "a.dll", "readme.txt"},
     {},
     {{"_setup/SETUP.EXE", 0}, {"_setup/Setup.Lst", 1}},
     "c:\\_setup\\SETUP.EXE c:\\_setup\\Setup.Lst C:\\dist\\setup.exe"},
};
using MemberNames = WideTable<NamesCase>;

TEST_P(MemberNames, AreUsedAsTheDirectoryGivesThem) {
    const NamesCase& row = GetParam();
    std::vector<sfx::Member> members;
    for (size_t i = 0; i < files.size(); ++i) members.push_back({row.memberNames[i], files[i].second, sfx::Stored});
    WineRun result = run(sfx::BuildInstaller(stubBytes, row.dir, members));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.boxes(), row.boxes) << result.trace;
    for (auto& [path, index] : row.written) EXPECT_EQ(ReadHostFile(DriveC() + "/" + path), files[index].second) << path;
    EXPECT_EQ(FilesUnder(DriveC() + "/_setup").size() + (row.line.find("elsewhere") != std::string::npos),
              row.written.size());
    EXPECT_EQ(result.started(), std::vector<std::string>{row.line});
    EXPECT_EQ(probeNote(), row.line + "\n");
}

INSTANTIATE_TEST_SUITE_P(Wide, MemberNames, ::testing::ValuesIn(NamesCaseRows), RowName<NamesCase>);

TEST_F(Wide, AnInstallerFromSfxpackMovedBehindALargerStubUnpacksTheSameBytes) {
    std::string work = DriveC() + "/pack";
    for (auto& [name, data] : files) WriteHostFile(work + "/" + name, data);
    // The same stub 4 KB larger: its sections' raw data moved 4 KB further into the file, as a
    // larger file alignment would lay it out. It still ends at its image, as sfxpack requires.
    sfx::Bytes larger = stubBytes;
    size_t pe = (size_t)ReadLittle32(&larger[0x3C]), sections = larger[pe + 6] | larger[pe + 7] << 8;
    size_t table = pe + 24 + (larger[pe + 20] | larger[pe + 21] << 8);
    uint32_t first = UINT32_MAX;
    for (size_t i = 0; i < sections; ++i)
        if (uint32_t raw = (uint32_t)ReadLittle32(&larger[table + 40 * i + 20])) first = std::min(first, raw);
    ASSERT_LT(first, larger.size());
    larger.insert(larger.begin() + first, 4096, 0);
    for (size_t i = 0; i < sections; ++i) {
        uint8_t* raw = &larger[table + 40 * i + 20];
        if (ReadLittle32(raw)) WriteLittle32(raw, ReadLittle32(raw) + 4096);
    }
    WriteHostFile(work + "/larger.exe", larger);
    std::string pack = std::string(SfxpackPath) + " ";
    std::string in = "'" + work + "/";
    ASSERT_EQ(std::system((pack + "create -o " + in + "first.exe' --stub '" + stub.exe + "' --setup " + in +
                           "setup.exe' --project " + in + "setup.lst' --support " + in + "a.dll' --support " + in +
                           "readme.txt' >/dev/null 2>&1").c_str()), 0);
    ASSERT_EQ(std::system((pack + "restub " + in + "first.exe' --stub " + in + "larger.exe' -o " + in +
                           "setup.exe' >/dev/null 2>&1").c_str()), 0);
    ASSERT_EQ(std::system((pack + "verify " + in + "setup.exe' >/dev/null 2>&1").c_str()), 0);
    expectExtracted(run(ReadHostFile(work + "/setup.exe")), InstallerLine);
}

TEST_F(Wide, AnInstallerWrittenByHandUnpacks) {
    // Independent of the project's writer: one stored member and one deflated member whose
    // stream carries no check value, the directory and the trailer laid out byte by byte.
    sfx::Bytes image = stubBytes;
    auto put32 = [&image](uint32_t v) {
        image.resize(image.size() + 4);
        WriteLittle32(&image[image.size() - 4], (int32_t)v);
    };
    auto putText = [&](const std::string& text) {
        put32((uint32_t)text.size());
        image.insert(image.end(), text.begin(), text.end());
    };
    uint32_t probeAt = (uint32_t)image.size();
    image.insert(image.end(), probe.begin(), probe.end());
    uint32_t listAt = (uint32_t)image.size();
    // "aaaaaaaaaa" (10 bytes) deflated at level 9, Adler-32 left off: 78 DA 4B 4C 84 01 00
    const uint8_t list[] = {10, 0, 0, 0, 0x78, 0xDA, 0x4B, 0x4C, 0x84, 0x01, 0x00};
    image.insert(image.end(), list, list + sizeof list);
    uint32_t directoryAt = (uint32_t)image.size();
    putText("setup.exe");
    putText("setup.lst");
    put32(0);                                    // no support files
    put32(1), putText("setup.lst");              // further names
    put32(2), putText("setup.exe"), putText("setup.lst");
    put32(2), put32(probeAt), put32(listAt);     // offsets
    put32(2), put32((uint32_t)probe.size()), put32(sizeof list);
    put32(2), put32(0), put32(2);                // stored, deflated
    putText("");
    put32(directoryAt);
    const uint8_t signature[] = {0x8A, 0x25, 0x00, 0x00};
    image.insert(image.end(), signature, signature + 4);

    WineRun result = run(image);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.boxes().empty()) << result.trace;
    EXPECT_EQ(ReadHostFile(setup("setup.exe")), probe);
    EXPECT_EQ(ToText(ReadHostFile(setup("setup.lst"))), "aaaaaaaaaa");
    EXPECT_EQ(probeNote(), InstallerLine + "\n");
}


}  // namespace
