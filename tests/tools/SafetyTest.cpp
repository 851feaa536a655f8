// sfxpack trusted with files: failed writes leave what was there, existing files are replaced
// only when asked, names that land on one path are written once, stubs are checked, sizes are
// refused before anything is read, and failed extractions leave no empty folders.
#include <filesystem>
#include <sstream>
#include "PackTestSupport.h"

using sfx::Bytes;
namespace fs = std::filesystem;

class Safety : public ToolRun {
protected:
    void SetUp() override {
        ToolRun::SetUp();
        write("stub.exe", PeStub(0x600));
        write("in/setup.exe", Noise(300000, 5));  // stored: the installer is larger than the limit below
        write("in/setup.lst", TextLike(900, 6));
    }

    int create(const std::string& output, const std::string& stub = "stub.exe") {
        return run({"create", "-o", output, "--stub", stub, "--setup", "in/setup.exe", "--project", "in/setup.lst"});
    }

    // Whether any temporary file of sfxpack's is left in the folder.
    bool leftovers() const {
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.path().filename().string().find(".sfxpack-") != std::string::npos) return true;
        return false;
    }

    void expectErr(const std::string& part) { EXPECT_NE(err.find(part), std::string::npos) << part << "\n" << err; }
};

TEST_F(Safety, AFailedWriteLeavesTheOldFileAsItWasAndNoTemporaryFile) {
    ASSERT_EQ(create("good.exe"), 0) << err;
    const Bytes old = ToBytes("the previous file");
    const struct {
        const char* name;
        std::vector<std::string> words;
        const char* target;
    } rows[] = {
        {"create", {"create", "-o", "old.exe", "--stub", "stub.exe", "--setup", "in/setup.exe", "--project",
                    "in/setup.lst"}, "old.exe"},
        {"restub", {"restub", "good.exe", "--stub", "stub.exe", "-o", "old.exe"}, "old.exe"},
        {"extract --overwrite", {"extract", "good.exe", "-d", "x", "--overwrite"}, "x/setup.exe"},
    };
    // A file size limit stands in for a full disk: writes past it fail as they would there.
    limits = "trap '' XFSZ; ulimit -f 100; ";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        write(row.target, old);
        EXPECT_EQ(run(row.words), 2) << err;
        expectErr("cannot write");
        EXPECT_EQ(read(row.target), old);
        EXPECT_FALSE(leftovers());
    }
    EXPECT_EQ(read("x/setup.lst"), read("in/setup.lst"));  // the other member is still written
}

