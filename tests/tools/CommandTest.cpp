// The built sfxpack run as a command: round trips, bad input with its message and exit code,
// and extraction that never leaves its folder.
#include <filesystem>
#include <fstream>
#include <iterator>
#include "read/Inspect.h"
#include "PackTestSupport.h"

using sfx::Bytes;
namespace fs = std::filesystem;

class Command : public ToolRun {
protected:
    void SetUp() override {
        ToolRun::SetUp();
        write("stub.exe", PeStub(0x600));
        write("in/setup.exe", TextLike(30000, 1));
        write("in/setup.lst", TextLike(400, 2));
        write("in/noise.bin", Noise(5000));
        write("in/empty.txt", {});
        write("in/local name.txt", TextLike(1000, 3));
        write("in/extra.dat", TextLike(7000, 4));
    }

    // Packs in/ into the named installer with the options added.
    int create(const std::string& output, std::vector<std::string> more = {}) {
        std::vector<std::string> words = {"create", "-o", output, "--stub", "stub.exe", "--setup", "in/setup.exe",
                                          "--project", "in/setup.lst", "--support", "in/noise.bin", "--support",
                                          "in/empty.txt", "--support", "README.TXT=in/local name.txt", "--member",
                                          "in/extra.dat"};
        words.insert(words.end(), more.begin(), more.end());
        return run(words);
    }

    // A failure as the tool should report it: its exit code, a "sfxpack: " message, no crash.
    void expectFailure(int code, int expected, const std::string& part) {
        EXPECT_EQ(code, expected) << err;
        EXPECT_EQ(err.rfind("sfxpack: ", 0), 0u) << err;
        EXPECT_NE(err.find(part), std::string::npos) << err;
        EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
        EXPECT_EQ(err.find("runtime error"), std::string::npos) << err;
    }

    void expectOut(const std::string& part) { EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out; }
};

TEST_F(Command, CreateListVerifyAndExtractGiveBackEveryFile) {
    ASSERT_EQ(create("setup out.exe"), 0) << err;
    ASSERT_EQ(run({"list", "setup out.exe"}), 0) << err;
    expectOut("set-up program:  setup.exe");
    expectOut("support files:   noise.bin");
    expectOut("\n    0        1536 ");  // the index, then the offset behind the 0x600-byte stub
    expectOut("  setup    setup.exe\n");
    EXPECT_EQ(out.find("warning"), std::string::npos) << out;
    ASSERT_EQ(run({"list", "--json", "setup out.exe"}), 0) << err;
    expectOut("{\"index\": 4, \"name\": \"README.TXT\", \"nameHex\": \"524541444d452e545854\", \"use\": "
              "\"support\", \"offset\": ");
    ASSERT_EQ(run({"verify", "setup out.exe"}), 0) << out << err;
    expectOut("sound, 6 members");

    ASSERT_EQ(run({"extract", "setup out.exe", "-d", "out/new"}), 0) << err;
    for (const auto& file : std::vector<std::pair<std::string, std::string>>{
             {"setup.exe", "in/setup.exe"}, {"setup.lst", "in/setup.lst"}, {"noise.bin", "in/noise.bin"},
             {"empty.txt", "in/empty.txt"}, {"README.TXT", "in/local name.txt"}, {"extra.dat", "in/extra.dat"}}) {
        ASSERT_TRUE(exists("out/new/" + file.first)) << file.first;
        EXPECT_EQ(read("out/new/" + file.first), read(file.second)) << file.first;
    }
}

TEST_F(Command, OutputIsReproducibleAndTheOptionsShapeIt) {
    ASSERT_EQ(create("a.exe"), 0) << err;
    ASSERT_EQ(create("b.exe", {"-j", "1"}), 0) << err;
    EXPECT_EQ(read("a.exe"), read("b.exe"));
    ASSERT_EQ(create("c.exe", {"--jobs=5"}), 0) << err;
    EXPECT_EQ(read("a.exe"), read("c.exe"));

    // Four deflated members (set-up program, project, README.TXT, extra.dat) lose 4 bytes each.
    ASSERT_EQ(create("nocheck.exe", {"--no-check"}), 0) << err;
    EXPECT_EQ(read("nocheck.exe").size(), read("a.exe").size() - 16);
    ASSERT_EQ(run({"verify", "nocheck.exe"}), 0) << out;
    expectOut("setup.exe: deflated, no check value");

    ASSERT_EQ(create("stored.exe", {"--store", "*.TXT", "--store=setup.*", "--level", "9"}), 0) << err;
    std::vector<int32_t> methods;
    for (const sfx::MemberEntry& m : sfx::Inspect(read("stored.exe")).members) methods.push_back(m.method);
    EXPECT_EQ(methods, (std::vector<int32_t>{0, 0, 0, 0, 0, 2}));
}