// What no test can crash to see: each file's bytes reach the disk before it takes the target's
// name. A system-call trace shows the order; where strace can't run there is nothing to look at.
TEST_F(Safety, EachFileIsSyncedBeforeItTakesItsName) {
    if (std::system("strace -o /dev/null true >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace can't run here";
    tool.insert(tool.begin(), {"strace", "-o", "trace", "-e", "trace=/^(fsync|fdatasync|link|linkat|rename|renameat2?)$"});
    limits = "ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=0 ";  // the leak checker can't run under a tracer
    auto calls = [&] {  // s for a sync, m for a link or rename
        std::string order;
        std::istringstream trace(ToText(read("trace")));
        for (std::string line; std::getline(trace, line);)
            if (line.find('(') != std::string::npos) order += line[0] == 'f' ? 's' : 'm';
        return order;
    };
    ASSERT_EQ(create("made.exe"), 0) << err;
    EXPECT_EQ(calls(), "sm");
    ASSERT_EQ(run({"extract", "made.exe", "-d", "x"}), 0) << err;
    EXPECT_EQ(calls(), "smsm");
}

TEST_F(Safety, TheInstallerGoesToStdoutAndTheSummaryToStderr) {
    ASSERT_EQ(create("file.exe"), 0) << err;
    EXPECT_TRUE(out.empty()) << out;
    expectErr("file.exe: 2 members");
    for (const char* output : {"-", "/dev/stdout"}) {
        SCOPED_TRACE(output);
        ASSERT_EQ(create(output), 0) << err;
        EXPECT_TRUE(ToBytes(out) == read("file.exe"));
        expectErr("2 members");
    }
    ASSERT_EQ(run({"restub", "file.exe", "--stub", "stub.exe", "-o", "-"}), 0) << err;
    EXPECT_TRUE(ToBytes(out) == read("file.exe"));
}

TEST_F(Safety, ExistingFilesAreKeptSkippedOrReplacedOnlyAsAsked) {
    // A file replaced keeps its permissions, as one written over in place would.
    const fs::perms mode = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec;
    ASSERT_EQ(create("good.exe"), 0) << err;
    fs::permissions(path("good.exe"), mode);
    ASSERT_EQ(create("good.exe"), 0) << err;
    EXPECT_EQ(fs::status(path("good.exe")).permissions(), mode);
    const Bytes old = ToBytes("mine");
    const struct {
        std::vector<std::string> options;
        int code;
        bool replaced;
        const char* message;
    } rows[] = {
        {{}, 2, false, "1 existing file not replaced (give --overwrite to replace, --skip-existing"},
        {{"--skip-existing"}, 0, false, "1 existing file skipped: x/setup.exe"},
        {{"--overwrite"}, 0, true, ""},
        {{"--overwrite", "--skip-existing"}, 2, false, "exclude each other"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        fs::remove_all(path("x"));
        write("x/setup.exe", old);
        fs::permissions(path("x/setup.exe"), mode);
        std::vector<std::string> words = {"extract", "good.exe", "-d", "x"};
        words.insert(words.end(), row.options.begin(), row.options.end());
        EXPECT_EQ(run(words), row.code) << err;
        expectErr(row.message);
        EXPECT_EQ(read("x/setup.exe"), row.replaced ? read("in/setup.exe") : old);
        EXPECT_EQ(fs::status(path("x/setup.exe")).permissions(), mode);
        if (row.code == 0 || !row.replaced) {
            EXPECT_EQ(exists("x/setup.lst"), row.options.size() < 2);
        }
        EXPECT_FALSE(leftovers());
    }
}

TEST_F(Safety, NamesThatLandOnOnePathAreWrittenOnceAndNamedInTheWarning) {
    // The stub writes its support files in list order: "sub/x.txt" last, so that one stays.
    sfx::Directory dir{"setup.exe", "setup.lst", {"sub\\x.txt", "sub/x.txt"}, {}, ""};
    std::vector<sfx::Member> members = {{"setup.exe", ToBytes("EXE")}, {"setup.lst", ToBytes("LST")},
                                        {"sub\\x.txt", ToBytes("backslash")}, {"sub/x.txt", ToBytes("slash")},
                                        {"./sub//x.txt", ToBytes("dots")}, {"d/x", ToBytes("first")},
                                        {"d\\x", ToBytes("second")}};  // the stub writes neither: the first stays
    const struct {
        const char* name;
        const char* why;
    } windows[] = {{"CON", "device name"}, {"lpt1.txt", "device name"}, {"a|b?.lst", "'|'"},
                   {"x*y<z>", "'*'"},  {"trail.", "ends in a dot or blank"}, {"blank ", "ends in a dot or blank"},
                   {"conout$.txt", "device name"}};
    for (const auto& row : windows) members.push_back({row.name, ToBytes(row.name)});
    write("clash.exe", sfx::BuildInstaller(PeStub(0x300), dir, members));

    EXPECT_EQ(run({"list", "clash.exe"}), 0) << err;
    expectErr("sub\\x.txt and sub/x.txt land on one path");
    expectErr("./sub//x.txt and sub/x.txt land on one path");
    for (const auto& row : windows) {
        expectErr(std::string(row.name) + ": Windows can't create this name");
        expectErr(row.why);
    }
    EXPECT_EQ(err.find("setup.lst: Windows"), std::string::npos) << err;

    EXPECT_EQ(run({"extract", "clash.exe", "-d", "x"}), 0) << err;
    expectErr("sub\\x.txt and sub/x.txt land on one path; writing sub/x.txt, the one the stub leaves there");
    EXPECT_EQ(read("x/sub/x.txt"), ToBytes("slash"));
    EXPECT_EQ(read("x/d/x"), ToBytes("first"));
}

TEST_F(Safety, OnlyAWindowsGuiImageThatEndsAtItsImageServesAsAStub) {
    ASSERT_EQ(create("good.exe"), 0) << err;
    auto changed = [](size_t at, std::vector<uint8_t> bytes) {
        Bytes stub = PeStub(0x600);
        std::copy(bytes.begin(), bytes.end(), stub.begin() + (long)at);
        return stub;
    };
    Bytes wide = changed(0x44, {0x64, 0x86});  // x86-64, PE32+, no certificate table
    wide[0x58] = 0x0B, wide[0x59] = 0x02;
    std::fill(wide.begin() + 0x58 + 112 + 32, wide.begin() + 0x58 + 112 + 40, 0);
    Bytes trailing = PeStub(0x600), cut = PeStub(0x600);
    trailing.push_back(0);
    cut.resize(0x500);
    const struct {
        const char* name;
        Bytes stub;
        const char* why;  // empty: accepted
    } rows[] = {
        {"i386", PeStub(0x600), ""},
        {"x86-64", wide, ""},
        {"empty", {}, "no MZ header"},
        {"100 zeros", Bytes(100, 0), "no MZ header"},
        {"broken MZ", changed(0, {'M', 'Y'}), "no MZ header"},
        {"no PE header", changed(0x40, {'P', 'X'}), "no PE header"},
        {"ARM64", changed(0x44, {0x64, 0xAA}), "not built for i386 or x86-64"},
        {"console", changed(0x58 + 68, {3, 0}), "not a Windows GUI program (subsystem 3)"},
        {"bytes after", trailing, "1 bytes follow its image"},
        {"cut short", cut, "cut short"},
        {"a second section, empty and far out",  // no raw data: it adds nothing to the file
         [] {
             Bytes s = PeStub(0x600);
             s[0x46] = 2;
             Put32(s, 0x160 + 16, 0);
             Put32(s, 0x160 + 20, 0x10000);
             return s;
         }(),
         ""},
        {"an installer", read("good.exe"), "follow its image"},
        // A signed stub serves once its table (and the zeros padding its image up to it) is gone.
        {"signed", SignedCopy(PeImageOf(0x600, false), false), ""},
        {"signed, padded", SignedCopy(PeImageOf(0x5FD, true), true), ""},
        {"bytes after the table",
         [] {
             Bytes s = SignedCopy(PeImageOf(0x600, false), false);
             s.push_back(0);
             return s;
         }(),
         "follow its image"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        write("try.exe", row.stub);
        fs::remove(path("made.exe"));
        int expected = *row.why ? 2 : 0;
        EXPECT_EQ(create("made.exe", "try.exe"), expected) << err;
        expectErr(*row.why ? "the stub try.exe can't be used: " : "2 members");
        expectErr(row.why);
        EXPECT_EQ(exists("made.exe"), !*row.why);
        EXPECT_EQ(run({"restub", "good.exe", "--stub", "try.exe", "-o", "made.exe"}), expected) << err;
        if (*row.why) expectErr(row.why);
    }
}

TEST_F(Safety, OversizedInputsAreRefusedFromTheirSizesAlone) {
    ASSERT_EQ(create("good.exe"), 0) << err;
    // Sparse files: their sizes are all there is to them.
    for (const auto& file : {std::make_pair("huge.exe", 3000000000ull), std::make_pair("big1", 1200000000ull),
                             std::make_pair("big2", 1200000000ull), std::make_pair("2gb.exe", 2147400000ull)}) {
        write(file.first, {});
        fs::resize_file(path(file.first), file.second);
    }
    const struct {
        std::vector<std::string> words;
        const char* message;
    } rows[] = {
        {{"list", "huge.exe"}, "cannot read huge.exe: it is over 2 GiB"},
        {{"verify", "huge.exe"}, "it is over 2 GiB"},
        {{"extract", "huge.exe", "-d", "x"}, "it is over 2 GiB"},
        {{"create", "-o", "o.exe", "--stub", "huge.exe", "--setup", "in/setup.exe", "--project", "in/setup.lst"},
         "the stub of 3000000000 bytes is over the limit"},
        // Stored, they can't fit; deflated they might, and are packed (the Wine tests pack gigabytes).
        {{"create", "-o", "o.exe", "--stub", "stub.exe", "--setup", "big1", "--project", "big2", "--level", "0"},
         "more than an installer can hold"},
        {{"create", "-o", "o.exe", "--stub", "stub.exe", "--setup", "huge.exe", "--project", "in/setup.lst"},
         "huge.exe is over 2 GiB"},
        {{"restub", "good.exe", "--stub", "2gb.exe", "-o", "o.exe"}, "more than an installer can hold"},
        {{"restub", "good.exe", "--stub", "huge.exe", "-o", "o.exe"}, "the stub of 3000000000 bytes"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        EXPECT_EQ(run(row.words), 2) << err;
        expectErr(row.message);
        EXPECT_FALSE(exists("o.exe") || exists("x"));
    }
}

TEST_F(Safety, AFailedExtractionRemovesTheFoldersItMadeAndLeftEmpty) {
    std::string deep;
    for (int i = 0; i < 2500; ++i) deep += "d/";
    Bytes bad = sfx::DeflateMember(TextLike(3000, 7));
    bad[bad.size() / 2] ^= 0xFF;
    write("deep.exe", sfx::BuildInstaller(PeStub(0x300), {"setup.exe", "setup.exe", {}, {}, ""},
                                          {{"setup.exe", ToBytes("EXE")},
                                           {deep + "long.txt", ToBytes("L")},
                                           {"a/b/c/bad.txt", bad, sfx::Deflated}}));
    EXPECT_EQ(run({"extract", "deep.exe", "-d", "out"}), 2) << err;
    expectErr("the name is too long");
    expectErr("a/b/c/bad.txt: damaged");
    EXPECT_EQ(read("out/setup.exe"), ToBytes("EXE"));
    EXPECT_FALSE(exists("out/d") || exists("out/a"));

    EXPECT_EQ(run({"extract", "deep.exe", "-d", "new/deeper", "a/*"}), 1) << err;
    EXPECT_FALSE(exists("new"));
}

TEST_F(Safety, EntriesThatShareAStreamAreReportedAndCheckedOnce) {
    Bytes head = PeStub(0x300), stream = sfx::DeflateMember(TextLike(5000, 3));
    head.insert(head.end(), stream.begin(), stream.end());
    sfx::ByteWriter d;
    d.putText("setup.exe");
    d.putText("a.dat");
    d.putList({"a.dat", "b.dat"});
    d.putList({});
    d.putList({"setup.exe", "a.dat", "b.dat"});
    d.putTable({0x300, 0x300, 0x300});
    d.putTable({(int32_t)stream.size(), (int32_t)stream.size(), (int32_t)stream.size()});
    d.putTable({2, 2, 2});
    d.putText("");
    write("shared.exe", Assemble(head, d.bytes));
    for (const char* command : {"list", "verify"}) {
        EXPECT_EQ(run({command, "shared.exe"}), 0) << err;
        expectErr("2 member entries share their stored bytes with another under a different name (first: entry 1 "
                  "shares entry 0's)");
    }
}