TEST_F(Command, HelpVersionAndUsageErrors) {
    EXPECT_EQ(run({"extract", "--help"}), 0);
    expectOut("Usage: sfxpack extract FILE [-d DIR]");
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out.rfind("sfxpack 1.0.0\nstub:", 0), 0u) << out;

    expectFailure(run({}), 2, "no command given");
    expectFailure(run({"list", "a", "b"}), 2, "one FILE only");
    expectFailure(run({"create", "-o", "x.exe", "--setup", "a"}), 2, "--project is required");
    expectFailure(create("x.exe", {"--stub64"}), 2, "--stub and --stub64 are two choices of stub; give one");
    expectFailure(run({"extract", "-x", "a"}), 2, "unknown option -x");
    expectFailure(run({"verify", "-qv", "a"}), 2, "-q takes no value");
    expectFailure(create("x.exe", {"--level", "13"}), 2, "--level takes a number from 0 to 12, not 13");
    expectFailure(create("x.exe", {"-j0"}), 2, "-j takes a number from 1 to 256, not 0");
    // The stub would never find a second member under a name that differs only in case.
    expectFailure(create("x.exe", {"--member", "SETUP.LST=in/extra.dat"}), 2, "two members are named SETUP.LST");
    EXPECT_FALSE(exists("x.exe"));
}

TEST_F(Command, BadInputGetsAClearMessageAndTheDocumentedExitCode) {
    ASSERT_EQ(create("good.exe"), 0) << err;
    Bytes good = read("good.exe"), past = good;
    write("plain.txt", ToBytes("just a text file\n"));
    write("truncated.exe", Bytes(good.begin(), good.begin() + (long)good.size() / 2));
    Put32(past, past.size() - 8, (int32_t)past.size() + 100);
    write("past.exe", past);

    for (const char* command : {"list", "verify", "extract"}) {
        SCOPED_TRACE(command);
        expectFailure(run({command, "plain.txt"}), 2, "plain.txt: not an installer");
        expectFailure(run({command, "stub.exe"}), 2, "stub.exe: not an installer: an executable without an archive");
        expectFailure(run({command, "truncated.exe"}), 1, "the installer is truncated or damaged");
        expectFailure(run({command, "missing.exe"}), 2, "cannot read missing.exe: No such file or directory");
        expectFailure(run({command, "in"}), 2, "cannot read in: it is a folder");
    }
    expectFailure(run({"list", "past.exe"}), 1, "sfxpack: error: the directory offset");
    EXPECT_EQ(run({"verify", "past.exe"}), 1);
    expectFailure(run({"extract", "past.exe", "-d", "x"}), 1, "points outside the archive");
    expectFailure(run({"restub", "past.exe", "--stub", "stub.exe", "-o", "r.exe"}), 1, "cannot move the archive");

    expectFailure(create("no/such/x.exe"), 2, "cannot create no/such/x.exe: No such file or directory");
    expectFailure(run({"restub", "good.exe", "--stub", "stub.exe", "-o", "no/such/r.exe"}), 2, "cannot create");
    expectFailure(run({"extract", "good.exe", "-d", "stub.exe/sub"}), 2, "cannot create the folder stub.exe/sub");
}

TEST_F(Command, AnUnreadableFileIsAUsageError) {
    fs::permissions(path("stub.exe"), fs::perms::none);
    if (std::FILE* probe = std::fopen(path("stub.exe").c_str(), "rb")) {
        std::fclose(probe);
        GTEST_SKIP() << "running with rights that read any file";
    }
    expectFailure(run({"list", "stub.exe"}), 2, "cannot read stub.exe: Permission denied");
}

TEST_F(Command, ExtractNeverWritesOutsideItsFolder) {
    std::vector<sfx::Member> members;
    for (const char* name : {"setup.exe", "..\\up.txt", "sub/../../up2.txt", "c:\\drive.txt", "C:drive.txt",
                             "/tmp/root.txt", "\\root.txt", "sub\\ok.txt", "link\\through.txt", "last.txt"})
        members.push_back({name, ToBytes(name)});
    write("evil.exe", sfx::BuildInstaller(PeStub(0x300), {"setup.exe", "setup.exe", {}, {}, ""}, members));
    fs::create_directories(path("out"));
    fs::create_directories(path("elsewhere"));
    fs::create_directory_symlink(path("elsewhere"), path("out/link"));
    fs::create_symlink(path("elsewhere/last.txt"), path("out/last.txt"));

    expectFailure(run({"extract", "evil.exe", "-d", "out"}), 1, "..\\up.txt: refused: the name holds a \"..\" part");
    for (const char* refused : {"sub/../../up2.txt: refused", "c:\\drive.txt: refused", "C:drive.txt: refused",
                                "/tmp/root.txt: refused: the name is an absolute path", "\\root.txt: refused",
                                "link\\through.txt: refused", "last.txt: refused: "})
        EXPECT_NE(err.find(refused), std::string::npos) << refused << "\n" << err;
    EXPECT_EQ(read("out/sub/ok.txt"), ToBytes("sub\\ok.txt"));
    // A NAME that matches nothing is a usage error, which a refused name must not lessen.
    expectFailure(run({"extract", "evil.exe", "-d", "out", "*", "nothing*"}), 2, "no member matches nothing*");
    EXPECT_TRUE(fs::is_empty(path("elsewhere")));
    EXPECT_TRUE(fs::is_symlink(path("out/last.txt")));
    std::vector<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        written.push_back(entry.path().lexically_relative(folder).string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"elsewhere", "evil.exe", "in", "in/empty.txt", "in/extra.dat",
                                                 "in/local name.txt", "in/noise.bin", "in/setup.exe", "in/setup.lst",
                                                 "out", "out/last.txt", "out/link", "out/setup.exe", "out/sub", "out/sub/ok.txt",
                                                 "stub.exe"}));
}

TEST_F(Command, ExtractGoesOnPastDamageAndPicksByNameOrGlob) {
    Bytes bad = sfx::DeflateMember(TextLike(3000, 7), 9, true);
    bad[bad.size() / 2] ^= 0xFF;
    sfx::Directory dir{"setup.exe", "setup.lst", {"a.dll", "b.dll"}, {}, ""};
    write("damaged.exe", sfx::BuildInstaller(PeStub(0x300), dir,
                                             {{"setup.exe", ToBytes("EXE")}, {"setup.lst", bad, sfx::Deflated},
                                              {"a.dll", ToBytes("first")}, {"b.dll", ToBytes("B")},
                                              {"A.DLL", ToBytes("second")}}));

    expectFailure(run({"extract", "damaged.exe", "-d", "all"}), 1, "setup.lst: damaged: zlib error");
    EXPECT_FALSE(exists("all/setup.lst"));
    EXPECT_EQ(read("all/b.dll"), ToBytes("B"));
    EXPECT_EQ(read("all/a.dll"), ToBytes("first"));  // the entry the stub reads
    EXPECT_FALSE(exists("all/A.DLL"));

    EXPECT_EQ(run({"extract", "damaged.exe", "-d", "some", "SETUP.EXE", "*.DlL"}), 0) << err;
    EXPECT_TRUE(exists("some/setup.exe") && exists("some/a.dll") && exists("some/b.dll"));
    expectFailure(run({"extract", "damaged.exe", "-d", "none", "nothing*"}), 2, "no member matches nothing*");
}

TEST_F(Command, OddWriterMadeArchivesListAndVerify) {
    // A negative count, repeated names with the same and other bytes, no check value: all readable.
    Bytes head = PeStub(0x300), exe = sfx::DeflateMember(TextLike(4000, 8), 9, false);
    int32_t dll = 0x300 + (int32_t)exe.size();
    head.insert(head.end(), exe.begin(), exe.end());
    head.insert(head.end(), {'D', 'L', 'L', 'X'});
    sfx::ByteWriter d;
    d.putText("setup.exe");
    d.putText("setup.exe");
    d.putList({"a.dll"});
    d.put32(-7);
    d.putList({"setup.exe", "a.dll", "A.dll", "a.DLL"});
    d.putTable({0x300, dll, dll, dll + 1});
    d.putTable({(int32_t)exe.size(), 3, 3, 3});
    d.putTable({2, 0, 0, 0});
    d.putText("");
    write("odd.exe", Assemble(head, d.bytes));

    EXPECT_EQ(run({"list", "odd.exe"}), 0) << out << err;
    for (const char* warning : {"sfxpack: warning: the further names list has the count -7",
                                "sfxpack: warning: A.dll: the name repeats entry 1 (same bytes)",
                                "sfxpack: warning: a.DLL: the name repeats entry 1 with different bytes"})
        EXPECT_NE(err.find(warning), std::string::npos) << warning << err;
    EXPECT_EQ(out.find("warning"), std::string::npos) << out;
    EXPECT_EQ(run({"verify", "odd.exe"}), 0) << out << err;
    expectOut("setup.exe: deflated, no check value");
}

TEST_F(Command, RestubMovesTheArchiveBehindAnotherStub) {
    write("big stub.exe", PeStub(0x2345));
    ASSERT_EQ(create("small.exe"), 0) << err;
    ASSERT_EQ(run({"restub", "small.exe", "--stub", "big stub.exe", "-o", "big.exe"}), 0) << err;
    ASSERT_EQ(run({"verify", "big.exe"}), 0) << out;
    ASSERT_EQ(run({"list", "big.exe"}), 0);
    expectOut("stub 9029 bytes");
    ASSERT_EQ(run({"extract", "big.exe", "-d", "x"}), 0) << err;
    EXPECT_EQ(read("x/README.TXT"), read("in/local name.txt"));
}

TEST_F(Command, NoProgressLineWhenStderrIsNotATerminal) {
    write("in/large.dat", TextLike(20u << 20, 9));
    ASSERT_EQ(create("large.exe", {"--member", "in/large.dat", "--level", "1"}), 0) << err;
    ASSERT_EQ(run({"verify", "large.exe"}), 0);
    EXPECT_TRUE(err.empty()) << err;
}

TEST_F(Command, ABrokenStreamTheStubAcceptsIsWrittenWithAWarning) {
    // Two bytes changed in a packed installer without check values: zlib takes each of the first
    // two streams whole, so the stub writes them, yet both hold more than their declared sizes.
    std::ifstream in(std::string(RegressionsDir) + "/accepted-stream-with-more-output.bin", std::ios::binary);
    write("broken.exe", Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    expectFailure(run({"extract", "broken.exe", "-d", "out"}), 1,
                  "setup.lst: written as the stub writes it, but damaged: the stream holds more than its declared 9");
    EXPECT_EQ(read("out/setup.exe").size(), 600u);
    EXPECT_EQ(read("out/setup.lst").size(), 9u);
    EXPECT_EQ(run({"verify", "broken.exe"}), 1);
    expectOut("note: the stub writes the declared 9 bytes all the same");
}

TEST_F(Command, AnInstalledToolFindsItsStubsBesideItself) {
    fs::create_directories(path("inst/bin"));
    fs::copy_file(SfxpackPath, path("inst/bin/sfxpack"));
    write("inst/share/sfx/sfxstub.exe", PeStub(0x700));
    write("inst/share/sfx/sfxstub64.exe", PeStub(0x900));
    tool = {path("inst/bin/sfxpack")};
    ASSERT_EQ(run({"--version"}), 0) << err;
    expectOut("stub:           " + path("inst/share/sfx/sfxstub.exe") + ", 1792 bytes\n");
    expectOut("with --stub64:  " + path("inst/share/sfx/sfxstub64.exe") + ", 2304 bytes\n");

    const std::vector<std::string> files = {"--setup", "in/setup.exe", "--project", "in/setup.lst"};
    for (const auto& choice : std::vector<std::pair<std::vector<std::string>, int32_t>>{
             {{}, 0x700}, {{"--stub64"}, 0x900}, {{"--stub", "stub.exe"}, 0x600}}) {
        std::vector<std::string> words = {"create", "-o", "x.exe"};
        words.insert(words.end(), files.begin(), files.end());
        words.insert(words.end(), choice.first.begin(), choice.first.end());
        ASSERT_EQ(run(words), 0) << err;
        EXPECT_EQ(sfx::Inspect(read("x.exe")).members.at(0).offset, choice.second);
    }
    ASSERT_EQ(run({"restub", "x.exe", "-o", "y.exe", "--stub64"}), 0) << err;
    EXPECT_EQ(sfx::Inspect(read("y.exe")).members.at(0).offset, 0x900);
}

TEST_F(Command, ShortOptionsAttachStandardInputAndQuiet) {
    ASSERT_EQ(create("a.exe", {"-q"}), 0) << err;
    EXPECT_TRUE(out.empty()) << out;
    ASSERT_EQ(run({"list", "-"}, "a.exe"), 0) << err;
    expectOut("-: ");
    expectOut("  setup    setup.exe\n");
    ASSERT_EQ(run({"verify", "-q", "-"}, "a.exe"), 0) << err;
    EXPECT_TRUE(out.empty() && err.empty()) << out << err;
    ASSERT_EQ(run({"extract", "-", "-dpiped", "-q", "*.dat"}, "a.exe"), 0) << err;
    EXPECT_TRUE(out.empty()) << out;
    EXPECT_EQ(read("piped/extra.dat"), read("in/extra.dat"));
    ASSERT_EQ(run({"extract", "a.exe", "-dnamed", "--", "-"}), 2);  // after "--", "-" is a name
    expectFailure(run({"list", "-"}, "in/noise.bin"), 2, "-: not an installer");
}

TEST_F(Command, CreateTakesFoldersInAStableOrder) {
    write("in/sub/z.txt", TextLike(100, 5));
    write("in/sub/deeper/a.txt", TextLike(100, 6));
    ASSERT_EQ(run({"create", "-o", "f.exe", "--stub", "stub.exe", "--setup", "in/setup.exe", "--project",
                   "PROJ.LST=in/setup.lst", "in"}),
              0)
        << err;
    std::vector<std::string> names;
    for (const sfx::MemberEntry& m : sfx::Inspect(read("f.exe")).members) names.push_back(m.name);
    // The named files once; top-level files support the set-up, deeper ones ride along.
    EXPECT_EQ(names, (std::vector<std::string>{"setup.exe", "PROJ.LST", "empty.txt", "extra.dat", "local name.txt",
                                               "noise.bin", "sub\\deeper\\a.txt", "sub\\z.txt"}));
    EXPECT_EQ(sfx::Inspect(read("f.exe")).supportFiles,
              (std::vector<std::string>{"empty.txt", "extra.dat", "local name.txt", "noise.bin"}));
    // An installer written into the folder is not packed into the next one.
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(run({"create", "-o", "in/self.exe", "--stub", "stub.exe", "--setup", "in/setup.exe", "--project",
                       "in/setup.lst", "in"}),
                  0)
            << err;
    EXPECT_EQ(sfx::Inspect(read("in/self.exe")).members.size(), 8u);
    expectFailure(run({"create", "-o", "g.exe", "--stub", "stub.exe", "--setup", "in/setup.exe", "--project",
                       "in/setup.lst", "in/noise.bin"}),
                  2, "in/noise.bin is not a folder");
}

TEST_F(Command, JsonGivesNameBytesExactlyAndMethodsByName) {
    Bytes head = PeStub(0x300);
    write("odd.exe", sfx::BuildInstaller(head, {"setup.exe", "caf\xE9.lst", {}, {}, ""},
                                         {{"setup.exe", ToBytes("EXE")}, {"caf\xE9.lst", ToBytes("L")},
                                          {"\xC3\xA9t\xC3\xA9.txt", ToBytes("T")}, {"m7.bin", ToBytes("M"), 7},
                                          {"x\x81.txt", ToBytes("X")}}));
    run({"list", "--json", "odd.exe"});
    // Names are decoded from code page 1252: UTF-8 bytes read as 1252 too, as Windows reads them.
    for (const char* part : {"\"codePage\": 1252,",
                             "\"projectFile\": \"caf\xC3\xA9.lst\", \"projectFileHex\": \"636166e92e6c7374\"",
                             "\"name\": \"\xC3\x83\xC2\xA9t\xC3\x83\xC2\xA9.txt\", \"nameHex\": \"c3a974c3a92e747874\"",
                             "\"name\": \"x\xEF\xBF\xBD.txt\", \"nameHex\": \"78812e747874\"",
                             "\"method\": \"stored\", \"methodNumber\": 0, \"saving\": 0.0000",
                             "\"method\": \"method-7\", \"methodNumber\": 7"})
        expectOut(part);
}
